#include "formats/Pcx.h"
#include "FormatImages.h"
#include "support/FailureOf.h"

#include <functional>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::Bytes;
using test::FailureOf;
using test::TBytesWriter;

Bytes Palette() {
    Bytes out(768);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<unsigned char>(i / 3 + i % 3);
    return out;
}

// 3 x 2 in lines of 4 bytes: a run of four 9s fills line one and its pad,
// then 0xC5 stands alone (it must be written as a run of one), 1, 2, pad; the
// closing run of 0xC3 also spills past the last line.
Bytes Indexed() {
    TBytesWriter w = test::PcxHeader(3, 2, 1, 4);
    w.U8(0xC4).U8(9).U8(0xC1).U8(0xC5).U8(1).U8(0xC3).U8(2);
    return w.U8(0x0C).Raw(Palette()).Out;
}

TEST(Pcx, EightBitRunsAndItsPalette) {
    const TPcxPicture picture = ReadPcx(Indexed());
    ASSERT_TRUE(picture.Indexed);
    EXPECT_EQ(picture.Indexed->Width, 3);
    EXPECT_EQ(picture.Indexed->Height, 2);
    EXPECT_EQ(picture.Indexed->Pixels, (Bytes{9, 9, 9, 0xC5, 1, 2}));
    EXPECT_EQ(picture.Palette.Colours[2], (TRgb{2, 3, 4}));
    // Index 0xC5 is 197: R 197, G 198, B 199.
    EXPECT_EQ(Bytes(picture.Rgba.Pixels.begin() + 12, picture.Rgba.Pixels.begin() + 16),
              (Bytes{197, 198, 199, 255}));
}

TEST(Pcx, TwentyFourBitsFromThreePlanes) {
    // 2 x 1: planes R, G, B of two bytes each, unpacked apart from one run.
    TBytesWriter w = test::PcxHeader(2, 1, 3, 2);
    w.U8(10).U8(20).U8(0xC2).U8(30).U8(40).U8(50);
    const TPcxPicture picture = ReadPcx(w.Out);
    EXPECT_FALSE(picture.Indexed);
    EXPECT_EQ(picture.Rgba.Pixels, (Bytes{10, 30, 40, 255, 20, 30, 50, 255}));
}

TEST(Pcx, HostileFilesFailWithAMessage) {
    auto header = [](unsigned width, unsigned height, unsigned planes, unsigned line) {
        return test::PcxHeader(width, height, planes, line);
    };
    Bytes noMarker = Indexed();
    noMarker[noMarker.size() - 769] = 0;
    Bytes fourBits = Indexed();
    fourBits[3] = 4;
    Bytes cut = header(3, 2, 1, 4).U8(0xC4).U8(9).U8(0xC1).Out;
    cut.push_back(0x0C);
    cut.insert(cut.end(), 768, 0);
    struct TCase {
        const char* Name;
        Bytes Pcx;
        std::string Failure;
    };
    const TCase cases[] = {
        {"magic", Bytes(200, 1), "Not a PCX file"},
        {"short", Bytes{0x0A, 5, 1, 8}, "PCX header is cut short"},
        {"bits", fourBits, "PCX of 4 bits per pixel in 1 plane is not supported"},
        {"palette", noMarker, "PCX palette is missing"},
        {"runs end early", cut, "PCX pixels run past the end of the entry"},
        {"huge with few bytes", header(60000, 60000, 3, 60000).Zeros(10).Out,
         "Picture size 60000 x 60000 is too large"},
        // Few pixels, but lines padded to 64 KiB: the decoded planes pass the bound.
        {"padded lines", header(1, 65535, 3, 65535).Zeros(10).Out,
         "Picture size 1 x 65535 is too large"},
        {"more than the bytes can hold", header(4000, 4000, 3, 4000).Zeros(10).Out,
         "PCX pixels run past the end of the entry"},
        {"line shorter than the width", header(8, 1, 3, 4).Zeros(10).Out,
         "PCX line length 4 is too short for width 8"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf([&] { ReadPcx(c.Pcx); }), c.Failure) << c.Name;
}

} // namespace
} // namespace zorvak
