// The one bounds-checked little-endian reader that all parsing goes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvak {

// Reads from a byte span; reading or seeking past its end throws
// TInOutFailure "Read beyond end of file" and leaves the position unchanged.
class TByteReader {
public:
    explicit TByteReader(std::span<const unsigned char> bytes) : bytes_(bytes) {}

    std::int32_t ReadInt32() {
        unsigned char b[4];
        ReadBytes(b, 4);
        const std::uint32_t u = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
        return static_cast<std::int32_t>(u);
    }
    std::uint32_t ReadUInt32() { return static_cast<std::uint32_t>(ReadInt32()); }
    std::uint16_t ReadUInt16() {
        unsigned char b[2];
        ReadBytes(b, 2);
        return static_cast<std::uint16_t>(b[0] | b[1] << 8);
    }
    std::uint8_t ReadUInt8() {
        unsigned char b;
        ReadBytes(&b, 1);
        return b;
    }
    void ReadBytes(void* out, std::size_t n);
    std::span<const unsigned char> Take(std::size_t n);
    void Seek(std::size_t position);
    void Skip(std::size_t n) { Take(n); }

    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return bytes_.size() - position_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::span<const unsigned char> bytes_;
    std::size_t position_ = 0;
};

// Little-endian writing into a fixed buffer the caller sized.
inline void PutInt32(unsigned char* out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    out[0] = static_cast<unsigned char>(u);
    out[1] = static_cast<unsigned char>(u >> 8);
    out[2] = static_cast<unsigned char>(u >> 16);
    out[3] = static_cast<unsigned char>(u >> 24);
}

} // namespace zorvak
