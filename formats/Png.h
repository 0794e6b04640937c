// A small PNG writer for pictures taken out of entries: 8-bit RGBA, no
// interlace, one compressed image chunk.
#pragma once

#include "formats/Picture.h"

#include <vector>

namespace zorvak {

inline constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The complete PNG file of picture. Throws TFailure "Picture pixels do not
// match its size" when Pixels is not 4 * Width * Height bytes, or as
// CheckPictureSize.
std::vector<unsigned char> EncodePng(const TRgbaPicture& picture);

} // namespace zorvak
