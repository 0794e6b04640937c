#include "formats/Picture.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <string>
#include <utility>

namespace zorvak {

TPalette GreyPalette() {
    TPalette palette;
    for (std::size_t i = 0; i < palette.Colours.size(); ++i) {
        const auto level = static_cast<unsigned char>(i);
        palette.Colours[i] = {level, level, level};
    }
    return palette;
}

std::string PictureSizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

std::size_t CheckPictureSize(std::int64_t width, std::int64_t height) {
    // The message is made only when it is needed: a walk checks millions.
    if (width <= 0 || height <= 0)
        throw TFailure(
            FormatText(Tr("Picture size {1} is not valid"), PictureSizeText(width, height)));
    // Each side is checked first so the product stays well inside 64 bits.
    constexpr std::int64_t maxPixels = static_cast<std::int64_t>(kMaxPictureRgbaBytes / kRgbaBytes);
    if (width > maxPixels || height > maxPixels || width * height > maxPixels)
        throw TFailure(PictureTooLargeMessage(width, height));
    return static_cast<std::size_t>(width * height);
}

std::string PictureTooLargeMessage(std::int64_t width, std::int64_t height) {
    return FormatText(Tr("Picture size {1} is too large"), PictureSizeText(width, height));
}

std::size_t CheckIndexedPixels(const TByteReader& reader, std::int64_t width, std::int64_t height) {
    const std::size_t count = CheckPictureSize(width, height);
    if (count > reader.Remaining())
        throw TFailure(Tr("Picture pixels run past the end of the entry"));
    return count;
}

TIndexedPicture ReadIndexedPixels(TByteReader& reader, std::int64_t width, std::int64_t height) {
    const std::size_t count = CheckIndexedPixels(reader, width, height);
    const auto bytes = reader.Take(count);
    TIndexedPicture picture;
    picture.Width = static_cast<int>(width);
    picture.Height = static_cast<int>(height);
    picture.Pixels.assign(bytes.begin(), bytes.end());
    return picture;
}

TRgbaPicture ToRgba(const TIndexedPicture& picture, const TPalette& palette, int transparentIndex) {
    TRgbaPicture out;
    out.Width = picture.Width;
    out.Height = picture.Height;
    out.Pixels.resize(picture.Pixels.size() * kRgbaBytes);
    std::size_t o = 0;
    for (const unsigned char index : picture.Pixels) {
        const TRgb& colour = palette.Colours[index];
        out.Pixels[o++] = colour.R;
        out.Pixels[o++] = colour.G;
        out.Pixels[o++] = colour.B;
        out.Pixels[o++] = index == transparentIndex ? 0 : 255;
    }
    return out;
}

TDecodedPicture IndexedPicture(TIndexedPicture picture, const TPalette& colours,
                               int transparentIndex) {
    TDecodedPicture out;
    out.Indexed = true;
    out.Indices = std::move(picture);
    out.Colours = colours;
    out.Transparent = transparentIndex;
    return out;
}

TDecodedPicture TrueColourPicture(TRgbaPicture picture) {
    TDecodedPicture out;
    out.Rgba = std::move(picture);
    return out;
}

TRgbaPicture ToRgba(TDecodedPicture picture) {
    if (!picture.Indexed)
        return std::move(picture.Rgba);
    return ToRgba(picture.Indices, picture.Colours, picture.Transparent);
}

TIndexedPicture CropPicture(const TIndexedPicture& picture, int x, int y, int width, int height) {
    TIndexedPicture out;
    out.Width = width;
    out.Height = height;
    out.Pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = y; row < y + height; ++row) {
        const auto start =
            picture.Pixels.begin() + static_cast<std::ptrdiff_t>(row) * picture.Width + x;
        out.Pixels.insert(out.Pixels.end(), start, start + width);
    }
    return out;
}

} // namespace zorvak
