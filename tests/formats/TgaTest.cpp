#include "formats/Tga.h"
#include "FormatImages.h"
#include "support/FailureOf.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::Bytes;
using test::FailureOf;
using test::TgaHeader;

constexpr unsigned kTopLeft = kTgaTopToBottom;

// Every stored layout gives the same 2 x 2 picture: red, green over blue,
// white (alpha 128 where the depth holds it).
TEST(Tga, EveryLayoutGivesTheSamePicture) {
    const Bytes opaque = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    Bytes halfWhite = opaque;
    halfWhite[15] = 128;
    const struct {
        const char* What;
        Bytes File;
        Bytes Rgba;
    } cases[] = {
        {"24 bits from the bottom",
         TgaHeader(2, 2, 2, 24).Raw({255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0}).Out, opaque},
        {"24 bits from the top",
         TgaHeader(2, 2, 2, 24, kTopLeft).Raw({0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255}).Out,
         opaque},
        {"24 bits from the right, top first",
         TgaHeader(2, 2, 2, 24, kTopLeft | kTgaRightToLeft)
             .Raw({0, 255, 0, 0, 0, 255, 255, 255, 255, 255, 0, 0})
             .Out,
         opaque},
        {"32 bits keep their alpha",
         TgaHeader(2, 2, 2, 32, kTopLeft | 8)
             .Raw({0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 128})
             .Out,
         halfWhite},
        {"16 bits, five to a channel",
         TgaHeader(2, 2, 2, 16, kTopLeft).U16(0x7C00).U16(0x03E0).U16(0x001F).U16(0xFFFF).Out,
         opaque},
        {"colour-mapped, the map starting at 1",
         TgaHeader(1, 2, 2, 8, kTopLeft, 4, 24, 1)
             .Raw({0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255})
             .Raw({1, 2, 3, 4})
             .Out,
         opaque},
        {"run-length packets crossing a row",
         TgaHeader(10, 2, 2, 24, kTopLeft)
             .U8(0x00)
             .Raw({0, 0, 255}) // one stored pixel
             .U8(0x01)
             .Raw({0, 255, 0, 255, 0, 0}) // two, across the row's end
             .U8(0x85)
             .Raw({255, 255, 255}) // a run of six, cut at the end
             .Out,
         opaque},
    };
    for (const auto& c : cases) {
        const TRgbaPicture picture = ReadTga(c.File);
        EXPECT_EQ(picture.Width, 2) << c.What;
        EXPECT_EQ(picture.Height, 2) << c.What;
        EXPECT_EQ(picture.Pixels, c.Rgba) << c.What;
    }
    // Greys are their one byte three times.
    EXPECT_EQ(ReadTga(TgaHeader(11, 1, 1, 8).U8(0x80).U8(77).Out).Pixels, (Bytes{77, 77, 77, 255}));
}

TEST(Tga, HostileFilesFailWithAMessage) {
    const struct {
        const char* What;
        Bytes File;
        std::string Failure;
    } cases[] = {
        {"header cut short", Bytes(17), "TGA header is cut short"},
        {"no image", TgaHeader(0, 1, 1, 8).U8(0).Out, "TGA image type 0 is not supported"},
        {"type 32", TgaHeader(32, 1, 1, 8).U8(0).Out, "TGA image type 32 is not supported"},
        {"greys of 16 bits", TgaHeader(3, 1, 1, 16).U16(0).Out,
         "TGA of 16 bits per pixel is not supported for greyscale"},
        {"true-colour of 8 bits", TgaHeader(2, 1, 1, 8).U8(0).Out,
         "TGA of 8 bits per pixel is not supported for true-colour"},
        {"no colour map", TgaHeader(1, 1, 1, 8).U8(0).Out,
         "TGA colour map is missing or cut short"},
        {"a colour map cut short", TgaHeader(1, 1, 1, 8, 0, 200, 24).Raw(Bytes(30)).Out,
         "TGA colour map is missing or cut short"},
        {"an index outside the map", TgaHeader(1, 1, 1, 8, 0, 2, 24).Raw(Bytes(6)).U8(2).Out,
         "TGA pixel index 2 is outside its colour map"},
        {"no width", TgaHeader(2, 0, 1, 24).Out, "Picture size 0 x 1 is not valid"},
        {"stored pixels cut short", TgaHeader(2, 2, 2, 24).Raw(Bytes(11)).Out,
         "TGA pixels run past the end of the entry"},
        // 65535 x 65535 asked of a few bytes: refused before anything is
        // allocated, at the best coding's length.
        {"a huge picture in a few runs", TgaHeader(10, 4096, 4096, 24).U8(0xFF).Raw({1, 2, 3}).Out,
         "TGA pixels run past the end of the entry"},
        {"a packet cut short", TgaHeader(10, 2, 1, 24).U8(0x01).Raw({1, 2, 3, 4}).Out,
         "TGA pixels run past the end of the entry"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FailureOf([&] { ReadTga(c.File); }), c.Failure) << c.What;
        // The header's check alone refuses the same files, but for what only
        // the pixels show.
        if (c.Failure.find("index") == std::string::npos &&
            std::string(c.What) != "a packet cut short") {
            EXPECT_EQ(FailureOf([&] { ReadTgaInfo(c.File); }), c.Failure) << c.What;
        }
    }
}

} // namespace
} // namespace zorvak
