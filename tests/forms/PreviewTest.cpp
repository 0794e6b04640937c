// The preview window driven through the main window as a user would: the
// view each kind of entry gets, the palette rule, following the caret, the
// refusals, Play and Save As. Every entry is made here.
#include "forms/Preview.h"

#include "formats/FormatImages.h"
#include "formats/MeshImages.h"
#include "formats/Png.h"
#include "forms/PreviewScene.h"
#include "forms/PreviewViews.h"
#include "framework/Text.h"
#include "framework/ui/Settings.h"
#include "sound/Waveplay.h"
#include "support/MainWindowTest.h"
#include "support/Mouse.h"
#include "support/PakImage.h"
#include "support/WaveImage.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStackedWidget>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace zorvak {
namespace {

using test::Bytes;
using test::ReadFile;
using test::TBytesWriter;
using test::ToString;
using test::WriteFile;

// A palette whose index i is (i, 255 - i, 7): told apart from greys and from
// another palette at a glance.
Bytes PaletteBytes(unsigned char blue = 7) {
    Bytes out;
    for (int i = 0; i < 256; ++i)
        out.insert(out.end(),
                   {static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i), blue});
    return out;
}

std::string PaletteEntry(unsigned char blue = 7) {
    return ToString(PaletteBytes(blue));
}

// Quake II's colour map: a 2 x 1 PCX whose palette is PaletteEntry's.
std::string ColormapPcx(unsigned char blue) {
    return ToString(
        test::PcxHeader(2, 1, 1, 2).U8(0xC2).U8(0).U8(0x0C).Raw(PaletteBytes(blue)).Out);
}

// 4 x 2, 24 bits, rows from the bottom: black below blue, green, red, white.
std::string SmallTga(bool footer) {
    TBytesWriter w;
    w.U8(0).U8(0).U8(2).Zeros(5).U16(0).U16(0).U16(4).U16(2).U8(24).U8(0);
    w.Zeros(12); // the bottom row
    w.Raw({255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    if (footer)
        w.Zeros(8).Tag("TRUEVISION-XFILE.").U8(0);
    return ToString(w.Out);
}

class Preview : public test::TMainWindowTest {
protected:
    TPreviewForm& OpenPreview() {
        if (form.Preview == nullptr || !form.Preview->isVisible())
            form.PreviewEntry1->trigger();
        EXPECT_NE(form.Preview, nullptr);
        return *form.Preview;
    }
    // Moves the caret as the arrow keys do.
    void MoveTo(int row) { form.PakList->setCurrentRow(row); }
    TPreviewForm& P() { return *form.Preview; }
    QString Notice() { return P().NoticeLabel->text(); }
    QRgb Pixel(int x, int y) { return P().ShownPicture().pixel(x, y); }
    // Lets the window system's activations and focus changes arrive.
    static void Settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
};

TEST_F(Preview, EachKindGetsItsView) {
    const Bytes wave = test::MakePcm8Wave(test::SawPcm8(64));
    const TRgbaPicture red{1, 1, {255, 0, 0, 255}};
    const struct {
        std::string Name;
        std::string Bytes;
        TPreviewPage Page;
        QString Title;  // of the list of parts; empty: none listed
        QString Info;   // the line under the view, as it starts
        QString Notice; // the line above it, as it starts
    } cases[] = {
        {"autoexec.cfg", "bind x y\r\necho \x01\n", TPreviewPage::ppText, "", "2 lines, UTF-8", ""},
        {"readme", "caf\xE9\n", TPreviewPage::ppText, "", "1 line, Latin-1", ""},
        // Quake II's models name their skins, kept as files of their own.
        {"models/tank/tris.md2", ToString(test::MakeMd2({"models/tank/skin.pcx"}, {"stand01"})),
         TPreviewPage::ppText, "", "Quake II model, 1 skin of 256 x 128", ""},
        {"models/bad.md2", "IDP2", TPreviewPage::ppHex, "", "4 bytes",
         "Cannot show this Quake II model: Quake II model header is cut short."},
        {"gfx/pause.lmp", ToString(test::MakeLmp(2, 1, {1, 2})), TPreviewPage::ppPicture, "",
         "2 x 1, palette picture (.lmp), in greys", "No palette found"},
        {"gfx.wad",
         ToString(test::MakeWad2(
             {{"conchars", 0x44, Bytes(128 * 128, 1)}, {"face", 0x42, test::MakeLmp(1, 1, {3})}})),
         TPreviewPage::ppPicture, "Lumps", "128 x 128, console font", "No palette found"},
        {"maps/e1m1.bsp",
         ToString(test::MakeBsp({test::MakeMipTexture("sky1", 8, 8, Bytes(64, 4))})),
         TPreviewPage::ppPicture, "Textures", "8 x 8, texture", "No palette found"},
        {"progs/s_light.spr",
         ToString(test::SprHeader(1).I32(0).Raw(test::SprPicture(2, 2, {1, 2, 3, 255})).Out),
         TPreviewPage::ppPicture, "Frames", "2 x 2, sprite frame", "No palette found"},
        {"progs/box.mdl",
         ToString(test::MdlHeader(1, 4, 2, 3, 1, 1)
                      .I32(0)
                      .Raw(Bytes(8, 1))
                      .Zeros(3 * 12 + 16)
                      .I32(0)
                      .Raw(test::MdlFrame("stand1", 3))
                      .Out),
         TPreviewPage::ppPicture, "Skins", "4 x 2, skin", "No palette found"},
        {"pics/red.png", ToString(EncodePng(red)), TPreviewPage::ppPicture, "", "1 x 1, PNG", ""},
        // A PCX brings its own colours: no word of a palette.
        {"pics/dots.pcx",
         ToString(test::PcxHeader(2, 1, 1, 2).U8(0xC2).U8(3).U8(0x0C).Raw(PaletteBytes()).Out),
         TPreviewPage::ppPicture, "", "2 x 1, PCX, 8-bit with its palette", ""},
        {"sound/a.wav", ToString(wave), TPreviewPage::ppSound, "", "", ""},
        {"progs.dat", std::string("\0\1\2progs", 8), TPreviewPage::ppHex, "", "8 bytes",
         "Not a text, picture or sound entry: shown as bytes."},
        {"empty.cfg", "", TPreviewPage::ppHex, "", "0 bytes", "The entry is empty."},
        {"gfx/bad.lmp", ToString(test::MakeLmp(1000, 1000, {1, 2})), TPreviewPage::ppHex, "",
         "10 bytes", "Cannot show this picture: Picture pixels run past the end of the entry."},
        {"sound/bad.wav", std::string("RIFF\4\0\0\0WAVX", 12), TPreviewPage::ppHex, "", "12 bytes",
         "Cannot read this sound: Not a WAVE file."},
        {"maps/bad.bsp", ToString(TBytesWriter().I32(31).Zeros(120).Out), TPreviewPage::ppHex, "",
         "124 bytes", "Cannot show this map: Not a version 29 map (version 31)."},
        {"pics/bad.png", std::string("\x89PNG\r\n\x1A\n", 8) + "garbage", TPreviewPage::ppHex, "",
         "15 bytes", "Cannot read this PNG picture"},
        // Half-Life's sprites carry their colours: no word of a palette.
        {"sprites/fire.spr",
         ToString(test::SprHalfLifeHeader(1, 3).I32(0).Raw(test::SprPicture(2, 1, {1, 255})).Out),
         TPreviewPage::ppPicture, "Frames", "2 x 1, sprite frame, alpha test", ""},
        {"maps/cut.bsp", std::string("IBSP\x26\0\0\0", 8), TPreviewPage::ppHex, "", "8 bytes",
         "Cannot show this Quake II map: Quake II map header is cut short."},
    };
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& c : cases)
        files.push_back({c.Name, c.Bytes});
    Open(files);
    OpenPreview();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.Name);
        MoveTo(static_cast<int>(i));
        EXPECT_EQ(P().NameLabel->text(), QString::fromStdString(c.Name));
        EXPECT_EQ(P().Page(), c.Page);
        EXPECT_EQ(P().PartPanel->isHidden(), c.Title.isEmpty());
        if (!c.Title.isEmpty()) {
            EXPECT_EQ(P().PartTitle->text(), c.Title);
        }
        const QString info = P().InfoLabel->text();
        EXPECT_TRUE(c.Info.isEmpty() ? info.isEmpty() : info.startsWith(c.Info))
            << info.toStdString();
        if (c.Notice.isEmpty())
            EXPECT_TRUE(P().NoticeLabel->isHidden()) << Notice().toStdString();
        else
            EXPECT_TRUE(Notice().contains(c.Notice)) << Notice().toStdString();
        EXPECT_TRUE(P().ButtonSaveAs->isEnabled());
        EXPECT_EQ(P().ButtonPlay->isHidden(), c.Page != TPreviewPage::ppSound);
    }
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    // What the text and the hex views hold.
    MoveTo(0);
    EXPECT_EQ(P().TextView->toPlainText(), QString::fromUtf8("bind x y\necho \u2401\n"));
    MoveTo(1);
    EXPECT_EQ(P().TextView->toPlainText(), QString::fromUtf8("caf\u00e9\n"));
    MoveTo(2);
    EXPECT_EQ(P().TextView->toPlainText(), "skin 0: models/tank/skin.pcx\nframe 0: stand01\n");
    MoveTo(12);
    EXPECT_EQ(P().HexView->RowText(0).toStdString(),
              "00000000  00 01 02 70 72 6F 67 73" + std::string(27, ' ') + "|...progs|");
}

// The kind line says what the bytes are, whatever the entry is named.
TEST_F(Preview, TheKindLineNamesWhatTheBytesSay) {
    Bytes wad3 = test::MakeWad2({{"face", 0x42, test::MakeLmp(1, 1, {3})}});
    std::copy_n("WAD3", 4, wad3.begin());
    Bytes bsp2 = test::MakeBsp({});
    std::copy_n("BSP2", 4, bsp2.begin());
    const struct {
        std::string Name;
        Bytes Entry;
        QString Kind; // as the kind line starts
    } cases[] = {
        {"halflife.wad", wad3, "Picture container (WAD3), "},
        {"sprites/fire.dat", test::SprHalfLifeHeader(0, 0).Out, "Sprite (Half-Life), "},
        {"maps/base1.dat", test::MakeQuake2Map({}), "Quake II map, "},
        {"gfx.wad", test::MakeModelOfSkins(1, 2, 2), "Model, "},
        {"maps/large.dat", bsp2, "Map, "},
        {"maps/small.dat", test::MakeBsp({}), "Unknown kind, "}, // version 29 goes by name
        {"pics/photo.dat", Bytes{0xFF, 0xD8, 0xFF, 0xDB}, "JPEG picture, 4 bytes"},
    };
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& c : cases)
        files.push_back({c.Name, ToString(c.Entry)});
    Open(files);
    OpenPreview();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].Name);
        MoveTo(static_cast<int>(i));
        EXPECT_TRUE(P().KindLabel->text().startsWith(cases[i].Kind))
            << P().KindLabel->text().toStdString();
    }
}

// A container with nothing in its list says what it lacks.
TEST_F(Preview, AnEmptyListSaysWhatTheEntryLacks) {
    const struct {
        std::string Name;
        Bytes Entry;
        QString Message;
    } cases[] = {
        {"gfx.wad", test::MakeWad2({}), "The picture container holds no lumps."},
        {"maps/e1m1.bsp", test::MakeBsp({}), "The map holds no textures."},
        {"progs/box.mdl", test::MakeModelOfSkins(0, 4, 2), "The model holds no skins."},
        {"progs/s_light.spr", test::SprHeader(0).Out, "The sprite holds no frames."},
    };
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& c : cases)
        files.push_back({c.Name, ToString(c.Entry)});
    Open(files);
    OpenPreview();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].Name);
        MoveTo(static_cast<int>(i));
        EXPECT_EQ(P().Page(), TPreviewPage::ppMessage);
        EXPECT_EQ(P().MessageLabel->text(), cases[i].Message);
    }
}

TEST_F(Preview, TgaPicturesShowWithOrWithoutTheFooter) {
    Open({{"gfx/two.tga", SmallTga(true)}, {"gfx/old.tga", SmallTga(false)}});
    OpenPreview();
    for (int row : {0, 1}) {
        MoveTo(row);
        ASSERT_EQ(P().Page(), TPreviewPage::ppPicture) << row << Notice().toStdString();
        const QRgb top[] = {qRgb(0, 0, 255), qRgb(0, 255, 0), qRgb(255, 0, 0), qRgb(255, 255, 255)};
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(Pixel(x, 0), top[x]) << row << " " << x;
            EXPECT_EQ(Pixel(x, 1), qRgb(0, 0, 0)) << row << " " << x;
        }
        EXPECT_EQ(P().InfoLabel->text(), "4 x 2, TGA, true-colour") << row;
    }
}

TEST_F(Preview, PaletteComesFromTheArchiveElsePak0BesideElseGreys) {
    const std::string picture = ToString(test::MakeLmp(1, 1, {1}));
    const struct {
        const char* Case;
        std::vector<std::pair<std::string, std::string>> Beside; // the pak0.pak there
        const char* BesideName;
        std::vector<std::pair<std::string, std::string>> Archive;
        QRgb Colour;
        QString Info;
        QString Notice;
    } cases[] = {
        {"in the archive",
         {{"gfx/palette.lmp", PaletteEntry(99)}},
         "pak0.pak",
         {{"gfx/palette.lmp", PaletteEntry(7)}, {"gfx/a.lmp", picture}},
         qRgb(1, 254, 7),
         "1 x 1, palette picture (.lmp), colours of this archive",
         ""},
        {"in the archive, named in capitals",
         {},
         "pak0.pak",
         {{"GFX/PALETTE.LMP", PaletteEntry(8)}, {"gfx/a.lmp", picture}},
         qRgb(1, 254, 8),
         "1 x 1, palette picture (.lmp), colours of this archive",
         ""},
        {"in pak0.pak beside",
         {{"gfx/palette.lmp", PaletteEntry(9)}},
         "pak0.pak",
         {{"gfx/a.lmp", picture}},
         qRgb(1, 254, 9),
         "1 x 1, palette picture (.lmp), colours of pak0.pak",
         ""},
        {"in PAK0.PAK beside",
         {{"gfx/palette.lmp", PaletteEntry(10)}},
         "PAK0.PAK",
         {{"gfx/a.lmp", picture}},
         qRgb(1, 254, 10),
         "1 x 1, palette picture (.lmp), colours of pak0.pak",
         ""},
        {"nowhere",
         {{"gfx/other.lmp", picture}},
         "pak0.pak",
         {{"gfx/a.lmp", picture}},
         qRgb(1, 1, 1),
         "1 x 1, palette picture (.lmp), in greys",
         "No palette found (gfx/palette.lmp is in neither this archive nor a pak0.pak beside "
         "it): shown in greys."},
        {"a Quake II texture, in the archive's colour map",
         {},
         "pak0.pak",
         {{"pics/colormap.pcx", ColormapPcx(11)},
          {"gfx/palette.lmp", PaletteEntry(3)},
          {"textures/e1u1/floor.wal", ToString(test::MakeWal("e1u1/floor", 1, 1, {1}))}},
         qRgb(1, 254, 11),
         "1 x 1, Quake II texture (.wal), colours of this archive",
         ""},
        {"a Quake II texture, in pak0.pak's colour map",
         {{"pics/colormap.pcx", ColormapPcx(12)}},
         "pak0.pak",
         {{"gfx/palette.lmp", PaletteEntry(3)},
          {"textures/e1u1/floor.wal", ToString(test::MakeWal("e1u1/floor", 1, 1, {1}))}},
         qRgb(1, 254, 12),
         "1 x 1, Quake II texture (.wal), colours of pak0.pak",
         ""},
        {"a Quake II texture, no colour map",
         {},
         "pak0.pak",
         {{"gfx/palette.lmp", PaletteEntry(3)},
          {"textures/e1u1/floor.wal", ToString(test::MakeWal("e1u1/floor", 1, 1, {1}))}},
         qRgb(1, 1, 1),
         "1 x 1, Quake II texture (.wal), in greys",
         "No palette found (pics/colormap.pcx is in neither this archive nor a pak0.pak beside "
         "it): shown in greys."},
        {"a palette cut short",
         {},
         "pak0.pak",
         {{"gfx/palette.lmp", "RGB"}, {"gfx/a.lmp", picture}},
         qRgb(1, 1, 1),
         "1 x 1, palette picture (.lmp), in greys",
         "No palette found (this archive's gfx/palette.lmp: Palette holds 3 bytes, not 768): "
         "shown in greys."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        for (const char* name : {"pak0.pak", "PAK0.PAK"})
            std::filesystem::remove(dir / name);
        if (!c.Beside.empty())
            WriteFile(dir / c.BesideName, BuildPakImage(c.Beside));
        // A name of its own: the palette is known by the archive it was found for.
        const auto other = dir / (std::string("other") + std::to_string(&c - cases) + ".pak");
        WriteFile(other, BuildPakImage(c.Archive));
        OpenPath(other);
        OpenPreview();
        MoveTo(static_cast<int>(c.Archive.size()) - 1);
        ASSERT_EQ(P().Page(), TPreviewPage::ppPicture);
        EXPECT_EQ(Pixel(0, 0), c.Colour);
        EXPECT_EQ(P().InfoLabel->text(), c.Info);
        EXPECT_EQ(P().NoticeLabel->isHidden() ? QString() : Notice(), c.Notice);
    }
}

TEST_F(Preview, ThePaletteIsLookedUpOncePerArchiveAndAgainWhenPak0WasHeld) {
    const std::string picture = ToString(test::MakeLmp(1, 1, {1}));
    WriteFile(dir / "pak0.pak", BuildPakImage({{"gfx/palette.lmp", PaletteEntry(9)}}));
    const auto other = dir / "other.pak";
    WriteFile(other, BuildPakImage({{"gfx/a.lmp", picture}, {"gfx/b.lmp", picture}}));
    {
        // Read without sharing: held by another, pak0.pak cannot be read now.
        TLockedFile held(dir / "pak0.pak");
        OpenPath(other);
        OpenPreview();
        MoveTo(0);
        EXPECT_EQ(Pixel(0, 0), qRgb(1, 1, 1));
        EXPECT_TRUE(Notice().contains("pak0.pak: Cannot open file")) << Notice().toStdString();
    }
    MoveTo(1);
    EXPECT_EQ(Pixel(0, 0), qRgb(1, 254, 9));
    // Found, it is kept for the archive: a changed pak0.pak is not read again.
    WriteFile(dir / "pak0.pak", BuildPakImage({{"gfx/palette.lmp", PaletteEntry(20)}}));
    MoveTo(0);
    EXPECT_EQ(Pixel(0, 0), qRgb(1, 254, 9));
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
}

TEST_F(Preview, ContainersListTheirPartsAndShowEachWhenChosen) {
    const Bytes font = [] {
        Bytes pixels(128 * 128, 0);
        pixels[8] = 1; // the top left pixel of character 1
        return pixels;
    }();
    const Bytes wad = test::MakeWad2({{"conchars", 0x44, font},
                                      {"face", 0x42, test::MakeLmp(2, 2, {1, 2, 3, 255})},
                                      {"colormap", 0x45, Bytes(10, 9)},
                                      {"far", 0x42, {}}});
    const Bytes map = test::MakeBsp({test::MakeMipTexture("+0button", 4, 2, Bytes(8, 5)),
                                     {},
                                     test::MakeMipTexture("*water0", 16, 16, Bytes(256, 6))});
    Open({{"gfx.wad", ToString(wad)}, {"maps/b.bsp", ToString(map)}});
    OpenPreview();
    MoveTo(0);
    QStringList items;
    for (int i = 0; i < P().PartList->count(); ++i)
        items << P().PartList->item(i)->text();
    EXPECT_EQ(items, QStringList({"conchars  (128 x 128)", "face  (2 x 2)", "colormap  (type 0x45)",
                                  "far  (damaged)"}));
    EXPECT_EQ(P().KindLabel->text(),
              QString::fromStdString("Picture container (WAD2), " +
                                     FormatThousands64(static_cast<std::int64_t>(wad.size())) +
                                     " bytes, 4 lumps"));
    // The console font as its grid of 16 x 16 characters, index 0 see-through.
    EXPECT_EQ(P().PictureView->GridCell(), 8);
    EXPECT_EQ(P().PictureView->ShownSize(2), QSize(16 * 16 + 15, 16 * 16 + 15));
    EXPECT_EQ(qAlpha(Pixel(0, 0)), 0);
    EXPECT_EQ(Pixel(8, 0), qRgb(1, 1, 1));
    const struct {
        int Part;
        TPreviewPage Page;
        QString Info;
        QString Notice;
    } parts[] = {
        {1, TPreviewPage::ppPicture, "2 x 2, picture, in greys", ""},
        {2, TPreviewPage::ppHex, "10 bytes", "Lump colormap is not a picture (type 0x45)."},
        {3, TPreviewPage::ppMessage, "", "Cannot show far: Picture header is cut short."},
    };
    for (const auto& p : parts) {
        P().PartList->setCurrentRow(p.Part);
        EXPECT_EQ(P().Page(), p.Page) << p.Part;
        EXPECT_EQ(P().InfoLabel->text(), p.Info);
        EXPECT_TRUE(Notice().endsWith(p.Notice)) << Notice().toStdString();
    }

    MoveTo(1);
    items.clear();
    for (int i = 0; i < P().PartList->count(); ++i)
        items << P().PartList->item(i)->text();
    EXPECT_EQ(items,
              QStringList({"+0button  (4 x 2)", "texture 1  (missing)", "*water0  (16 x 16)"}));
    EXPECT_EQ(P().InfoLabel->text(), "4 x 2, texture, in greys");
    P().PartList->setCurrentRow(1);
    EXPECT_EQ(P().Page(), TPreviewPage::ppMessage);
    EXPECT_EQ(P().MessageLabel->text(), "Texture 1 is missing from the map.");
    P().PartList->setCurrentRow(2);
    EXPECT_EQ(P().Page(), TPreviewPage::ppPicture);
    EXPECT_EQ(Pixel(15, 15), qRgb(6, 6, 6));
}

// A Quake II map lists the textures it names, each shown from the
// archive's .wal entry in Quake II's palette, or said to be missing.
TEST_F(Preview, AQuake2MapShowsItsTexturesFromTheArchive) {
    Open({{"pics/colormap.pcx", ColormapPcx(11)},
          {"textures/E1U1/Floor.wal", ToString(test::MakeWal("e1u1/floor", 2, 1, {1, 2}))},
          {"maps/base1.bsp",
           ToString(test::MakeQuake2Map({"e1u1/floor", "e1u1/gone", "E1U1/FLOOR"}))}});
    OpenPreview();
    MoveTo(2);
    EXPECT_TRUE(P().KindLabel->text().startsWith("Quake II map, "));
    EXPECT_TRUE(P().KindLabel->text().endsWith(", 2 textures"));
    QStringList items;
    for (int i = 0; i < P().PartList->count(); ++i)
        items << P().PartList->item(i)->text();
    EXPECT_EQ(items, QStringList({"e1u1/floor  (2 x 1)", "e1u1/gone  (not in the archive)"}));
    ASSERT_EQ(P().Page(), TPreviewPage::ppPicture);
    EXPECT_EQ(P().InfoLabel->text(), "2 x 1, Quake II texture (.wal), colours of this archive");
    EXPECT_EQ(Pixel(1, 0), qRgb(2, 253, 11));
    P().PartList->setCurrentRow(1);
    EXPECT_EQ(P().Page(), TPreviewPage::ppMessage);
    EXPECT_EQ(P().MessageLabel->text(),
              "Cannot show e1u1/gone: Not in the archive: textures/e1u1/gone.wal.");
    // Shown again, the texture is read again from the archive.
    P().PartList->setCurrentRow(0);
    EXPECT_EQ(Pixel(0, 0), qRgb(1, 254, 11));
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
}

TEST_F(Preview, ZoomIsWholeFactorsFromOneToEight) {
    Open({{"gfx/dot.lmp", ToString(test::MakeLmp(3, 2, {1, 2, 3, 4, 5, 6}))}});
    OpenPreview();
    MoveTo(0);
    const struct {
        QString Item;
        QSize Shown;
    } zooms[] = {{"1x", {3, 2}}, {"5x", {15, 10}}, {"8x", {24, 16}}};
    for (const auto& z : zooms) {
        P().ZoomBox->setCurrentIndex(P().ZoomBox->findText(z.Item));
        EXPECT_EQ(P().PictureView->size(), z.Shown);
    }
    // Nearest neighbour: each pixel a square of the zoom's side.
    QImage drawn(P().PictureView->size(), QImage::Format_ARGB32);
    P().PictureView->render(&drawn);
    EXPECT_EQ(drawn.pixel(7, 7), qRgb(1, 1, 1));
    EXPECT_EQ(drawn.pixel(8, 7), qRgb(2, 2, 2));
    EXPECT_EQ(drawn.pixel(23, 15), qRgb(6, 6, 6));
    // Fit: the largest that fits, never past 8x.
    P().ZoomBox->setCurrentIndex(0);
    EXPECT_EQ(P().PictureView->Zoom(),
              P().PictureView->FitZoom(P().PictureArea->viewport()->size()));
    EXPECT_EQ(P().PictureView->FitZoom({1000, 1000}), 8);
    EXPECT_EQ(P().PictureView->FitZoom({10, 10}), 3);
    EXPECT_EQ(P().PictureView->FitZoom({2, 2}), 1);
}

TEST_F(Preview, FollowsTheCaretWhileOpenAndSpaceOrF3OpensAndClosesIt) {
    Open({{"a.cfg", "first"}, {"b.cfg", "second"}, {"c.cfg", "third"}});
    MoveTo(0);
    const auto space = [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QCoreApplication::sendEvent(form.PakList, &press);
    };
    space();
    ASSERT_NE(form.Preview, nullptr);
    EXPECT_TRUE(form.Preview->isVisible());
    EXPECT_TRUE(form.PreviewEntry1->isChecked());
    EXPECT_EQ(P().TextView->toPlainText(), "first");
    // Space previews: the selection it would have made stays as it was.
    EXPECT_EQ(form.PakList->currentRow(), 0);
    for (const auto& [row, text] : {std::pair{2, "third"}, std::pair{1, "second"}}) {
        MoveTo(row);
        EXPECT_EQ(P().TextView->toPlainText(), text);
        EXPECT_EQ(P().windowTitle(), QString("Preview - %1.cfg").arg(QChar('a' + row)));
    }
    space();
    EXPECT_FALSE(form.Preview->isVisible());
    EXPECT_FALSE(form.PreviewEntry1->isChecked());
    // Closed, it neither follows nor holds the entry.
    MoveTo(2);
    EXPECT_TRUE(P().TextView->toPlainText().isEmpty());
    form.PreviewEntry1->trigger();
    EXPECT_TRUE(form.Preview->isVisible());
    EXPECT_EQ(P().TextView->toPlainText(), "third");
    // A new archive has no entry chosen until one is clicked.
    Open({{"d.cfg", "fourth"}}, "other.pak");
    EXPECT_EQ(P().Page(), TPreviewPage::ppMessage);
    EXPECT_EQ(P().MessageLabel->text(), "No entry is chosen: click one in the list.");
    MoveTo(0);
    EXPECT_EQ(P().TextView->toPlainText(), "fourth");
    // Esc in its window closes it, as Close does.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(form.Preview, &escape);
    EXPECT_FALSE(form.Preview->isVisible());
    EXPECT_FALSE(form.PreviewEntry1->isChecked());
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
}

// The preview opens beside the list without taking its keys: whichever way
// it opens, the main window stays active, the list keeps the focus and the
// arrow keys go on walking the archive; closed from its own window, the keys
// go back to the list.
TEST_F(Preview, TheListKeepsTheKeysWhileThePreviewFollowsIt) {
    const char* const texts[] = {"first", "second", "third", "fourth"};
    Open({{"a.cfg", texts[0]}, {"b.cfg", texts[1]}, {"c.cfg", texts[2]}, {"d.cfg", texts[3]}});
    form.show();
    form.activateWindow();
    form.PakList->setFocus();
    Settle();
    ASSERT_EQ(QApplication::focusWidget(), form.PakList);
    const auto press = [](QWidget* target, Qt::Key key, const QString& text = {}) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &up);
        Settle();
    };
    const struct {
        const char* Way;
        std::function<void()> OpenIt;
        std::function<void()> CloseIt; // from the preview's own window
    } ways[] = {
        {"Space in the list", [&] { press(form.PakList, Qt::Key_Space, " "); },
         [&] { press(form.Preview, Qt::Key_Escape); }},
        {"View, Preview Entry", [&] { form.PreviewEntry1->trigger(); },
         [&] { form.PreviewEntry1->trigger(); }},
        {"Close in the preview", [&] { form.PreviewEntry1->trigger(); },
         [&] { P().ButtonClose->click(); }},
    };
    int row = 0;
    MoveTo(row);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.Way);
        way.OpenIt();
        Settle();
        ASSERT_NE(form.Preview, nullptr);
        ASSERT_TRUE(form.Preview->isVisible());
        EXPECT_EQ(QApplication::activeWindow(), &form);
        EXPECT_EQ(QApplication::focusWidget(), form.PakList);
        // A key goes where the focus is: the list, whose caret the preview follows.
        press(QApplication::focusWidget(), Qt::Key_Down);
        ++row;
        EXPECT_EQ(form.PakList->currentRow(), row);
        EXPECT_EQ(P().TextView->toPlainText(), QLatin1String(texts[row]));
        // Clicked into, the preview has the keys until it is closed.
        form.Preview->activateWindow();
        Settle();
        EXPECT_EQ(QApplication::activeWindow(), form.Preview.data());
        way.CloseIt();
        Settle();
        EXPECT_FALSE(form.Preview->isVisible());
        EXPECT_EQ(QApplication::activeWindow(), &form);
        EXPECT_EQ(QApplication::focusWidget(), form.PakList);
    }
}

// The preview comes back at its size and where it was left, in a window of
// a later run too, unless no screen shows its title bar there; larger than
// the screen, it is cut to the screen and put on it.
TEST_F(Preview, ComesBackWhereItWasLeftWhileAScreenShowsItsTitleBar) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const auto shown = [](const std::function<void(TPreviewForm&)>& leave = {}) {
        TZorvakForm window;
        window.PreviewEntry1->trigger();
        const QRect place(window.Preview->pos(), window.Preview->size());
        if (leave)
            leave(*window.Preview);
        window.Preview->close();
        return place;
    };
    const QPoint fresh = shown().topLeft(); // where it goes when none is remembered
    const QPoint inside = screen.topLeft() + QPoint(60, 50);
    const auto saved = [](QPoint at, QSize size) {
        return [=] { SaveWindowPlace("Preview", {at, size}); };
    };
    const struct {
        const char* What;
        std::function<void()> Leave;
        QRect Back;
    } cases[] = {
        {"moved and sized by the user",
         [&] {
             shown([&](TPreviewForm& p) {
                 p.move(inside);
                 p.resize(520, 380);
             });
         },
         {inside, QSize(520, 380)}},
        {"on the screen", saved(inside, {500, 350}), {inside, QSize(500, 350)}},
        {"right of every screen",
         saved({screen.right() + 100, 40}, {500, 350}),
         {fresh, QSize(500, 350)}},
        {"its title bar above the screen",
         saved({60, screen.top() - 200}, {500, 350}),
         {fresh, QSize(500, 350)}},
        {"larger than the screen", saved(inside, screen.size() + QSize(300, 200)), screen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        ForgetAllSettings();
        c.Leave();
        EXPECT_EQ(shown(), c.Back);
    }
}

TEST_F(Preview, ARefusedReadIsSaidInTheWindowNotInABox) {
    const auto pak = Open({{"a.cfg", "first"}, {"b.cfg", "second"}, {"c.cfg", "third"}});
    OpenPreview();
    MoveTo(0);
    {
        TLockedFile held(pak);
        MoveTo(1);
        EXPECT_EQ(P().Page(), TPreviewPage::ppMessage);
        EXPECT_EQ(P().MessageLabel->text(),
                  "Cannot read the entry: " + QString::fromStdString(pak.string()) +
                      " is in use by another program.");
    }
    // Changed since it was indexed: refused even where the entry still reads.
    std::ofstream(pak, std::ios::app) << "more";
    MoveTo(2);
    EXPECT_EQ(P().Page(), TPreviewPage::ppMessage);
    EXPECT_EQ(P().MessageLabel->text(), "Cannot read the entry: The archive " +
                                            QString::fromStdString(pak.string()) +
                                            " has changed since it was opened; open it again.");
    EXPECT_FALSE(P().ButtonSaveAs->isEnabled());
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    // Nothing is kept open: the archive can be had at once.
    EXPECT_NO_THROW(TLockedFile after(pak));
}

TEST_F(Preview, PlayPlaysTheShownSoundThroughTheMainWindowsPlayer) {
    const Bytes wave = test::MakeWave(1, 1, 11025, 8, test::SawPcm8(100));
    Bytes looped = test::MakeRiffWave({test::FormatChunk(1, 2, 22050, 16),
                                       test::Chunk("data", Bytes(4 * 100, 0)), test::CueChunk(25)});
    Open({{"sound/a.wav", ToString(wave)}, {"sound/loop.wav", ToString(looped)}});
    OpenPreview();
    MoveTo(1);
    EXPECT_EQ(P().SoundInfo->text(),
              "Rate: 22,050 Hz    Bits: 16    Channels: 2    Format: PCM\n"
              "Length: 0.00 s (100 frames)    Loop start: frame 25 (0.00 s)");
    MoveTo(0);
    EXPECT_EQ(P().SoundInfo->text(),
              "Rate: 11,025 Hz    Bits: 8    Channels: 1    Format: PCM\n"
              "Length: 0.01 s (100 frames)    Loop start: none (plays once)");
    EXPECT_TRUE(P().Waveform->Problem().isEmpty());
    P().ButtonPlay->click();
    ASSERT_EQ(sound.Sound->Calls.size(), 1u);
    EXPECT_EQ(sound.Sound->Calls[0].Sound, wave);
    const auto held = form.WAVPlayer->Wave().Bytes();
    EXPECT_EQ(Bytes(held.begin(), held.end()), wave);
    // The waveform: the saw reaches from near the bottom to near the top.
    // On a screen of twice the density, a column for each of its pixels.
    for (const int ratio : {1, 2}) {
        const QImage drawn = P().Waveform->Render({100, 50}, ratio);
        ASSERT_EQ(drawn.size(), QSize(100, 50) * ratio);
        EXPECT_EQ(drawn.devicePixelRatio(), ratio);
        const auto inked = [&](int y) {
            for (int x = 0; x < drawn.width(); ++x)
                if (drawn.pixel(x, y * ratio) != drawn.pixel(0, drawn.height() - 1))
                    return true;
            return false;
        };
        EXPECT_TRUE(inked(8));
        EXPECT_TRUE(inked(42));
        EXPECT_FALSE(inked(2));
    }
    // A sound the waveform cannot draw still plays, and says why.
    Open({{"sound/f.wav", ToString(test::MakeWave(3, 1, 8000, 32, Bytes(16, 0)))}}, "f.pak");
    MoveTo(0);
    EXPECT_EQ(P().Page(), TPreviewPage::ppSound);
    EXPECT_EQ(P().InfoLabel->text(), "Cannot draw the waveform of this sound (IEEE float, 32-bit)");
    EXPECT_TRUE(P().ButtonPlay->isEnabled());
}

TEST_F(Preview, SaveAsWritesThePictureAsPngAndAnythingElseAsItsBytes) {
    const std::string lmp = ToString(test::MakeLmp(2, 1, {1, 255}));
    const auto pak = Open({{"gfx/palette.lmp", PaletteEntry()},
                           {"gfx/two.lmp", lmp},
                           {"progs.dat", std::string("\0\1\2", 3)},
                           {"gfx.wad", ToString(test::MakeWad2({{"cmap", 0x45, Bytes(5, 9)}}))},
                           {"gfx/sky.tga", SmallTga(false)}});
    OpenPreview();
    MoveTo(0);
    EXPECT_EQ(P().InfoLabel->text(), "16 x 16, palette, 256 colours");
    EXPECT_EQ(Pixel(15, 15), qRgb(255, 0, 7));
    const struct {
        int Row;
        QString Offered;
        QString Filter;
        std::string Written; // empty: a PNG, checked apart
    } saves[] = {
        {1, "two.png", "PNG pictures (*.png)", ""},
        {2, "progs.dat", "All files (*)", std::string("\0\1\2", 3)},
        {3, "cmap", "All files (*)", std::string(5, '\x09')},
        {4, "sky.png", "PNG pictures (*.png)", ""},
    };
    for (const auto& s : saves) {
        SCOPED_TRACE(s.Row);
        MoveTo(s.Row);
        const auto target = dir / ("saved" + std::to_string(s.Row));
        dialogs.Files->SaveAnswers = {QString::fromStdString(target.string())};
        P().ButtonSaveAs->click();
        ASSERT_FALSE(dialogs.Files->SaveRequests.empty());
        const TSaveFileRequest& request = dialogs.Files->SaveRequests.back();
        EXPECT_EQ(request.InitialFile, QString::fromStdString((dir / "").string()) + s.Offered);
        EXPECT_EQ(request.Filters, QStringList({s.Filter}));
        if (!s.Written.empty()) {
            EXPECT_EQ(ReadFile(target), s.Written);
            continue;
        }
        QImage png;
        ASSERT_TRUE(png.load(QString::fromStdString(target.string()), "PNG"));
        if (s.Row == 4) {
            // A true-colour picture stays so, as it is shown.
            EXPECT_NE(png.format(), QImage::Format_Indexed8);
            EXPECT_EQ(png.convertToFormat(QImage::Format_RGBA8888),
                      P().ShownPicture().convertToFormat(QImage::Format_RGBA8888));
            continue;
        }
        EXPECT_EQ(png.size(), QSize(2, 1));
        EXPECT_EQ(png.pixel(0, 0), qRgb(1, 254, 7));
        EXPECT_EQ(qAlpha(png.pixel(1, 0)), 0); // 255 is see-through in .lmp pictures
        // Its indices and the palette's colours are kept; 255 alone is clear.
        ASSERT_EQ(png.format(), QImage::Format_Indexed8);
        EXPECT_EQ(png.pixelIndex(0, 0), 1);
        EXPECT_EQ(png.pixelIndex(1, 0), 255);
        const QList<QRgb> table = png.colorTable();
        ASSERT_EQ(table.size(), 256);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(table[i], i == 255 ? qRgba(255, 0, 7, 0) : qRgb(i, 255 - i, 7)) << i;
        EXPECT_EQ(png.convertToFormat(QImage::Format_RGBA8888),
                  P().ShownPicture().convertToFormat(QImage::Format_RGBA8888));
    }
    EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    // A cancel writes nothing; the archive's own name is refused.
    const std::string before = ReadFile(pak);
    dialogs.Files->SaveAnswers = {QString(), QString::fromStdString(pak.string())};
    MoveTo(2);
    P().ButtonSaveAs->click();
    P().ButtonSaveAs->click();
    ASSERT_EQ(dialogs.Boxes->Messages.size(), 1u);
    EXPECT_EQ(dialogs.Boxes->Messages[0].Text,
              "Entry progs.dat would overwrite the archive it is read from.");
    EXPECT_EQ(ReadFile(pak), before);
}

TEST_F(Preview, LongTextIsCutAndSaidSo) {
    // Two bytes ahead, the limit falls inside the second byte of an "é".
    std::string text = "xx";
    while (text.size() <= kPreviewTextLimit)
        text += "line \xC3\xA9\n"; // a cut inside the two bytes would lose UTF-8
    Open({{"long.txt", text}});
    OpenPreview();
    MoveTo(0);
    EXPECT_EQ(Notice(), "Only the first 4 MiB of the text are shown.");
    EXPECT_TRUE(P().InfoLabel->text().endsWith(", UTF-8"));
    EXPECT_LE(static_cast<std::size_t>(P().TextView->toPlainText().toUtf8().size()),
              kPreviewTextLimit);
}

TEST(TextView, TheMouseSelectsWhatItSpansAndCopyTakesIt) {
    TTextView view;
    view.resize(400, 200);
    view.setPlainText("ab\tcd\nxyz\n");
    EXPECT_EQ(view.LineCount(), 3);
    EXPECT_EQ(view.Line(1), "xyz");
    const int w = view.fontMetrics().horizontalAdvance(QLatin1Char('M'));
    const int h = view.fontMetrics().height();
    // Column c of line l: the left edge of its cell (tabs stop every 8).
    const auto at = [&](int c, int l) { return QPoint(4 + c * w, l * h + h / 2); };
    const struct {
        QPoint From, To;
        QString Selected;
    } drags[] = {
        {at(0, 0), at(2, 0), "ab"},
        {at(2, 0), at(0, 0), "ab"},                     // backwards alike
        {at(1, 0), at(2, 1), "b\tcd\nxy"},              // across lines
        {at(2, 0), at(6, 0), "\t"},                     // past the tab's middle
        {at(2, 0), at(4, 0), ""},                       // short of it
        {at(9, 0), at(40, 1), "d\nxyz"},                // past a line's end: to its end
        {at(0, 0), QPoint(4, 10 * h), "ab\tcd\nxyz\n"}, // below the last line
    };
    for (const auto& d : drags) {
        test::Press(view.viewport(), d.From);
        test::DragTo(view.viewport(), d.To);
        test::Release(view.viewport(), d.To);
        EXPECT_EQ(view.SelectedText(), d.Selected) << d.Selected.toStdString();
    }
    view.selectAll();
    view.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ab\tcd\nxyz\n");
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

// The 3D page: a cube model seen at its sides, turning under the mouse and
// playing its frames; a room map from its start, looked round and flown
// through with the keys.
TEST_F(Preview, ModelsAndMapsShowIn3D) {
    Open({{"gfx/palette.lmp", PaletteEntry()},
          {"progs/cube.mdl", ToString(test::CubeModel())},
          {"maps/east.bsp", ToString(test::RoomMap(0))},
          {"a.cfg", "text"}});
    TPreviewForm& preview = OpenPreview();
    // Only models and maps offer it.
    MoveTo(3);
    EXPECT_TRUE(preview.Button3D->isHidden());
    MoveTo(1);
    ASSERT_FALSE(preview.Button3D->isHidden());
    preview.Button3D->click();
    ASSERT_EQ(preview.Page(), TPreviewPage::ppScene);
    TSceneView& view = *preview.ScenePage->View;
    const auto drag = [&view](QPoint from, QPoint to) {
        test::Press(&view, from);
        test::DragTo(&view, to);
        test::Release(&view, to);
    };
    const auto key = [&view](int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &press);
    };
    const auto centre = [&view](QPoint at = {100, 100}) {
        return view.Render({200, 200}).pixelColor(at);
    };
    // Seen from the (1, 1, 1) side at first, a corner in the middle: left
    // below it, a side in one of the three facing colours.
    const QPoint side(80, 115);
    const QColor first = centre(side);
    std::vector<QColor> facing;
    for (const std::size_t side : {0u, 2u, 4u}) {
        const unsigned char i = test::ModelIndex(side);
        facing.emplace_back(i, 255 - i, 7);
    }
    EXPECT_NE(std::find(facing.begin(), facing.end(), first), facing.end())
        << first.name().toStdString();
    // Turned half round by a drag, another side faces the viewer.
    view.resize(200, 200);
    drag({100, 100}, {100 + static_cast<int>(180 / 0.4), 100});
    EXPECT_NE(centre(side), first);
    // R starts again.
    key(Qt::Key_R);
    EXPECT_EQ(centre(side), first);
    // Its two frames play at a tenth of a second each; pausing stops them.
    EXPECT_TRUE(view.Playing());
    EXPECT_EQ(view.Frame(), 0);
    view.Advance(0.11);
    EXPECT_EQ(view.Frame(), 1);
    EXPECT_EQ(preview.ScenePage->FrameSlider->value(), 1);
    EXPECT_EQ(preview.ScenePage->FrameLabel->text(), QStringLiteral("Frame 1: flat"));
    preview.ScenePage->ButtonPlayPause->click();
    view.Advance(1);
    EXPECT_EQ(view.Frame(), 1);
    preview.ScenePage->FrameSlider->setValue(0);
    EXPECT_EQ(view.Frame(), 0);

    // A map opens at its start facing its +X wall; turned left a quarter by
    // a drag, the +Y wall.
    MoveTo(2);
    EXPECT_NE(preview.Page(), TPreviewPage::ppScene);
    preview.Button3D->click();
    ASSERT_EQ(preview.Page(), TPreviewPage::ppScene);
    EXPECT_TRUE(view.IsMap());
    const auto wall = [](std::size_t side) {
        const unsigned char i = test::MapIndex(side);
        return QColor(i, 255 - i, 7);
    };
    EXPECT_EQ(centre(), wall(0));
    drag({100, 100}, {100 - static_cast<int>(90 / 0.4), 100});
    EXPECT_EQ(centre(), wall(2));
    // X shows the wireframe: the walls' colour is gone from the middle.
    key(Qt::Key_X);
    EXPECT_TRUE(view.Wireframe());
    EXPECT_NE(centre(), wall(2));
}

} // namespace
} // namespace zorvak
