#include "formats/Png.h"

#include "framework/Failures.h"

#include <cstring>
#include <memory>
#include <zlib.h>

namespace zorvak {

namespace {

constexpr std::size_t kChunkHeadBytes = 8; // length, type
constexpr std::size_t kChunkTypeBytes = 4;
constexpr std::size_t kCrcBytes = 4;
constexpr std::size_t kChunkOverhead = kChunkHeadBytes + kCrcBytes;
constexpr std::size_t kHeaderDataBytes = 13;

void PutBigEndian(unsigned char* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

// Length, type, data, and the CRC over type and data.
void PutChunk(const std::function<void(std::span<const unsigned char>)>& sink, const char* type,
              std::span<const unsigned char> data) {
    unsigned char head[kChunkHeadBytes];
    PutBigEndian(head, static_cast<std::uint32_t>(data.size()));
    unsigned char* const typeBytes = head + kChunkHeadBytes - kChunkTypeBytes;
    std::memcpy(typeBytes, type, kChunkTypeBytes);
    uLong crc = crc32(crc32(0L, Z_NULL, 0), typeBytes, kChunkTypeBytes);
    // A null buffer would restart the sum, not continue it.
    if (!data.empty())
        crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    unsigned char tail[kCrcBytes];
    PutBigEndian(tail, static_cast<std::uint32_t>(crc));
    sink(head);
    if (!data.empty())
        sink(data);
    sink(tail);
}

[[noreturn]] void CannotCompress() {
    throw TFailure("Cannot compress the picture");
}

// A deflate stream that ends itself, whatever is thrown meanwhile.
struct TDeflater {
    z_stream Stream{};
    TDeflater() {
        if (deflateInit(&Stream, Z_DEFAULT_COMPRESSION) != Z_OK)
            CannotCompress();
    }
    ~TDeflater() { deflateEnd(&Stream); }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;
};

} // namespace

void EncodePng(const TRgbaPicture& picture,
               const std::function<void(std::span<const unsigned char>)>& sink) {
    const std::size_t pixels = CheckPictureSize(picture.Width, picture.Height);
    if (picture.Pixels.size() != kRgbaBytes * pixels)
        throw TFailure("Picture pixels do not match its size");
    const auto width = static_cast<std::size_t>(picture.Width);
    const auto height = static_cast<std::size_t>(picture.Height);

    sink(kPngSignature);
    unsigned char header[kHeaderDataBytes] = {
        0, 0, 0, 0, 0, 0, 0, 0, 8, 6, 0, 0, 0}; // depth, RGBA, deflate, filters, no interlace
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header + sizeof(std::uint32_t), static_cast<std::uint32_t>(height));
    PutChunk(sink, "IHDR", header);

    // Each row goes in behind filter type 0, straight from the picture:
    // pictures of palette colours compress well enough without guessing a
    // better filter. The stream is the one a single call would make.
    TDeflater deflater;
    z_stream& z = deflater.Stream;
    const auto chunk = std::make_unique<unsigned char[]>(kPngChunkBytes);
    z.next_out = chunk.get();
    z.avail_out = static_cast<uInt>(kPngChunkBytes);
    const auto feed = [&](const unsigned char* data, std::size_t size, int flush) {
        z.next_in = const_cast<unsigned char*>(data);
        z.avail_in = static_cast<uInt>(size);
        for (;;) {
            const int result = deflate(&z, flush);
            if (result == Z_STREAM_ERROR)
                CannotCompress();
            if (z.avail_out == 0 || (result == Z_STREAM_END && z.avail_out < kPngChunkBytes)) {
                PutChunk(sink, "IDAT",
                         std::span<const unsigned char>(chunk.get(), kPngChunkBytes - z.avail_out));
                z.next_out = chunk.get();
                z.avail_out = static_cast<uInt>(kPngChunkBytes);
            }
            if (result == Z_STREAM_END || (flush == Z_NO_FLUSH && z.avail_in == 0))
                return;
        }
    };
    const std::size_t rowBytes = kRgbaBytes * width;
    const unsigned char filter = 0;
    for (std::size_t y = 0; y < height; ++y) {
        feed(&filter, 1, Z_NO_FLUSH);
        feed(picture.Pixels.data() + y * rowBytes, rowBytes, Z_NO_FLUSH);
    }
    feed(nullptr, 0, Z_FINISH);
    PutChunk(sink, "IEND", {});
}

std::vector<unsigned char> EncodePng(const TRgbaPicture& picture) {
    std::vector<unsigned char> out;
    // Never grown by doubling: a big picture's PNG would need twice its room.
    (void)CheckPictureSize(picture.Width, picture.Height);
    out.reserve(static_cast<std::size_t>(PngSizeBound(picture.Width, picture.Height)));
    EncodePng(picture, [&out](std::span<const unsigned char> piece) {
        out.insert(out.end(), piece.begin(), piece.end());
    });
    return out;
}

std::uint64_t PngSizeBound(int width, int height) {
    const std::uint64_t raw =
        static_cast<std::uint64_t>(height) * (1 + kRgbaBytes * static_cast<std::uint64_t>(width));
    // The bound keeps raw under 2^27 bytes, well inside zlib's uLong.
    const std::uint64_t packed = compressBound(static_cast<uLong>(raw));
    const std::uint64_t chunks = packed / kPngChunkBytes + 1;
    return sizeof kPngSignature + kChunkOverhead + kHeaderDataBytes + chunks * kChunkOverhead +
           packed + kChunkOverhead;
}

} // namespace zorvak
