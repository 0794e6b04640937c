// A small PNG writer for pictures taken out of entries: 8-bit RGBA, no
// interlace, the compressed rows in image chunks of up to kPngChunkBytes.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zorvak {

inline constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The compressed rows go out in chunks of this size, so a big picture's PNG
// never sits whole in memory beside the picture.
inline constexpr std::size_t kPngChunkBytes = std::size_t{1} << 20;

// The complete PNG file of picture, handed to sink piece by piece in file
// order. Throws TFailure "Picture pixels do not match its size" when Pixels
// is not 4 * Width * Height bytes, or as CheckPictureSize; what sink throws
// goes through.
void EncodePng(const TRgbaPicture& picture,
               const std::function<void(std::span<const unsigned char>)>& sink);
// The same, whole.
std::vector<unsigned char> EncodePng(const TRgbaPicture& picture);

// The most bytes the PNG file of a valid width x height picture can take.
std::uint64_t PngSizeBound(int width, int height);

} // namespace zorvak
