#include "formats/Png.h"

#include "framework/Failures.h"

#include <cstring>
#include <zlib.h>

namespace zorvak {

namespace {

void PutBigEndian(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

// Length, type, data, and the CRC over type and data.
void PutChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc =
        crc32(crc32(0L, Z_NULL, 0), out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

} // namespace

std::vector<unsigned char> EncodePng(const TRgbaPicture& picture) {
    const std::size_t pixels = CheckPictureSize(picture.Width, picture.Height);
    if (picture.Pixels.size() != 4 * pixels)
        throw TFailure("Picture pixels do not match its size");
    const auto width = static_cast<std::size_t>(picture.Width);
    const auto height = static_cast<std::size_t>(picture.Height);

    // Each row goes out behind filter type 0: pictures of palette colours
    // compress well enough without guessing a better filter.
    const std::size_t rowBytes = 4 * width;
    std::vector<unsigned char> raw;
    raw.reserve((rowBytes + 1) * height);
    for (std::size_t y = 0; y < height; ++y) {
        raw.push_back(0);
        const auto row = picture.Pixels.begin() + static_cast<std::ptrdiff_t>(y * rowBytes);
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    // The bound keeps raw under 2^27 bytes, well inside zlib's uLong.
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw TFailure("Cannot compress the picture");
    packed.resize(packedSize);

    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // depth, RGBA, deflate, filters, no interlace

    std::vector<unsigned char> out(std::begin(kPngSignature), std::end(kPngSignature));
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

} // namespace zorvak
