// A small PNG writer for pictures taken out of entries: 8-bit RGBA, or
// 8-bit palette indices with the 256 colours they are drawn in and, when
// one index is drawn see-through, a transparency chunk for that index
// alone. No interlace; the compressed rows go in image chunks of up to
// kPngChunkBytes.
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

// The same for a decoded picture: one of palette indices is written as
// indices (colour type 3) with its colours, so whoever edits the file keeps
// them; a true-colour one as RGBA. Throws as above (Width * Height bytes of
// indices).
void EncodePng(const TDecodedPicture& picture,
               const std::function<void(std::span<const unsigned char>)>& sink);
std::vector<unsigned char> EncodePng(const TDecodedPicture& picture);

// The most bytes the PNG file of a valid width x height picture can take,
// in either of its forms.
std::uint64_t PngSizeBound(int width, int height);

} // namespace zorvak
