#include "formats/Picture.h"
#include "FormatImages.h"
#include "formats/Lmp.h"
#include "support/FailureOf.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::Bytes;
using test::FailureOf;

TEST(Picture, SizeGuardTakesWhatFitsAndNamesTheRest) {
    struct TCase {
        std::int64_t Width, Height;
        std::string Failure; // empty: accepted
    };
    const TCase cases[] = {
        {1, 1, ""},
        {4096, 4096, ""}, // exactly 64 MiB as RGBA
        {4097, 4096, "Picture size 4097 x 4096 is too large"},
        {60000, 60000, "Picture size 60000 x 60000 is too large"},
        // 2^16 squared is 2^32: zero in 32-bit arithmetic.
        {65536, 65536, "Picture size 65536 x 65536 is too large"},
        {16777217, 1, "Picture size 16777217 x 1 is too large"},
        {0x7FFFFFFF, 0x7FFFFFFF, "Picture size 2147483647 x 2147483647 is too large"},
        {0, 5, "Picture size 0 x 5 is not valid"},
        {3, -1, "Picture size 3 x -1 is not valid"},
    };
    for (const TCase& c : cases) {
        const std::string failure = FailureOf([&] { (void)CheckPictureSize(c.Width, c.Height); });
        EXPECT_EQ(failure, c.Failure.empty() ? "(no failure)" : c.Failure)
            << c.Width << " x " << c.Height;
    }
}

TEST(Picture, LmpInItsPaletteColoursPixelByPixel) {
    TPalette palette = GreyPalette();
    palette.Colours[1] = {10, 20, 30};
    palette.Colours[2] = {40, 50, 60};
    palette.Colours[255] = {1, 2, 3};
    const Bytes palBytes = [&] {
        Bytes out;
        for (const TRgb& c : palette.Colours)
            out.insert(out.end(), {c.R, c.G, c.B});
        return out;
    }();
    ASSERT_EQ(ReadPalette(palBytes).Colours, palette.Colours);

    // Rows top-down: 1 2 / 255 0; trailing bytes are no part of it.
    const TIndexedPicture picture = ReadLmpPicture(test::MakeLmp(2, 2, {1, 2, 255, 0, 9}));
    ASSERT_EQ(picture.Width, 2);
    ASSERT_EQ(picture.Height, 2);
    const Bytes opaque = {10, 20, 30, 255, 40, 50, 60, 255, 1, 2, 3, 255, 0, 0, 0, 255};
    EXPECT_EQ(ToRgba(picture, ReadPalette(palBytes)).Pixels, opaque);
    Bytes see = opaque;
    see[11] = 0;
    EXPECT_EQ(ToRgba(picture, palette, 255).Pixels, see);
}

TEST(Picture, LightTableIsTheFirst16KAsRows) {
    Bytes table(256 * 64 + 1);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<unsigned char>(i / 256 + i % 7);
    const TIndexedPicture map = ReadColormap(table);
    EXPECT_EQ(map.Width, 256);
    EXPECT_EQ(map.Height, 64);
    EXPECT_EQ(map.Pixels, Bytes(table.begin(), table.end() - 1));
}

TEST(Picture, DamagedLmpEntriesSayWhat) {
    struct TCase {
        const char* Name;
        std::function<void()> Read;
        std::string Failure;
    };
    const TCase cases[] = {
        {"short header",
         [] {
             ReadLmpPicture(Bytes{2, 0, 0, 0, 2});
         },
         "Picture header is cut short"},
        {"pixels cut",
         [] {
             ReadLmpPicture(test::MakeLmp(2, 2, {1, 2, 3}));
         },
         "Picture pixels run past the end of the entry"},
        {"huge", [] { ReadLmpPicture(test::MakeLmp(60000, 60000, {1})); },
         "Picture size 60000 x 60000 is too large"},
        {"negative", [] { ReadLmpPicture(test::MakeLmp(-2, 2, {1})); },
         "Picture size -2 x 2 is not valid"},
        {"short palette", [] { ReadPalette(Bytes(767)); }, "Palette holds 767 bytes, not 768"},
        {"short light table", [] { ReadColormap(Bytes(100)); },
         "Light table holds 100 bytes, not 16384"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf(c.Read), c.Failure) << c.Name;
}

} // namespace
} // namespace zorvak
