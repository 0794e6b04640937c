// Byte streams: one interface for files and memory, so the format code reads
// and writes without caring where the bytes live.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zorvak {

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to n bytes; returns fewer only at the end of the stream.
    virtual std::size_t Read(void* buffer, std::size_t n) = 0;
    // Writes all n bytes or throws.
    virtual void Write(const void* buffer, std::size_t n) = 0;
    // Moves to an absolute position (>= 0); returns it.
    virtual std::int64_t Seek(std::int64_t position) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;

    // Reads exactly n bytes; throws "Stream read error" when fewer are there.
    void ReadBuffer(void* buffer, std::size_t n);

protected:
    // The one check of a position asked for: throws "Stream seek error" for a
    // negative one, else gives it back.
    static std::int64_t CheckedPosition(std::int64_t position);
};

// A growable in-memory stream.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t n) override;
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }

    const std::vector<unsigned char>& Bytes() const { return bytes_; }
    std::vector<unsigned char>& Bytes() { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
    std::int64_t position_ = 0;
};

} // namespace zorvak
