// Data sub-blocks and the variable-width code reader of the LZW layer.
//
// Owns: TerminatorSeen and the CodeReader state below (module-level, one decoder at a time).
#include "gif/lzw_decoder.h"

int TerminatorSeen = 0;

namespace {

// buffer bytes 0 and 1 carry the last two bytes of the previous contents, so that a code can
// straddle two sub-blocks; the current sub-block follows from byte 2. Codes are assembled from
// three bytes at a time, so the buffer has room beyond 2 + 255 for that read.
struct CodeReaderState {
    uint8_t buffer[280];
    int bitPosition;  // next unread bit: bit k is bit k % 8 of buffer[k / 8]
    int bitLimit;     // 8 * byteCount
    int byteCount;    // 2 + length of the current sub-block, 2..257
    int exhausted;    // 1 once the block terminator has been fetched
};

CodeReaderState CodeReader = {{0}, 0, 0, 2, 0};

void FetchSubBlock(ReadPosition* pos) {
    CodeReaderState& r = CodeReader;
    r.buffer[0] = r.buffer[r.byteCount - 2];
    r.buffer[1] = r.buffer[r.byteCount - 1];
    int length = ReadSubBlock(pos, r.buffer + 2);
    if (length == 0)
        r.exhausted = 1;
    r.bitPosition += 16 - r.bitLimit;
    r.byteCount = length + 2;
    r.bitLimit = 8 * r.byteCount;
}

}  // namespace

int ReadSubBlock(ReadPosition* pos, uint8_t* buffer) {
    int length = TakeByte(pos);
    TerminatorSeen = length == 0;
    TakeBytes(pos, buffer, length);
    return length;
}

void SkipSubBlocks(ReadPosition* pos) {
    uint8_t scratch[256];
    while (ReadSubBlock(pos, scratch) != 0) {
    }
}

void ResetCodeReader() {
    CodeReader.bitPosition = 0;
    CodeReader.bitLimit = 0;
    CodeReader.exhausted = 0;
}

int ReadCode(ReadPosition* pos, int width) {
    CodeReaderState& r = CodeReader;
    // A fetch happens even when exactly width bits remain: that is how an end code which
    // fills the last sub-block to its end also consumes the block terminator behind it.
    if (r.bitPosition + width >= r.bitLimit) {
        if (r.exhausted)
            return -1;
        // Fetch again while still short: a sub-block of one byte cannot complete a code of
        // more than 8 + (remaining) bits. The bits still unread are fewer than width <= 12,
        // so the two carried bytes always hold them.
        do {
            FetchSubBlock(pos);
        } while (r.bitPosition + width > r.bitLimit && !r.exhausted);
        // A code cut off by the block terminator ends the data at once rather than being
        // completed from stale buffer contents, so the result never depends on earlier images.
        if (r.bitPosition + width > r.bitLimit)
            return -1;
    }
    int byte = r.bitPosition >> 3;
    uint32_t bits = uint32_t(r.buffer[byte]) | uint32_t(r.buffer[byte + 1]) << 8 |
                    uint32_t(r.buffer[byte + 2]) << 16;
    int shift = r.bitPosition & 7;
    r.bitPosition += width;
    return int((bits >> shift) & ((1u << width) - 1));
}
