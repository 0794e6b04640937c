#include "resources/Pictures.h"

#include <QFile>
#include <QImage>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

const TGlyph kGlyphs[] = {TGlyph::glExtract, TGlyph::glExtractAll, TGlyph::glPlay, TGlyph::glBuild};

QImage Load(const QString& path) {
    InitPictures();
    return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

int OpaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == 255;
    return count;
}

TEST(Pictures, EachLoadsAtItsSizeAndShowsSomething) {
    struct TCase {
        QString Path;
        int Size;
    };
    const TCase cases[] = {
        {":/zorvak/extract.png", 16},      {":/zorvak/extract-disabled.png", 16},
        {":/zorvak/extractall.png", 16},   {":/zorvak/extractall-disabled.png", 16},
        {":/zorvak/play.png", 16},         {":/zorvak/play-disabled.png", 16},
        {":/zorvak/build.png", 16},        {":/zorvak/build-disabled.png", 16},
        {":/zorvak/icon16.png", 16},       {":/zorvak/icon32.png", 32},
        {":/zorvak/icon48.png", 48},       {ZORVAK_RESOURCES_DIR "/zorvak-256.png", 256},
        {":/zorvak/dialog-build.png", 16}, {":/zorvak/dialog-build-disabled.png", 16},
        {":/zorvak/dialog-close.png", 16}, {":/zorvak/dialog-close-disabled.png", 16},
        {":/zorvak/folder-open.png", 16},  {":/zorvak/drive-cdrom.png", 16},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Path.toStdString());
        const QImage image = Load(c.Path);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(c.Size, c.Size));
        // A picture that lost its drawing would still load; demand a shape that
        // fills a fair part of the square but leaves the corners see-through.
        const int area = c.Size * c.Size;
        EXPECT_GT(OpaquePixels(image), area / 4);
        EXPECT_LT(OpaquePixels(image), area);
    }
}

TEST(Pictures, GlyphsUseOnlyTheSixteenClassicColours) {
    QSet<QRgb> classic;
    for (QRgb c :
         {0x000000u, 0x800000u, 0x008000u, 0x808000u, 0x000080u, 0x800080u, 0x008080u, 0x808080u,
          0xC0C0C0u, 0xFF0000u, 0x00FF00u, 0xFFFF00u, 0x0000FFu, 0xFF00FFu, 0x00FFFFu, 0xFFFFFFu})
        classic.insert(c);
    for (TGlyph glyph : kGlyphs)
        for (bool disabled : {false, true}) {
            const QString path = GlyphPath(glyph, disabled);
            SCOPED_TRACE(path.toStdString());
            const QImage image = Load(path);
            ASSERT_EQ(image.size(), QSize(kGlyphSize, kGlyphSize));
            for (int y = 0; y < kGlyphSize; ++y)
                for (int x = 0; x < kGlyphSize; ++x) {
                    const QRgb p = image.pixel(x, y);
                    if (qAlpha(p) == 0)
                        continue;
                    ASSERT_EQ(qAlpha(p), 255) << "half-transparent at " << x << "," << y;
                    ASSERT_TRUE(classic.contains(p & 0xFFFFFFu))
                        << "not a classic colour at " << x << "," << y;
                }
        }
}

// The greyed picture is the classic etched look of the normal one: every dark
// pixel becomes gray over a white copy shifted one pixel down and right; light
// pixels drop out. Catches a glyph redrawn without its greyed twin.
TEST(Pictures, GreyedGlyphFollowsFromTheNormalOne) {
    for (TGlyph glyph : kGlyphs) {
        SCOPED_TRACE(GlyphPath(glyph, false).toStdString());
        const QImage normal = Load(GlyphPath(glyph, false));
        const QImage greyed = Load(GlyphPath(glyph, true));
        ASSERT_EQ(normal.size(), greyed.size());
        const auto ink = [&](int x, int y) {
            const QRgb p = normal.pixel(x, y);
            return qAlpha(p) == 255 && (qRed(p) * 30 + qGreen(p) * 59 + qBlue(p) * 11) / 100 < 0xC0;
        };
        QImage expected(normal.size(), QImage::Format_ARGB32);
        expected.fill(Qt::transparent);
        for (int y = 0; y + 1 < kGlyphSize; ++y)
            for (int x = 0; x + 1 < kGlyphSize; ++x)
                if (ink(x, y))
                    expected.setPixel(x + 1, y + 1, qRgb(255, 255, 255));
        for (int y = 0; y < kGlyphSize; ++y)
            for (int x = 0; x < kGlyphSize; ++x)
                if (ink(x, y))
                    expected.setPixel(x, y, qRgb(128, 128, 128));
        EXPECT_EQ(greyed, expected);
    }
}

TEST(Pictures, GlyphIconShowsTheGreyedPictureWhenDisabled) {
    QSet<QString> seen;
    for (TGlyph glyph : kGlyphs) {
        SCOPED_TRACE(GlyphPath(glyph, false).toStdString());
        const QIcon icon = GlyphIcon(glyph);
        const QSize size(kGlyphSize, kGlyphSize);
        const QImage normal =
            icon.pixmap(size, 1.0, QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage disabled = icon.pixmap(size, 1.0, QIcon::Disabled)
                                    .toImage()
                                    .convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(normal, Load(GlyphPath(glyph, false)));
        EXPECT_EQ(disabled, Load(GlyphPath(glyph, true)));
        // Four buttons, four different pictures.
        const QString key = QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(normal.constBits()), normal.sizeInBytes())
                .toBase64());
        EXPECT_FALSE(seen.contains(key));
        seen.insert(key);
    }
}

TEST(Pictures, ProgramIconComesInItsSizes) {
    EXPECT_EQ(ProgramPicture().size(), QSize(kProgramPictureSize, kProgramPictureSize));
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        // Compared premultiplied: a pixmap keeps the half-transparent edges of
        // the large icon that way, and back to straight alpha they round.
        const auto premultiplied = [](const QImage& image) {
            return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        EXPECT_EQ(premultiplied(icon.pixmap(QSize(size, size), 1.0).toImage()),
                  premultiplied(Load(QStringLiteral(":/zorvak/icon%1.png").arg(size))));
    }
}

TEST(Pictures, ScalableIconIsASquareSvg) {
    QFile file(QStringLiteral(ZORVAK_RESOURCES_DIR "/zorvak.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("svg"));
    EXPECT_EQ(xml.attributes().value(QStringLiteral("viewBox")), QStringLiteral("0 0 256 256"));
    int shapes = 0;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement)
            shapes +=
                xml.name() == QStringLiteral("polygon") || xml.name() == QStringLiteral("polyline");
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(shapes, 10);
}

} // namespace
} // namespace zorvak
