#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A growable in-memory byte stream with a position, the medium of every stored record.
// Integers are stored little-endian regardless of the host.
class TMemoryStream {
  public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    // Copies up to size bytes from the position; returns how many were copied.
    size_t Read(void* buffer, size_t size);
    void Write(const void* buffer, size_t size);

    // Reads exactly size bytes or throws TTruncatedError naming what was cut short.
    void ReadExact(void* buffer, size_t size, const char* what);
    int32_t ReadInt32(const char* what);
    void WriteInt32(int32_t value);

    size_t Position() const { return position_; }
    void SetPosition(size_t position) { position_ = position; }
    size_t Size() const { return bytes_.size(); }
    size_t Remaining() const { return position_ < bytes_.size() ? bytes_.size() - position_ : 0; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};
