#include "data/Stream.h"

#include <algorithm>
#include <cstring>

#include "data/Error.h"

size_t TMemoryStream::Read(void* buffer, size_t size) {
    const size_t n = std::min(size, Remaining());
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, size_t size) {
    if (size == 0) return;
    if (position_ + size > bytes_.size()) bytes_.resize(position_ + size);
    std::memcpy(bytes_.data() + position_, buffer, size);
    position_ += size;
}

void TMemoryStream::ReadExact(void* buffer, size_t size, const char* what) {
    if (Remaining() < size) {
        throw TTruncatedError(std::string("The data ends inside ") + what + ": " +
                              std::to_string(size) + " bytes needed, " +
                              std::to_string(Remaining()) + " left.");
    }
    Read(buffer, size);
}

int32_t TMemoryStream::ReadInt32(const char* what) {
    uint8_t b[4];
    ReadExact(b, 4, what);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
}

void TMemoryStream::WriteInt32(int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    const uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    Write(b, 4);
}
