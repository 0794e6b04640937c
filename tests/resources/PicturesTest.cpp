#include "resources/Pictures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <algorithm>

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
        for (bool disabled : {false, true})
            for (int density : {1, 2}) {
                const QString path = density == 1 ? GlyphPath(glyph, disabled)
                                                  : DoubleDensityPath(GlyphPath(glyph, disabled));
                SCOPED_TRACE(path.toStdString());
                const QImage image = Load(path);
                const int side = density * kGlyphSize;
                ASSERT_EQ(image.size(), QSize(side, side));
                for (int y = 0; y < side; ++y)
                    for (int x = 0; x < side; ++x) {
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
// pixels drop out. Catches a glyph redrawn without its greyed twin. At twice
// the density too, one of its own pixels down and right.
TEST(Pictures, GreyedGlyphFollowsFromTheNormalOne) {
    for (TGlyph glyph : kGlyphs)
        for (int density : {1, 2}) {
            const auto path = [&](bool disabled) {
                return density == 1 ? GlyphPath(glyph, disabled)
                                    : DoubleDensityPath(GlyphPath(glyph, disabled));
            };
            SCOPED_TRACE(path(false).toStdString());
            const QImage normal = Load(path(false));
            const QImage greyed = Load(path(true));
            const int side = density * kGlyphSize;
            ASSERT_EQ(normal.size(), QSize(side, side));
            ASSERT_EQ(normal.size(), greyed.size());
            const auto ink = [&](int x, int y) {
                const QRgb p = normal.pixel(x, y);
                return qAlpha(p) == 255 &&
                       (qRed(p) * 30 + qGreen(p) * 59 + qBlue(p) * 11) / 100 < 0xC0;
            };
            QImage expected(normal.size(), QImage::Format_ARGB32);
            expected.fill(Qt::transparent);
            for (int y = 0; y + 1 < side; ++y)
                for (int x = 0; x + 1 < side; ++x)
                    if (ink(x, y))
                        expected.setPixel(x + 1, y + 1, qRgb(255, 255, 255));
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x)
                    if (ink(x, y))
                        expected.setPixel(x, y, qRgb(128, 128, 128));
            EXPECT_EQ(greyed, expected);
        }
}

// The picture an icon gives for a size on a screen of that pixel ratio.
QImage IconPicture(const QIcon& icon, int size, qreal ratio, QIcon::Mode mode = QIcon::Normal) {
    const QPixmap pixmap = icon.pixmap(QSize(size, size), ratio, mode);
    EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(1);
    return image;
}

TEST(Pictures, GlyphIconShowsTheGreyedPictureWhenDisabled) {
    QSet<QString> seen;
    for (TGlyph glyph : kGlyphs) {
        SCOPED_TRACE(GlyphPath(glyph, false).toStdString());
        const QIcon icon = GlyphIcon(glyph);
        // On a screen of twice the density, the pictures drawn for it.
        for (bool disabled : {false, true}) {
            const QIcon::Mode mode = disabled ? QIcon::Disabled : QIcon::Normal;
            EXPECT_EQ(IconPicture(icon, kGlyphSize, 2.0, mode),
                      Load(DoubleDensityPath(GlyphPath(glyph, disabled))));
        }
        const QImage normal = IconPicture(icon, kGlyphSize, 1.0);
        const QImage disabled = IconPicture(icon, kGlyphSize, 1.0, QIcon::Disabled);
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
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48})
        for (qreal ratio : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << size << " at " << ratio);
            const QString file = QStringLiteral(":/zorvak/icon%1.png").arg(size);
            EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size) * ratio));
            // Compared premultiplied: a pixmap keeps the half-transparent edges
            // of the large icon that way, and back to straight alpha they round.
            const auto premultiplied = [](const QImage& image) {
                return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            };
            EXPECT_EQ(premultiplied(IconPicture(icon, size, ratio)),
                      premultiplied(Load(ratio == 1.0 ? file : DoubleDensityPath(file))));
        }
}

// Whether the picture at twice the density covers the same shape: each
// pixel's square of four is shown (any of them opaque) exactly where the
// picture is; they may part by a pixel (a line drawn finer, a curve rounder),
// never by more, and they agree on most of what either shows (the sound
// waves, drawn finer, are the least alike).
struct TShapeMatch {
    int Farther = 0;    // pixels set in one, with none of the other within a pixel
    double Overlap = 0; // shown in both, of shown in either
};

TShapeMatch MatchShapes(const QImage& once, const QImage& twice) {
    const int side = once.width();
    std::vector<bool> a(static_cast<std::size_t>(side * side));
    std::vector<bool> b(a.size());
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const auto at = static_cast<std::size_t>(y * side + x);
            a[at] = qAlpha(once.pixel(x, y)) >= 128;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    b[at] = b[at] || qAlpha(twice.pixel(2 * x + dx, 2 * y + dy)) >= 128;
        }
    const auto near = [&](const std::vector<bool>& mask, int x, int y) {
        for (int yy = std::max(0, y - 1); yy <= std::min(side - 1, y + 1); ++yy)
            for (int xx = std::max(0, x - 1); xx <= std::min(side - 1, x + 1); ++xx)
                if (mask[static_cast<std::size_t>(yy * side + xx)])
                    return true;
        return false;
    };
    TShapeMatch match;
    int both = 0;
    int either = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const auto at = static_cast<std::size_t>(y * side + x);
            both += a[at] && b[at];
            either += a[at] || b[at];
            if (a[at] != b[at] && !near(a[at] ? b : a, x, y))
                ++match.Farther;
        }
    match.Overlap = either == 0 ? 1.0 : static_cast<double>(both) / either;
    return match;
}

TEST(Pictures, EveryPictureHasItsTwinDrawnAtTwiceTheDensity) {
    InitPictures();
    QStringList pictures;
    for (const QString& name : QDir(QStringLiteral(":/zorvak")).entryList(QDir::Files))
        if (!name.contains(QLatin1Char('@')))
            pictures.append(QStringLiteral(":/zorvak/") + name);
    // The listing itself: every glyph, greyed twin and icon size is there.
    ASSERT_EQ(pictures.size(), 22);
    for (const QString& path : pictures) {
        SCOPED_TRACE(path.toStdString());
        const QImage once = Load(path);
        const QImage twice = Load(DoubleDensityPath(path));
        ASSERT_FALSE(twice.isNull());
        ASSERT_EQ(twice.size(), once.size() * 2);
        const TShapeMatch match = MatchShapes(once, twice);
        EXPECT_EQ(match.Farther, 0);
        EXPECT_GT(match.Overlap, 0.5);
        // Drawn again, not the small picture's pixels doubled.
        EXPECT_NE(twice,
                  once.scaled(once.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
}

TEST(Pictures, DoubleDensityPathPutsTheMarkBeforeTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {":/zorvak/extract.png", ":/zorvak/extract@2x.png"},
        {":/zorvak/extract-disabled.png", ":/zorvak/extract-disabled@2x.png"},
        {"dir.v2/picture", "dir.v2/picture@2x"},
        {"picture", "picture@2x"},
    };
    for (const auto& [path, twin] : cases)
        EXPECT_EQ(DoubleDensityPath(QString::fromLatin1(path)).toStdString(), twin);
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
