// Reference composition on RGB buffers (see composition_model.h).
#include "render/composition_model.h"

#include "render/dib_layout.h"

void ModelStart(CompositionModel& model, const ScreenDescriptorRecord& screen,
                const ModelImage& background) {
    model.screen = screen;
    model.snapshot = background;
    model.stage = background;
    model.window = background;
}

ModelImage ModelCompose(const CompositionModel& model, const FrameNode* node, int dx, int dy) {
    ModelImage out = model.stage;
    if (!node || !node->image)
        return out;
    const FrameImage* frame = node->image;
    FrameDibLayout layout;
    ComputeFrameDibLayout(frame, model.screen, &layout);
    if (!FrameDibIsDrawable(layout))
        return out;
    for (int y = 0; y < frame->height; ++y) {
        const int wy = frame->top + dy + y;
        if (wy < 0 || wy >= out.height)
            continue;
        for (int x = 0; x < frame->width; ++x) {
            const int wx = frame->left + dx + x;
            if (wx < 0 || wx >= out.width)
                continue;
            const int index = frame->columns[x][y];
            if (frame->transparentIndex != -1 && index == frame->transparentIndex)
                continue;
            out.pixels[size_t(wy) * out.width + wx] =
                FrameDibColourOf(frame, model.screen, layout, index);
        }
    }
    return out;
}

const ModelImage& ModelShowFrame(CompositionModel& model, const FrameNode* node) {
    model.window = ModelCompose(model, node, 0, 0);
    return model.window;
}

void ModelLeaveFrame(CompositionModel& model, const FrameNode* node) {
    const int disposal = node ? node->control.disposal : 0;
    if (disposal < 0 || disposal > 2)
        return;
    model.stage = model.window;
    if (disposal != 2 || !node->image)
        return;
    const FrameImage* frame = node->image;
    const int left = frame->left < 0 ? 0 : frame->left;
    const int top = frame->top < 0 ? 0 : frame->top;
    const int right = frame->left + frame->width > model.stage.width ? model.stage.width
                                                                     : frame->left + frame->width;
    const int bottom = frame->top + frame->height > model.stage.height
                           ? model.stage.height
                           : frame->top + frame->height;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            model.stage.pixels[size_t(y) * model.stage.width + x] = ModelPixel(model.snapshot, x, y);
}

std::vector<ModelImage> ModelPlayList(const FrameNode* first, const ScreenDescriptorRecord& screen,
                                      const ModelImage& background) {
    CompositionModel model;
    ModelStart(model, screen, background);
    std::vector<ModelImage> shown;
    for (const FrameNode* node = first; node; node = node->next) {
        shown.push_back(ModelShowFrame(model, node));
        ModelLeaveFrame(model, node);
    }
    return shown;
}

ModelImage MakeModelImage(int width, int height, uint32_t fill) {
    ModelImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(size_t(width) * height, fill);
    return image;
}

uint32_t ModelPixel(const ModelImage& image, int x, int y) {
    return image.pixels[size_t(y) * image.width + x];
}
