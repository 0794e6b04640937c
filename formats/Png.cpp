#include "formats/Png.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
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
    throw TFailure(Tr("Cannot compress the picture"));
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

// The colour types written: palette indices, and RGBA.
constexpr unsigned char kColourIndexed = 3;
constexpr unsigned char kColourRgba = 6;
constexpr std::size_t kPaletteChunkBytes = 3 * static_cast<std::size_t>(kPaletteColours);
// Alphas up to the see-through index; those past it are opaque.
constexpr std::size_t kMostTransparencyBytes = kPaletteColours;

using TSink = std::function<void(std::span<const unsigned char>)>;

// The file of width x height pixels of pixelBytes each, rows top-down in
// pixels; between() puts out what goes after the header and before the
// image chunks.
void WritePng(int width, int height, unsigned char colourType, std::size_t pixelBytes,
              const std::vector<unsigned char>& pixels, const std::function<void()>& between,
              const TSink& sink) {
    const std::size_t count = CheckPictureSize(width, height);
    if (pixels.size() != pixelBytes * count)
        throw TFailure(Tr("Picture pixels do not match its size"));
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);

    sink(kPngSignature);
    // Depth 8, the colour type, deflate, the one filter method, no interlace.
    unsigned char header[kHeaderDataBytes] = {0, 0, 0, 0, 0, 0, 0, 0, 8, colourType, 0, 0, 0};
    PutBigEndian(header, static_cast<std::uint32_t>(w));
    PutBigEndian(header + sizeof(std::uint32_t), static_cast<std::uint32_t>(h));
    PutChunk(sink, "IHDR", header);
    between();

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
    const std::size_t rowBytes = pixelBytes * w;
    const unsigned char filter = 0;
    for (std::size_t y = 0; y < h; ++y) {
        feed(&filter, 1, Z_NO_FLUSH);
        feed(pixels.data() + y * rowBytes, rowBytes, Z_NO_FLUSH);
    }
    feed(nullptr, 0, Z_FINISH);
    PutChunk(sink, "IEND", {});
}

// The most a file of raw filtered row bytes and extra bytes of chunks
// besides the header's and the image's can take.
std::uint64_t FileBound(std::uint64_t raw, std::uint64_t extra) {
    // The size check keeps raw under 2^27 bytes, well inside zlib's uLong.
    const std::uint64_t packed = compressBound(static_cast<uLong>(raw));
    const std::uint64_t chunks = packed / kPngChunkBytes + 1;
    return sizeof kPngSignature + kChunkOverhead + kHeaderDataBytes + extra +
           chunks * kChunkOverhead + packed + kChunkOverhead;
}

// A reserve that is never outgrown, so a big picture's PNG is never grown
// by doubling to twice its room.
std::vector<unsigned char> Whole(int width, int height,
                                 const std::function<void(const TSink&)>& encode) {
    std::vector<unsigned char> out;
    (void)CheckPictureSize(width, height);
    out.reserve(static_cast<std::size_t>(PngSizeBound(width, height)));
    encode([&out](std::span<const unsigned char> piece) {
        out.insert(out.end(), piece.begin(), piece.end());
    });
    return out;
}

} // namespace

void EncodePng(const TRgbaPicture& picture, const TSink& sink) {
    WritePng(
        picture.Width, picture.Height, kColourRgba, kRgbaBytes, picture.Pixels, [] {}, sink);
}

std::vector<unsigned char> EncodePng(const TRgbaPicture& picture) {
    return Whole(picture.Width, picture.Height,
                 [&](const TSink& sink) { EncodePng(picture, sink); });
}

void EncodePng(const TDecodedPicture& picture, const TSink& sink) {
    if (!picture.Indexed) {
        EncodePng(picture.Rgba, sink);
        return;
    }
    const TIndexedPicture& indices = picture.Indices;
    WritePng(
        indices.Width, indices.Height, kColourIndexed, 1, indices.Pixels,
        [&] {
            unsigned char colours[kPaletteChunkBytes];
            for (std::size_t i = 0; i < picture.Colours.Colours.size(); ++i) {
                const TRgb& c = picture.Colours.Colours[i];
                colours[3 * i] = c.R;
                colours[3 * i + 1] = c.G;
                colours[3 * i + 2] = c.B;
            }
            PutChunk(sink, "PLTE", colours);
            if (picture.Transparent < 0 || picture.Transparent >= kPaletteColours)
                return;
            // Opaque up to the see-through index, which ends the chunk.
            unsigned char alphas[kMostTransparencyBytes];
            const auto count = static_cast<std::size_t>(picture.Transparent) + 1;
            std::fill(alphas, alphas + count - 1, 255);
            alphas[count - 1] = 0;
            PutChunk(sink, "tRNS", std::span<const unsigned char>(alphas, count));
        },
        sink);
}

std::vector<unsigned char> EncodePng(const TDecodedPicture& picture) {
    return Whole(picture.Width(), picture.Height(),
                 [&](const TSink& sink) { EncodePng(picture, sink); });
}

std::uint64_t PngSizeBound(int width, int height) {
    const auto w = static_cast<std::uint64_t>(width);
    const auto h = static_cast<std::uint64_t>(height);
    const std::uint64_t rgba = FileBound(h * (1 + kRgbaBytes * w), 0);
    const std::uint64_t indexed =
        FileBound(h * (1 + w), 2 * kChunkOverhead + kPaletteChunkBytes + kMostTransparencyBytes);
    return std::max(rgba, indexed);
}

} // namespace zorvak
