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

// Half-Life's: the same frames after its header and colours.
Bytes MakeSprite(bool halfLife = false) {
    TBytesWriter w = halfLife ? test::SprHalfLifeHeader(2, kSprAlphaTest) : test::SprHeader(2);
    w.I32(0).Raw(test::SprPicture(2, 1, {5, 255}));
    w.I32(1).I32(2).U32(0).U32(0);
    return w.Raw(test::SprPicture(1, 1, {6})).Raw(test::SprPicture(4, 3, Bytes(12, 7))).Out;
}

// A visitor that keeps what the walk hands it and lets the walk go on.
template <class T> std::function<bool(const T&)> Into(std::vector<T>& kept) {
    return [&kept](const T& item) { return kept.push_back(item), true; };
}

// The bytes at offset of bytes.
Bytes At(const Bytes& bytes, std::size_t offset, std::size_t length) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

TEST(Mdl, SkinsAndFramesWithTheirGroups) {
    const Bytes bytes = MakeModel();
    std::vector<TMdlSkin> skins;
    std::vector<TMdlFrame> frames;
    const TMdlHeader model = WalkMdl(bytes, Into(skins), Into(frames));
    EXPECT_EQ(model.SkinWidth, 4);
    EXPECT_EQ(model.Vertices, 3);
    EXPECT_EQ(model.Triangles, 1);
    ASSERT_EQ(skins.size(), 2u);
    EXPECT_FALSE(skins[0].Group);
    ASSERT_EQ(skins[1].Pictures, 2u);
    EXPECT_TRUE(skins[1].Group);
    EXPECT_EQ(At(bytes, skins[0].Pixels, 8), Bytes(8, 1));
    EXPECT_EQ(At(bytes, skins[1].Pixels + 8, 8), Bytes(8, 3));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].FirstName, "stand1");
    EXPECT_TRUE(frames[1].Group);
    EXPECT_EQ(frames[1].Members, 2u);
    EXPECT_EQ(frames[1].FirstName, "run1");
}

TEST(Spr, FramesAndGroupsAsPictures) {
    for (const bool halfLife : {false, true}) {
        SCOPED_TRACE(halfLife ? "version 2" : "version 1");
        const Bytes bytes = MakeSprite(halfLife);
        std::vector<TSprFrame> frames;
        std::vector<TSprPicture> pictures;
        const TSprHeader sprite = WalkSpr(bytes, Into(frames), Into(pictures));
        EXPECT_EQ(sprite.HalfLife, halfLife);
        EXPECT_EQ(sprite.MaxWidth, 4);
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_FALSE(frames[0].Group);
        ASSERT_EQ(pictures.size(), 3u);
        EXPECT_EQ(At(bytes, pictures[0].Pixels, 2), (Bytes{5, 255}));
        EXPECT_EQ(pictures[0].OriginX, -1);
        EXPECT_EQ(frames[1].Pictures, 2u);
        EXPECT_EQ(pictures[2].Frame, 1u);
        EXPECT_EQ(pictures[2].Member, 1u);
        EXPECT_EQ(pictures[2].Width, 4);
        EXPECT_EQ(pictures[2].Height, 3);
    }
    // Half-Life's colours: as many as it says, the rest black.
    const TPalette colours = ReadSprPalette(test::SprHalfLifeHeader(0, kSprNormal, 2).Out);
    EXPECT_EQ(colours.Colours[1], (TRgb{1, 2, 3}));
    EXPECT_EQ(colours.Colours[2], (TRgb{0, 0, 0}));
}

TEST(ModelsAndSprites, HostileEntriesFailWithAMessage) {
    auto patched = [](Bytes bytes, std::size_t at, std::int32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] =
                static_cast<unsigned char>(static_cast<std::uint32_t>(value) >> (8 * i));
        return bytes;
    };
    auto mdl = [&](std::size_t at, std::int32_t value) {
        return [=] { WalkMdl(patched(MakeModel(), at, value), {}, {}); };
    };
    auto spr = [&](std::size_t at, std::int32_t value) {
        return [=] { WalkSpr(patched(MakeSprite(), at, value), {}, {}); };
    };
    auto halfLife = [&](const Bytes& bytes) { return [=] { WalkSpr(bytes, {}, {}); }; };
    const Bytes cut = test::SprHalfLifeHeader(0, kSprNormal).Out;
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
             WalkMdl(Bytes{'I', 'D', 'P', 'O', 6, 0}, {}, {});
         },
         "Model header is cut short"},
        {"skin count", mdl(48, 1000), "Model skin count 1000 runs past the end of the entry"},
        {"negative skins", mdl(48, -1), "Model skin count -1 is not valid"},
        {"skin pixels", mdl(52, 60000), "Picture pixels run past the end of the entry"},
        {"huge skin", [&] { WalkMdl(patched(patched(MakeModel(), 52, 60000), 56, 60000), {}, {}); },
         "Picture size 60000 x 60000 is too large"},
        {"skin group", mdl(group, 0x7FFFFFFF),
         "Model skin group size 2147483647 runs past the end of the entry"},
        {"vertices", mdl(60, 0x10000000),
         "Model vertex count 268435456 runs past the end of the entry"},
        {"frames", mdl(68, 50), "Model frame count 50 runs past the end of the entry"},
        {"sprite magic", spr(0, 0), "Not a sprite file"},
        {"sprite version", spr(4, 3), "Sprite version 3 is not supported"},
        {"Half-Life's header cut short", halfLife(Bytes(cut.begin(), cut.begin() + 39)),
         "Sprite header is cut short"},
        {"Half-Life's colours cut short", halfLife(Bytes(cut.begin(), cut.end() - 1)),
         "Palette of sprite lies outside the entry"},
        {"Half-Life's colour count", halfLife(test::SprHalfLifeHeader(0, kSprNormal, 300).Out),
         "Palette of sprite holds 300 colours"},
        {"Half-Life's frames", halfLife(test::SprHalfLifeHeader(1, kSprNormal).Out),
         "Sprite frame count 1 runs past the end of the entry"},
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
