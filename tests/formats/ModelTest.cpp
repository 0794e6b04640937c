// Models and sprites: skins and frames, single or grouped.
#include "FormatImages.h"
#include "formats/Mdl.h"
#include "formats/Spr.h"
#include "support/FailureOf.h"

#include <functional>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::Bytes;
using test::FailureOf;
using test::TBytesWriter;

// Two 4 x 2 skins, the second a group of two; 3 vertices, 1 triangle; a
// frame and a group of two frames.
Bytes MakeModel() {
    TBytesWriter w = test::MdlHeader(2, 4, 2, 3, 1, 2);
    w.I32(0).Raw(Bytes(8, 1));
    w.I32(1).I32(2).U32(0).U32(0).Raw(Bytes(8, 2)).Raw(Bytes(8, 3));
    w.Zeros(3 * 12 + 16);
    w.I32(0).Raw(test::MdlFrame("stand1", 3));
    w.I32(1).I32(2).Zeros(8).U32(0).U32(0);
    return w.Raw(test::MdlFrame("run1", 3)).Raw(test::MdlFrame("run2", 3)).Out;
}

Bytes MakeSprite() {
    TBytesWriter w = test::SprHeader(2);
    w.I32(0).Raw(test::SprPicture(2, 1, {5, 255}));
    w.I32(1).I32(2).U32(0).U32(0);
    return w.Raw(test::SprPicture(1, 1, {6})).Raw(test::SprPicture(4, 3, Bytes(12, 7))).Out;
}

TEST(Mdl, SkinsAndFramesWithTheirGroups) {
    const TMdlModel model = ReadMdl(MakeModel());
    EXPECT_EQ(model.SkinWidth, 4);
    EXPECT_EQ(model.Vertices, 3);
    EXPECT_EQ(model.Triangles, 1);
    ASSERT_EQ(model.Skins.size(), 2u);
    EXPECT_FALSE(model.Skins[0].Group);
    ASSERT_EQ(model.Skins[1].Pictures.size(), 2u);
    EXPECT_TRUE(model.Skins[1].Group);
    EXPECT_EQ(model.Skins[0].Pictures[0].Pixels, Bytes(8, 1));
    EXPECT_EQ(model.Skins[1].Pictures[1].Pixels, Bytes(8, 3));
    ASSERT_EQ(model.Frames.size(), 2u);
    EXPECT_EQ(model.Frames[0].Names, std::vector<std::string>{"stand1"});
    EXPECT_TRUE(model.Frames[1].Group);
    EXPECT_EQ(model.Frames[1].Names, (std::vector<std::string>{"run1", "run2"}));
}

TEST(Spr, FramesAndGroupsAsPictures) {
    const TSprite sprite = ReadSpr(MakeSprite());
    EXPECT_EQ(sprite.MaxWidth, 4);
    ASSERT_EQ(sprite.Frames.size(), 2u);
    EXPECT_FALSE(sprite.Frames[0].Group);
    EXPECT_EQ(sprite.Frames[0].Pictures[0].Picture.Pixels, (Bytes{5, 255}));
    EXPECT_EQ(sprite.Frames[0].Pictures[0].OriginX, -1);
    ASSERT_EQ(sprite.Frames[1].Pictures.size(), 2u);
    EXPECT_EQ(sprite.Frames[1].Pictures[1].Picture.Width, 4);
    EXPECT_EQ(sprite.Frames[1].Pictures[1].Picture.Height, 3);
}

TEST(ModelsAndSprites, HostileEntriesFailWithAMessage) {
    auto patched = [](Bytes bytes, std::size_t at, std::int32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] =
                static_cast<unsigned char>(static_cast<std::uint32_t>(value) >> (8 * i));
        return bytes;
    };
    auto mdl = [&](std::size_t at, std::int32_t value) {
        return [=] { ReadMdl(patched(MakeModel(), at, value)); };
    };
    auto spr = [&](std::size_t at, std::int32_t value) {
        return [=] { ReadSpr(patched(MakeSprite(), at, value)); };
    };
    const std::size_t group = 84 + 4 + 8 + 4; // the model's skin group size
    struct TCase {
        const char* Name;
        std::function<void()> Read;
        std::string Failure;
    };
    const TCase cases[] = {
        {"model magic", mdl(0, 0x4F504449 + 1), "Not a model file"},
        {"model version", mdl(4, 8), "Model version 8 is not supported"},
        {"model cut",
         [] {
             ReadMdl(Bytes{'I', 'D', 'P', 'O', 6, 0});
         },
         "Model header is cut short"},
        {"skin count", mdl(48, 1000), "Model skin count 1000 runs past the end of the entry"},
        {"negative skins", mdl(48, -1), "Model skin count -1 is not valid"},
        {"skin pixels", mdl(52, 60000), "Picture pixels run past the end of the entry"},
        {"huge skin", [&] { ReadMdl(patched(patched(MakeModel(), 52, 60000), 56, 60000)); },
         "Picture size 60000 x 60000 is too large"},
        {"skin group", mdl(group, 0x7FFFFFFF),
         "Model skin group size 2147483647 runs past the end of the entry"},
        {"vertices", mdl(60, 0x10000000),
         "Model vertex count 268435456 runs past the end of the entry"},
        {"frames", mdl(68, 50), "Model frame count 50 runs past the end of the entry"},
        {"sprite magic", spr(0, 0), "Not a sprite file"},
        {"sprite version", spr(4, 2), "Sprite version 2 is not supported"},
        {"frame count", spr(24, 0x7FFFFFFF),
         "Sprite frame count 2147483647 runs past the end of the entry"},
        {"frame size", spr(36 + 4 + 8, 0x7FFFFFFF), "Picture size 2147483647 x 1 is too large"},
        {"frame pixels", spr(36 + 4 + 8, 300), "Picture pixels run past the end of the entry"},
        {"frame group", spr(36 + 4 + 16 + 2 + 4, -3), "Sprite frame group size -3 is not valid"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf(c.Read), c.Failure) << c.Name;
}

} // namespace
} // namespace zorvak
