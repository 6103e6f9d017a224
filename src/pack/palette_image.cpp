// Palette reduction and RLE8 coding (see palette_image.h).
#include "pack/palette_image.h"

#include <algorithm>
#include <map>

namespace {

constexpr size_t kPaletteSize = 256;

struct ColourCount {
    uint32_t colour;   // 0xRRGGBB
    uint32_t count;
};

int ChannelOf(uint32_t colour, int channel) { return int(colour >> (16 - 8 * channel) & 0xFF); }

// A box of the median cut: a range of the colour list.
struct Box {
    size_t first, last;   // [first, last)
    int widestChannel, range;
};

Box Measure(const std::vector<ColourCount>& colours, size_t first, size_t last) {
    Box box = {first, last, 0, -1};
    for (int c = 0; c < 3; ++c) {
        int low = 255, high = 0;
        for (size_t i = first; i < last; ++i) {
            low = std::min(low, ChannelOf(colours[i].colour, c));
            high = std::max(high, ChannelOf(colours[i].colour, c));
        }
        if (high - low > box.range) {
            box.range = high - low;
            box.widestChannel = c;
        }
    }
    return box;
}

// The palette of a list of distinct colours: the colours themselves when they are few,
// otherwise the count-weighted means of median-cut boxes.
std::vector<uint32_t> ChoosePalette(std::vector<ColourCount> colours) {
    std::vector<uint32_t> palette;
    if (colours.size() <= kPaletteSize) {
        for (const ColourCount& entry : colours)
            palette.push_back(entry.colour);
        return palette;
    }
    std::vector<Box> boxes = {Measure(colours, 0, colours.size())};
    while (boxes.size() < kPaletteSize) {
        auto widest = std::max_element(boxes.begin(), boxes.end(),
                                       [](const Box& a, const Box& b) { return a.range < b.range; });
        if (widest->range <= 0)
            break;
        const Box box = *widest;
        const int c = box.widestChannel;
        std::stable_sort(colours.begin() + long(box.first), colours.begin() + long(box.last),
                         [c](const ColourCount& a, const ColourCount& b) {
                             return ChannelOf(a.colour, c) < ChannelOf(b.colour, c);
                         });
        uint64_t total = 0, seen = 0;
        for (size_t i = box.first; i < box.last; ++i)
            total += colours[i].count;
        size_t cut = box.first + 1;
        for (size_t i = box.first; i + 1 < box.last; ++i) {
            seen += colours[i].count;
            cut = i + 1;
            if (2 * seen >= total)
                break;
        }
        *widest = Measure(colours, box.first, cut);
        boxes.push_back(Measure(colours, cut, box.last));
    }
    for (const Box& box : boxes) {
        double sum[3] = {0, 0, 0}, weight = 0;
        for (size_t i = box.first; i < box.last; ++i) {
            for (int c = 0; c < 3; ++c)
                sum[c] += double(ChannelOf(colours[i].colour, c)) * colours[i].count;
            weight += colours[i].count;
        }
        uint32_t mean = 0;
        for (int c = 0; c < 3; ++c)
            mean = mean << 8 | uint32_t(sum[c] / weight + 0.5);
        palette.push_back(mean);
    }
    return palette;
}

uint8_t Nearest(const std::vector<uint32_t>& palette, uint32_t colour) {
    size_t best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        int distance = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = ChannelOf(palette[i], c) - ChannelOf(colour, c);
            distance += d * d;
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return uint8_t(best);
}

// One row of indices in RLE8: runs of two or more as (count, index); stretches without such
// runs as absolute blocks (0, count, indices, padded to a whole word) when three or more
// long, as runs of one otherwise.
void EncodeRow(const uint8_t* row, int width, std::vector<uint8_t>* out) {
    int i = 0;
    while (i < width) {
        int run = 1;
        while (i + run < width && run < 255 && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            out->push_back(uint8_t(run));
            out->push_back(row[i]);
            i += run;
            continue;
        }
        int end = i + 1;
        while (end < width && end - i < 255 &&
               !(end + 2 < width && row[end] == row[end + 1] && row[end] == row[end + 2]))
            ++end;
        const int count = end - i;
        if (count >= 3) {
            out->push_back(0);
            out->push_back(uint8_t(count));
            out->insert(out->end(), row + i, row + end);
            if (count % 2)
                out->push_back(0);
        } else {
            for (int k = i; k < end; ++k) {
                out->push_back(1);
                out->push_back(row[k]);
            }
        }
        i = end;
    }
}

}  // namespace

PaletteImage ToPaletteImage(const RgbImage& image) {
    const size_t pixels = size_t(image.width) * size_t(image.height);
    std::map<uint32_t, uint32_t> counts;
    std::vector<uint32_t> colours(pixels);
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* p = &image.rgb[3 * i];
        colours[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        ++counts[colours[i]];
    }
    std::vector<ColourCount> distinct;
    for (const auto& entry : counts)
        distinct.push_back({entry.first, entry.second});
    PaletteImage result;
    result.width = image.width;
    result.height = image.height;
    result.palette = ChoosePalette(distinct);
    std::map<uint32_t, uint8_t> indexOf;
    for (const ColourCount& entry : distinct)
        indexOf[entry.colour] = Nearest(result.palette, entry.colour);
    std::vector<uint8_t> row(size_t(image.width));
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x)
            row[size_t(x)] = indexOf[colours[size_t(y) * size_t(image.width) + size_t(x)]];
        EncodeRow(row.data(), image.width, &result.rle8);
        result.rle8.push_back(0);
        result.rle8.push_back(y == 0 ? 1 : 0);   // end of bitmap after the top row, else end of line
    }
    return result;
}

bool DecodeRle8(const uint8_t* bits, size_t size, int width, int height, std::vector<uint8_t>* indices) {
    indices->assign(size_t(width) * size_t(height), 0);
    int x = 0, y = height - 1;
    size_t at = 0;
    while (at + 1 < size) {
        const uint8_t count = bits[at], value = bits[at + 1];
        at += 2;
        if (count > 0) {
            if (y < 0 || x + count > width)
                return false;
            std::fill_n(indices->begin() + long(size_t(y) * size_t(width) + size_t(x)), count, value);
            x += count;
        } else if (value == 0) {
            x = 0;
            --y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (at + 1 >= size)
                return false;
            x += bits[at];
            y -= bits[at + 1];
            at += 2;
        } else {
            if (y < 0 || x + value > width || at + value > size)
                return false;
            std::copy(bits + at, bits + at + value, indices->begin() + long(size_t(y) * size_t(width) + size_t(x)));
            x += value;
            at += size_t(value + 1) & ~size_t(1);
        }
    }
    return y < 0;
}
