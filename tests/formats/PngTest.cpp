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

} // namespace
} // namespace zorvak
