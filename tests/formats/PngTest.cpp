#include "formats/Png.h"
#include "PngCheck.h"
#include "support/FailureOf.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(Png, ReadsBackAsWrittenAtAnySize) {
    struct TCase {
        int Width, Height;
    };
    for (const TCase& c : {TCase{1, 1}, TCase{3, 2}, TCase{1, 300}, TCase{257, 3}}) {
        SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Height));
        TRgbaPicture picture{c.Width, c.Height, {}};
        for (int i = 0; i < 4 * c.Width * c.Height; ++i)
            picture.Pixels.push_back(static_cast<unsigned char>(i * 37 + i / 5));
        TRgbaPicture back;
        ASSERT_EQ(test::PngFault(EncodePng(picture), back), "");
        EXPECT_EQ(back.Width, c.Width);
        EXPECT_EQ(back.Height, c.Height);
        EXPECT_EQ(back.Pixels, picture.Pixels);
    }
    TRgbaPicture wrong{2, 2, std::vector<unsigned char>(15)};
    EXPECT_EQ(test::FailureOf([&] { EncodePng(wrong); }), "Picture pixels do not match its size");
    TRgbaPicture empty{0, 2, {}};
    EXPECT_EQ(test::FailureOf([&] { EncodePng(empty); }), "Picture size 0 x 2 is not valid");
}

} // namespace
} // namespace zorvak
