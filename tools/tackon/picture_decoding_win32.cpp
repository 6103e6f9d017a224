// Picture decoding in tackon.exe through the Windows Imaging Component, which reads PNG,
// JPEG, GIF (first frame) and BMP (see picture_decoding.h).
#include "picture_decoding.h"

#include <windows.h>
#include <wincodec.h>

namespace {

// Releases a COM interface and sets it to null.
template <typename T>
void Release(T** object) {
    if (*object) {
        (*object)->Release();
        *object = nullptr;
    }
}

bool Failed(HRESULT result, const char* step, std::string* error) {
    if (SUCCEEDED(result))
        return false;
    char code[16];
    wsprintfA(code, "0x%08lX", static_cast<unsigned long>(result));
    *error = std::string("Windows cannot ") + step + " the picture (" + code +
             "); PNG, JPEG, GIF and BMP pictures are read";
    return true;
}

bool DecodeWithFactory(IWICImagingFactory* factory, const std::vector<uint8_t>& bytes,
                       DecodedPicture* picture, std::string* error) {
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    bool ok = false;
    UINT width = 0, height = 0;
    if (!Failed(factory->CreateStream(&stream), "open", error) &&
        !Failed(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), DWORD(bytes.size())), "open", error) &&
        !Failed(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder),
                "recognise", error) &&
        !Failed(decoder->GetFrame(0, &frame), "read", error) &&
        !Failed(frame->GetSize(&width, &height), "measure", error) &&
        PictureFitsBudget(width, height, error) &&
        !Failed(factory->CreateFormatConverter(&converter), "convert", error) &&
        !Failed(converter->Initialize(frame, GUID_WICPixelFormat32bppRGBA, WICBitmapDitherTypeNone, nullptr,
                                      0.0, WICBitmapPaletteTypeCustom),
                "convert", error)) {
        picture->width = int(width);
        picture->height = int(height);
        picture->rgba.resize(size_t(width) * height * 4);
        ok = !Failed(converter->CopyPixels(nullptr, width * 4, UINT(picture->rgba.size()), picture->rgba.data()),
                     "decode", error);
    }
    Release(&converter);
    Release(&frame);
    Release(&decoder);
    Release(&stream);
    return ok;
}

}  // namespace

bool DecodePicture(const std::vector<uint8_t>& bytes, DecodedPicture* picture, std::string* error) {
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    bool ok = false;
    if (!Failed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                 reinterpret_cast<void**>(&factory)),
                "start the decoder for", error))
        ok = DecodeWithFactory(factory, bytes, picture, error);
    Release(&factory);
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return ok;
}
