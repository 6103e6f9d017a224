// The LZW decoder and the row fill: code width growth, clear and end codes, the table limits,
// interlaced order, colour marks, and the mends for corrupt streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "gif/lzw_decoder.h"
#include "gif_test_support.h"

namespace {

const uint8_t kNoColours[256] = {0};
// Bytes that follow the image data in every test stream: a decoder that reads past the
// image's terminator would take them as another sub-block.
const Bytes kGuard = {0x02, 0xAA, 0xBB, 0x00};

struct Decoded {
    FrameImage* image;
    size_t consumed;  // bytes of data taken by DecodeImage
};

Decoded DecodeData(const Bytes& data, int width, int height, bool interlaced = false) {
    Bytes stream = data;
    Append(&stream, kGuard);
    FrameImage* image = CreateFrameImage(width, height);
    ReadPosition pos = {stream.data(), stream.data() + stream.size()};
    EXPECT_EQ(DecodeImage(image, &pos, width, height, kNoColours, kNoColours, kNoColours,
                          interlaced ? 1 : 0),
              1);
    return {image, size_t(pos.cursor - stream.data())};
}

Bytes ImageData(int minimumCodeSize, const Bytes& codes, int blockSize = 255) {
    Bytes data = {uint8_t(minimumCodeSize)};
    Append(&data, PackSubBlocks(codes, blockSize));
    return data;
}

Bytes Encoded(const std::vector<int>& values, int minimumCodeSize,
              const LzwOptions& options = LzwOptions(), int blockSize = 255) {
    return ImageData(minimumCodeSize, LzwEncode(values, minimumCodeSize, options), blockSize);
}

// A plain LZW decoder that walks every string's prefix chain through the live table, written
// from the decoder's documented rules for streams that break the format: a code beyond
// nextCode takes the previous string plus its first value, entries not yet made read as
// prefix 0 and suffix 0, and a string longer than 8192 values, or a first code beyond the
// roots, ends the stream. Answers the values of the image data (minimum code size byte and
// sub-blocks) up to its end.
std::vector<int> ChainWalkedValues(const Bytes& data) {
    int minimumCodeSize = data[0];
    Bytes codes;
    for (size_t at = 1; at < data.size() && data[at] != 0; at += 1 + data[at])
        codes.insert(codes.end(), data.begin() + long(at) + 1,
                     data.begin() + long(std::min(data.size(), at + 1 + data[at])));
    size_t bit = 0;
    auto readCode = [&](int width) {
        if (bit + size_t(width) > 8 * codes.size())
            return -1;
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((codes[bit / 8] >> (bit % 8)) & 1) << i;
        return code;
    };
    const int clearCode = 1 << minimumCodeSize, endCode = clearCode + 1;
    std::vector<int> prefix(4096, 0), suffix(4096, 0), values;
    for (int i = 0; i < clearCode; ++i)
        suffix[size_t(i)] = i;
    int nextCode = 0, width = 0, limit = 0, previous = 0, first = 0;
    bool fresh = true;
    auto reset = [&] {
        for (int i = clearCode; i < 4096; ++i)
            prefix[size_t(i)] = suffix[size_t(i)] = 0;
        nextCode = clearCode + 2;
        width = minimumCodeSize + 1;
        limit = 2 * clearCode;
        fresh = true;
    };
    reset();
    for (int code; (code = readCode(width)) >= 0 && code != endCode;) {
        if (code == clearCode) {
            reset();
            continue;
        }
        if (fresh) {
            if (code > endCode)
                break;
            fresh = false;
            previous = first = code;
            values.push_back(code);
            continue;
        }
        std::vector<int> string;
        int walk = code;
        if (walk >= nextCode) {
            string.push_back(first);
            walk = previous;
        }
        while (walk >= clearCode && string.size() < 8192) {
            string.push_back(suffix[size_t(walk)]);
            walk = prefix[size_t(walk)];
        }
        if (string.size() >= 8192)
            break;
        first = suffix[size_t(walk)];
        string.push_back(first);
        if (nextCode < 4096) {
            prefix[size_t(nextCode)] = previous;
            suffix[size_t(nextCode)] = first;
            if (++nextCode >= limit && limit < 4096) {
                ++width;
                limit *= 2;
            }
        }
        previous = code;
        values.insert(values.end(), string.rbegin(), string.rend());
    }
    return values;
}

}  // namespace

TEST(LzwDecoder, InterlacedImagesFillRowsInPassOrder) {
    const std::vector<std::vector<int>> orders = {
        {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}, {0, 2, 1}, {0, 1}, {0}};
    for (const auto& order : orders) {
        int height = int(order.size());
        // The k-th row in stream order holds the value k (two columns wide).
        std::vector<int> values;
        for (int k = 0; k < height; ++k)
            values.insert(values.end(), {k, k});
        Decoded d = DecodeData(Encoded(values, 4), 2, height, true);
        for (int k = 0; k < height; ++k) {
            EXPECT_EQ(GetPixel(d.image, 0, order[size_t(k)]), k) << "height " << height;
            EXPECT_EQ(GetPixel(d.image, 1, order[size_t(k)]), k) << "height " << height;
        }
        EXPECT_EQ(d.consumed, Encoded(values, 4).size());
        FreeFrameImage(d.image);
    }
}

TEST(LzwDecoder, LeadingAndRepeatedClearCodesChangeNothing) {
    std::vector<int> values = RandomPixels(600, 16, 3);
    LzwOptions repeated;
    repeated.leadingClears = 3;
    repeated.clearEvery = 7;
    for (const LzwOptions& options : {LzwOptions(), repeated}) {
        Decoded d = DecodeData(Encoded(values, 4, options), 30, 20);
        EXPECT_EQ(RowMajor(d.image), values);
        FreeFrameImage(d.image);
    }
}

// Literal codes only, written with widths stated independently of the decoder: with minimum
// code size 8 the k-th code (from 1) adds entry 256 + k from k = 2 on, so the width is 9 bits
// up to code 255, 10 from the code read at nextCode 512, 11 from 1024, 12 from 2048, and stays
// 12 once the table is full at 4096.
TEST(LzwDecoder, CodeWidthGrowsAt512And1024And2048AndStaysAtFullTable) {
    const int count = 5000;
    CodeWriter writer;
    PutCode(&writer, 256, 9);
    for (int k = 1; k <= count; ++k) {
        int width = k < 256 ? 9 : k < 768 ? 10 : k < 1792 ? 11 : 12;
        PutCode(&writer, (k * 7) % 256, width);
    }
    PutCode(&writer, 257, 12);
    Decoded d = DecodeData(ImageData(8, FinishCodes(&writer)), count, 1);
    int wrong = 0;
    for (int k = 1; k <= count; ++k)
        wrong += GetPixel(d.image, k - 1, 0) != (k * 7) % 256;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(d.consumed, ImageData(8, FinishCodes(&writer)).size());
    FreeFrameImage(d.image);
}

TEST(LzwDecoder, FullTableWithoutClearAndTinySubBlocksDecodeExactly) {
    std::vector<int> values = RandomPixels(200 * 150, 256, 11);
    LzwOptions noClear;
    noClear.clearWhenFull = false;
    // Sub-blocks of one byte cannot complete a 12-bit code on their own.
    for (int blockSize : {255, 1, 2}) {
        for (const LzwOptions& options : {LzwOptions(), noClear}) {
            Bytes data = Encoded(values, 8, options, blockSize);
            Decoded d = DecodeData(data, 200, 150);
            EXPECT_EQ(RowMajor(d.image), values) << "block size " << blockSize;
            EXPECT_EQ(d.consumed, data.size());
            FreeFrameImage(d.image);
        }
    }
}

TEST(LzwDecoder, CodeEqualToNextCodeRepeatsPreviousStringAndItsFirstValue) {
    // Minimum code size 2: clear 4, end 5. After the first code nextCode is 6; code 6 is the
    // string of code 1 followed by its own first value. Entry 7 (6 + 2) brings nextCode to 8,
    // so the codes after it are 4 bits wide.
    CodeWriter writer;
    for (int code : {4, 1, 6, 2})
        PutCode(&writer, code, 3);
    for (int code : {7, 5})
        PutCode(&writer, code, 4);
    Decoded d = DecodeData(ImageData(2, FinishCodes(&writer)), 7, 1);
    EXPECT_EQ(RowMajor(d.image), (std::vector<int>{1, 1, 1, 2, 1, 1, 2}));
    FreeFrameImage(d.image);
}

TEST(LzwDecoder, EndCodeFillingTheLastSubBlockStopsAtItsTerminator) {
    // clear, five literals and the end code take 3+3+3+3+4+4+4 = 24 bits: exactly 3 bytes,
    // so reading the end code fetches the terminator.
    CodeWriter writer;
    PutCode(&writer, 4, 3);
    for (int value : {0, 1, 2})
        PutCode(&writer, value, 3);
    for (int value : {3, 1})
        PutCode(&writer, value, 4);
    PutCode(&writer, 5, 4);
    Bytes codes = FinishCodes(&writer);
    ASSERT_EQ(codes.size(), 3u);
    Bytes data = ImageData(2, codes);
    for (int width : {5, 9}) {  // complete image, and an image the end code cuts short
        Decoded d = DecodeData(data, width, 1);
        EXPECT_EQ(d.consumed, data.size()) << "width " << width;
        EXPECT_EQ(GetPixel(d.image, 4, 0), 1);
        EXPECT_EQ(d.image->usedColourCount, 4);
        FreeFrameImage(d.image);
    }
}

TEST(LzwDecoder, UsedColourCountIsOneAboveTheHighestValue) {
    std::vector<int> values = RandomPixels(64, 57, 5);
    values[10] = 57;
    Decoded d = DecodeData(Encoded(values, 8), 8, 8);
    EXPECT_EQ(d.image->usedColourCount, 58);
    EXPECT_EQ(d.image->unseenMark[57], 0);
    EXPECT_EQ(d.image->unseenMark[58], 1);
    FreeFrameImage(d.image);

    Decoded empty = DecodeData(ImageData(8, {}), 8, 8);  // no codes at all
    EXPECT_EQ(empty.image->usedColourCount, 0);
    EXPECT_EQ(RowMajor(empty.image), std::vector<int>(64, 0));
    EXPECT_EQ(empty.consumed, 2u);
    FreeFrameImage(empty.image);
}

TEST(LzwDecoder, EmptyImagesMarkValuesWithoutStoring) {
    Bytes data = Encoded({5, 7, 9}, 4);
    Decoded noRows = DecodeData(data, 3, 0);  // exactly one value
    EXPECT_EQ(noRows.image->usedColourCount, 6);
    EXPECT_EQ(noRows.image->unseenMark[7], 1);
    EXPECT_EQ(noRows.consumed, data.size());
    Decoded noColumns = DecodeData(data, 0, 3);  // every value up to the end
    EXPECT_EQ(noColumns.image->usedColourCount, 10);
    EXPECT_EQ(noColumns.image->unseenMark[7], 0);
    EXPECT_EQ(noColumns.consumed, data.size());
    FreeFrameImage(noRows.image);
    FreeFrameImage(noColumns.image);
}

TEST(LzwDecoder, SurplusValuesAreSkippedUpToTheTerminator) {
    std::vector<int> values = RandomPixels(500, 16, 9);
    Bytes data = Encoded(values, 4, LzwOptions(), 20);
    Decoded d = DecodeData(data, 4, 4);
    EXPECT_EQ(RowMajor(d.image), std::vector<int>(values.begin(), values.begin() + 16));
    EXPECT_EQ(d.consumed, data.size());
    FreeFrameImage(d.image);
}

TEST(LzwDecoder, DataCutShortKeepsWhatWasDecoded) {
    std::vector<int> values = RandomPixels(400, 256, 21);
    Bytes codes = LzwEncode(values, 8);
    // Two whole sub-blocks of 100 bytes, then the terminator: the rest of the image is 0.
    Bytes data = {8};
    Append(&data, PackSubBlocks(Bytes(codes.begin(), codes.begin() + 200), 100));
    Decoded d = DecodeData(data, 20, 20);
    std::vector<int> got = RowMajor(d.image);
    size_t decoded = 0;
    while (decoded < got.size() && got[decoded] == values[decoded])
        ++decoded;
    EXPECT_GT(decoded, 100u);
    EXPECT_LT(decoded, 400u);
    EXPECT_EQ(std::accumulate(got.begin() + long(decoded), got.end(), 0), 0);
    EXPECT_EQ(d.consumed, data.size());
    FreeFrameImage(d.image);
}

// Corrupt streams stay inside the tables and the raster, and the read position still ends
// after the image's terminator.
TEST(LzwDecoder, CorruptStreamsAreClippedOrEnded) {
    // Minimum code size 12 cannot fit a 4096-entry table: the data is skipped unread.
    Bytes tooWide = {12};
    Append(&tooWide, PackSubBlocks(Bytes(300, 0x5A), 255));
    Decoded skipped = DecodeData(tooWide, 4, 4);
    EXPECT_EQ(skipped.consumed, tooWide.size());
    EXPECT_EQ(skipped.image->usedColourCount, 0);
    FreeFrameImage(skipped.image);

    // Minimum code size 11: values above 255 keep their low 8 bits.
    CodeWriter wide;
    for (int code : {2048, 300, 1000, 2049})
        PutCode(&wide, code, 12);
    Decoded clipped = DecodeData(ImageData(11, FinishCodes(&wide)), 2, 1);
    EXPECT_EQ(RowMajor(clipped.image), (std::vector<int>{44, 232}));
    EXPECT_EQ(clipped.image->usedColourCount, 233);
    FreeFrameImage(clipped.image);

    // A first code beyond the roots names no string: the fill ends, nothing is stored.
    CodeWriter beyond;
    for (int code : {4, 7, 1, 1, 5})
        PutCode(&beyond, code, 3);
    Decoded ended = DecodeData(ImageData(2, FinishCodes(&beyond)), 3, 1);
    EXPECT_EQ(ended.image->usedColourCount, 0);
    EXPECT_EQ(ended.consumed, ImageData(2, FinishCodes(&beyond)).size());
    FreeFrameImage(ended.image);

    // Minimum code size 0 and 1 decode within the table.
    for (int size : {0, 1}) {
        Bytes data = {uint8_t(size)};
        Append(&data, PackSubBlocks(Bytes(40, 0xC6), 255));
        Decoded small = DecodeData(data, 16, 16);
        EXPECT_LE(small.image->usedColourCount, 2);
        EXPECT_EQ(small.consumed, data.size());
        FreeFrameImage(small.image);
    }
}

TEST(LzwDecoder, SelfReferencingEntryEndsWithCorruptTable) {
    // Code 259 arrives while nextCode is 258, so entry 258 is made and 259 becomes the
    // previous code; the literal 0 that follows then makes entry 259 its own prefix.
    CodeWriter writer;
    for (int code : {256, 0, 259, 0, 259})
        PutCode(&writer, code, 9);
    // The four zeros before it are kept, the rest of the image stays index 0, and the data
    // is still read to its terminator.
    Bytes data = ImageData(8, FinishCodes(&writer));
    EXPECT_EQ(ChainWalkedValues(data), std::vector<int>(4, 0));
    Decoded d = DecodeData(data, 100, 1);
    EXPECT_EQ(RowMajor(d.image), std::vector<int>(100, 0));
    EXPECT_EQ(d.image->usedColourCount, 1);
    EXPECT_EQ(d.consumed, data.size());
    FreeFrameImage(d.image);
}

// Whatever an earlier image left behind in memory must not change how the next one decodes,
// even when its codes are garbage that reach entries not yet made.
TEST(LzwDecoder, DecodingDoesNotDependOnEarlierImages) {
    Bytes fullTable = Encoded(RandomPixels(120 * 100, 256, 31), 8);
    Bytes smallTable = Encoded(RandomPixels(50, 4, 32), 2);
    for (int k = 0; k < 40; ++k) {
        std::vector<int> noise = RandomPixels(300, 256, uint32_t(100 + k));
        Bytes garbage = {uint8_t(2 + k % 7)};
        Append(&garbage, PackSubBlocks(Bytes(noise.begin(), noise.end()), 37));
        std::vector<int> rasters[2];
        int used[2];
        size_t consumed[2];
        for (int order = 0; order < 2; ++order) {
            FreeFrameImage(DecodeData(order ? smallTable : fullTable, order ? 5 : 120,
                                      order ? 10 : 100).image);
            Decoded d = DecodeData(garbage, 23, 17);
            rasters[order] = RowMajor(d.image);
            used[order] = d.image->usedColourCount;
            consumed[order] = d.consumed;
            FreeFrameImage(d.image);
        }
        EXPECT_EQ(rasters[0], rasters[1]) << "stream " << k;
        EXPECT_EQ(used[0], used[1]) << "stream " << k;
        EXPECT_EQ(consumed[0], consumed[1]) << "stream " << k;
    }
}

// DecodeImage copies each string out of its row-major scratch raster, hands a stream to prefix
// chain walking at its first code beyond nextCode, and moves the rows into columns in 8 x 8
// blocks; ChainWalkedValues only ever walks chains. Over valid streams of many shapes (long runs, clear
// codes, edges that are not whole blocks) and over garbage, both must give the same values, in
// plain or interlaced row order, and the same usedColourCount.
TEST(LzwDecoder, ScratchCopiesAgreeWithChainWalkingInBothRowOrders) {
    struct Case {
        int width, height;
        Bytes data;
    };
    std::vector<Case> cases;
    const int sizes[][2] = {{1, 1}, {7, 9}, {8, 8}, {13, 17}, {64, 3}, {300, 37}, {9, 260}};
    for (const auto& size : sizes) {
        int pixels = size[0] * size[1];
        std::vector<int> runs(size_t(pixels), 0);
        for (int i = 0; i < pixels; ++i)
            runs[size_t(i)] = (i / 37) % 3 == 0 ? 9 : i % 11;
        LzwOptions clears;
        clears.clearEvery = 50;
        cases.push_back({size[0], size[1], Encoded(runs, 4, clears, 7)});
        cases.push_back({size[0], size[1], Encoded(RandomPixels(pixels, 256, 40), 8)});
    }
    for (uint32_t k = 0; k < 120; ++k) {
        std::vector<int> noise = RandomPixels(60 + int(k) * 7, 256, 200 + k);
        Bytes garbage = {uint8_t(2 + k % 7)};
        Append(&garbage, PackSubBlocks(Bytes(noise.begin(), noise.end()), 255));
        cases.push_back({int(5 + k % 23), int(3 + k % 19), garbage});
    }

    for (const Case& c : cases) {
        size_t pixels = size_t(c.width) * size_t(c.height);
        std::vector<int> values = ChainWalkedValues(c.data);
        if (values.size() > pixels)
            values.resize(pixels);
        int used = values.empty() ? 0 : *std::max_element(values.begin(), values.end()) + 1;
        values.resize(pixels, 0);

        for (bool interlaced : {false, true}) {
            Decoded d = DecodeData(c.data, c.width, c.height, interlaced);
            std::vector<int> raster = RowMajor(d.image);
            if (interlaced)
                raster = InterlaceRows(raster, c.width, c.height);
            EXPECT_EQ(raster, values) << c.width << " x " << c.height << " interlaced "
                                      << interlaced << ", " << c.data.size() << " bytes";
            EXPECT_EQ(d.image->usedColourCount, used);
            FreeFrameImage(d.image);
        }
    }
}
