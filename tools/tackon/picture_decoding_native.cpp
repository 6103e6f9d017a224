// Picture decoding for the native tackon (see picture_decoding.h): libpng's simplified
// reader, libjpeg-turbo into RGBA turned upright by the Exif orientation, the first frame
// of a GIF through the player's decoder, and bmp_reader.h.
#include "picture_decoding.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

#include "bmp_reader.h"
#include "picture_orientation.h"
#include "gif/gif_loader.h"

namespace {

bool DecodePng(const std::vector<uint8_t>& bytes, DecodedPicture* picture, std::string* error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        *error = "the PNG's header cannot be read (a damaged file?)";
        return false;
    }
    if (!PictureFitsBudget(image.width, image.height, error)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    picture->width = int(image.width);
    picture->height = int(image.height);
    picture->rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture->rgba.data(), 0, nullptr)) {
        *error = "the PNG is damaged: its picture data cannot be decoded";
        png_image_free(&image);
        return false;
    }
    return true;
}

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool dataMissing;   // the decoder ran out of data, or met a marker inside a scan
};

void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
}

// libjpeg's warnings would go to stderr in its own words; the ones that mean missing picture
// data are noted, the rest (stray bytes between markers and the like) pass quietly.
void OnJpegMessage(j_common_ptr info, int level) {
    if (level < 0 && (info->err->msg_code == JWRN_JPEG_EOF || info->err->msg_code == JWRN_HIT_MARKER))
        reinterpret_cast<JpegFailure*>(info->err)->dataMissing = true;
}

// Plain data only between setjmp and longjmp: the pixels go into a buffer the caller sized
// from the header read before.
bool DecodeJpeg(const std::vector<uint8_t>& bytes, DecodedPicture* picture, std::string* error) {
    jpeg_decompress_struct info;
    JpegFailure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = OnJpegError;
    failure.manager.emit_message = OnJpegMessage;
    failure.dataMissing = false;
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&info);
        *error = "the JPEG is damaged, or of a kind tackon does not read";
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (!PictureFitsBudget(info.image_width, info.image_height, error)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    picture->width = int(info.output_width);
    picture->height = int(info.output_height);
    picture->rgba.resize(size_t(picture->width) * size_t(picture->height) * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture->rgba.data() + size_t(info.output_scanline) * size_t(picture->width) * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (failure.dataMissing) {
        *error = "the JPEG is damaged: part of its picture data is missing";
        return false;
    }
    ApplyOrientation(JpegOrientation(bytes), picture);
    return true;
}

// The first frame as the player shows it: placed on the logical screen, its transparent
// pixels and the rest of the screen left transparent.
bool DecodeGifFirstFrame(const std::vector<uint8_t>& bytes, DecodedPicture* picture, std::string* error) {
    if (bytes.size() < 10) {
        *error = "the GIF is cut short";
        return false;
    }
    const int screenWidth = bytes[6] | bytes[7] << 8, screenHeight = bytes[8] | bytes[9] << 8;
    if (!PictureFitsBudget(screenWidth, screenHeight, error))
        return false;
    LoadedGif gif = GifLoadBytes(bytes.data(), bytes.size());
    if (!gif.FrameListHead) {
        *error = "the GIF has no frame the player's decoder can load";
        return false;
    }
    const FrameImage* frame = gif.FrameListHead->image;
    picture->width = screenWidth;
    picture->height = screenHeight;
    picture->rgba.assign(size_t(screenWidth) * size_t(screenHeight) * 4, 0);
    for (int y = 0; y < frame->height; ++y)
        for (int x = 0; x < frame->width; ++x) {
            const int sx = frame->left + x, sy = frame->top + y;
            const int index = GetPixel(frame, x, y);
            if (sx >= screenWidth || sy >= screenHeight || index == frame->transparentIndex)
                continue;
            uint8_t* out = picture->rgba.data() + (size_t(sy) * size_t(screenWidth) + size_t(sx)) * 4;
            out[0] = uint8_t(frame->red[index]);
            out[1] = uint8_t(frame->green[index]);
            out[2] = uint8_t(frame->blue[index]);
            out[3] = 255;
        }
    FreeLoadedGif(&gif);
    return true;
}

bool StartsWith(const std::vector<uint8_t>& bytes, const char* text, size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), text, length) == 0;
}

}  // namespace

bool DecodePicture(const std::vector<uint8_t>& bytes, DecodedPicture* picture, std::string* error) {
    if (StartsWith(bytes, "\x89PNG\r\n\x1A\n", 8))
        return DecodePng(bytes, picture, error);
    if (StartsWith(bytes, "\xFF\xD8\xFF", 3))
        return DecodeJpeg(bytes, picture, error);
    if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6))
        return DecodeGifFirstFrame(bytes, picture, error);
    if (LooksLikeBmp(bytes))
        return DecodeBmp(bytes, picture, error);
    *error = "it is not a PNG, JPEG, GIF or BMP picture";
    return false;
}
