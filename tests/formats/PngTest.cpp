#include "formats/Png.h"
#include "PngCheck.h"
#include "support/FailureOf.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

// How many image chunks a PNG file holds.
int ImageChunks(const std::vector<unsigned char>& png) {
    int chunks = 0;
    for (std::size_t at = 8; at + 8 <= png.size();) {
        const std::size_t length = std::size_t{png[at]} << 24 | std::size_t{png[at + 1]} << 16 |
                                   std::size_t{png[at + 2]} << 8 | png[at + 3];
        chunks += std::string(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                              png.begin() + static_cast<std::ptrdiff_t>(at + 8)) == "IDAT";
        at += 12 + length;
    }
    return chunks;
}

TEST(Png, ReadsBackAsWrittenAtAnySize) {
    struct TCase {
        int Width, Height;
        bool Noise; // pixels that do not compress: more than one image chunk
    };
    for (const TCase& c : {TCase{1, 1, false}, TCase{3, 2, false}, TCase{1, 300, false},
                           TCase{257, 3, false}, TCase{1024, 300, true}}) {
        SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Height));
        TRgbaPicture picture{c.Width, c.Height, {}};
        std::uint32_t noise = 1;
        for (int i = 0; i < 4 * c.Width * c.Height; ++i) {
            noise = noise * 1664525u + 1013904223u;
            picture.Pixels.push_back(
                static_cast<unsigned char>(c.Noise ? noise >> 24 : i * 37 + i / 5));
        }
        TRgbaPicture back;
        const std::vector<unsigned char> png = EncodePng(picture);
        ASSERT_EQ(test::PngFault(png, back), "");
        EXPECT_EQ(back.Width, c.Width);
        EXPECT_EQ(back.Height, c.Height);
        EXPECT_EQ(back.Pixels, picture.Pixels);
        EXPECT_LE(png.size(), PngSizeBound(c.Width, c.Height));
        EXPECT_EQ(ImageChunks(png) > 1, c.Noise);
    }
    TRgbaPicture wrong{2, 2, std::vector<unsigned char>(15)};
    EXPECT_EQ(test::FailureOf([&] { EncodePng(wrong); }), "Picture pixels do not match its size");
    TRgbaPicture empty{0, 2, {}};
    EXPECT_EQ(test::FailureOf([&] { EncodePng(empty); }), "Picture size 0 x 2 is not valid");
}

// Palette pictures are written as their indices: a viewer sees what RGBA
// showed, and an editor finds the indices, the 256 colours and only the
// see-through index made transparent.
TEST(Png, IndexedPicturesKeepTheirIndicesColoursAndSeeThroughIndex) {
    TPalette colours;
    for (std::size_t i = 0; i < colours.Colours.size(); ++i)
        colours.Colours[i] = {static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i),
                              static_cast<unsigned char>(i * 7)};
    struct TCase {
        int Width, Height;
        int Transparent;
        bool Noise; // indices that do not compress: more than one image chunk
    };
    for (const TCase& c :
         {TCase{1, 1, kOpaque, false}, TCase{3, 2, 255, false}, TCase{2, 2, 0, false},
          TCase{257, 3, 17, false}, TCase{2048, 1024, 255, true}}) {
        SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Height));
        TIndexedPicture indices{c.Width, c.Height, {}};
        std::uint32_t noise = 1;
        for (int i = 0; i < c.Width * c.Height; ++i) {
            noise = noise * 1664525u + 1013904223u;
            indices.Pixels.push_back(static_cast<unsigned char>(c.Noise ? noise >> 24 : i * 37));
        }
        const TDecodedPicture picture = IndexedPicture(indices, colours, c.Transparent);
        const std::vector<unsigned char> png = EncodePng(picture);
        test::TPngRead back;
        ASSERT_EQ(test::PngFault(png, back), "");
        EXPECT_EQ(back.ColourType, 3u);
        EXPECT_EQ(back.Indices, indices.Pixels);
        EXPECT_TRUE(std::equal(back.Colours.begin(), back.Colours.end(), colours.Colours.begin(),
                               colours.Colours.end()));
        std::vector<unsigned char> alphas;
        if (c.Transparent != kOpaque) {
            alphas.assign(static_cast<std::size_t>(c.Transparent) + 1, 255);
            alphas.back() = 0;
        }
        EXPECT_EQ(back.Alphas, alphas);
        EXPECT_EQ(back.Rgba.Pixels, ToRgba(indices, colours, c.Transparent).Pixels);
        EXPECT_LE(png.size(), PngSizeBound(c.Width, c.Height));
        EXPECT_EQ(ImageChunks(png) > 1, c.Noise);
    }
    // A true-colour picture stays RGBA.
    const TDecodedPicture rgba = TrueColourPicture({1, 1, {1, 2, 3, 4}});
    test::TPngRead back;
    ASSERT_EQ(test::PngFault(EncodePng(rgba), back), "");
    EXPECT_EQ(back.ColourType, 6u);
    EXPECT_EQ(back.Rgba.Pixels, rgba.Rgba.Pixels);
    const TDecodedPicture wrong = IndexedPicture({2, 2, std::vector<unsigned char>(3)}, colours);
    EXPECT_EQ(test::FailureOf([&] { EncodePng(wrong); }), "Picture pixels do not match its size");
}

} // namespace
} // namespace zorvak
