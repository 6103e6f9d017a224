// ReadPosition: the single forward read position over the bytes of one GIF stream.
//
// Every byte the parser and the decoder take goes through TakeByte or TakeBytes, and this is
// the one place that decides what lies beyond the last byte: a missing byte reads as 0 and the
// position never moves past the end. A 0 is what stops every loop of the parser (a 0 block
// introducer ends the frame list, a 0 sub-block length is a block terminator), so a cut file
// ends cleanly wherever it is cut. A read that wanted bytes beyond the end sets overran, so
// that a caller can tell a cut stream from a whole one.
// Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct ReadPosition {
    const uint8_t* cursor;  // next byte to read
    const uint8_t* end;     // one past the last byte of the stream
    bool overran = false;   // a read wanted a byte beyond end
};

inline int PeekByte(const ReadPosition* pos) {
    return pos->cursor < pos->end ? *pos->cursor : 0;
}

inline int TakeByte(ReadPosition* pos) {
    if (pos->cursor < pos->end)
        return *pos->cursor++;
    pos->overran = true;
    return 0;
}

// Copies count bytes to out; the part beyond the end of the stream is filled with 0.
inline void TakeBytes(ReadPosition* pos, uint8_t* out, int count) {
    size_t available = size_t(pos->end - pos->cursor);
    size_t taken = size_t(count) < available ? size_t(count) : available;
    if (taken > 0)
        std::memcpy(out, pos->cursor, taken);
    std::memset(out + taken, 0, size_t(count) - taken);
    pos->cursor += taken;
    if (taken < size_t(count))
        pos->overran = true;
}
