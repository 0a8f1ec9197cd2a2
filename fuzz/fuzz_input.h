// A cursor over a fuzz input. Every read past the end gives zeros, so that
// any input, however short, is a complete script: the zero answers are
// chosen to be the quiet ones (no more steps, default answers).
#ifndef QR_FUZZ_INPUT_H
#define QR_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

class FuzzInput {
public:
    FuzzInput() = default;
    FuzzInput(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    size_t Left() const { return Empty() ? 0 : size_ - pos_; }

    uint8_t Byte() { return Empty() ? 0 : data_[pos_++]; }
    uint16_t U16() {
        uint16_t low = Byte();
        return (uint16_t)(low | Byte() << 8);
    }
    uint32_t U32() {
        uint32_t low = U16();
        return low | (uint32_t)U16() << 16;
    }
    // Copies up to `bytes` into `out` and zero-fills the rest.
    void Take(void *out, size_t bytes) {
        if (bytes == 0) return;
        size_t have = bytes < Left() ? bytes : Left();
        if (have) memcpy(out, data_ + pos_, have);
        memset(static_cast<uint8_t *>(out) + have, 0, bytes - have);
        pos_ += have;
    }
    // The next `bytes` in place (fewer at the end of the input).
    const uint8_t *Span(size_t *bytes) {
        if (*bytes > Left()) *bytes = Left();
        const uint8_t *at = data_ + pos_;
        pos_ += *bytes;
        return at;
    }

private:
    const uint8_t *data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
};

// One input split in two: the application's script, then the scan module's
// answers. A 16-bit little-endian length of the script comes first.
struct SplitInput {
    FuzzInput script;
    FuzzInput answers;
};

inline SplitInput SplitFuzzInput(const uint8_t *data, size_t size) {
    FuzzInput whole(data, size);
    size_t scriptBytes = whole.U16();
    const uint8_t *script = whole.Span(&scriptBytes);
    size_t rest = whole.Left();
    const uint8_t *answers = whole.Span(&rest);
    return {FuzzInput(script, scriptBytes), FuzzInput(answers, rest)};
}

#endif
