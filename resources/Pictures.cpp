#include "resources/Pictures.h"

#include <QSize>

// Q_INIT_RESOURCE names a global function, so it cannot sit in a namespace.
static void RegisterPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace zorvak {

void InitPictures() {
    static const bool registered = (RegisterPictures(), true);
    (void)registered;
}

QString GlyphPath(TGlyph glyph, bool disabled) {
    const char* name = "extract";
    switch (glyph) {
    case TGlyph::glExtract:
        name = "extract";
        break;
    case TGlyph::glExtractAll:
        name = "extractall";
        break;
    case TGlyph::glPlay:
        name = "play";
        break;
    case TGlyph::glBuild:
        name = "build";
        break;
    }
    return QStringLiteral(":/zorvak/%1%2.png")
        .arg(QLatin1String(name), disabled ? QStringLiteral("-disabled") : QString());
}

QString DoubleDensityPath(const QString& path) {
    // The extension of the file's name, not a dot in a folder's.
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < path.lastIndexOf(QLatin1Char('/')))
        return path + QStringLiteral("@2x");
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

namespace {
// The picture and its twin at twice the density, for mode; nothing when the
// picture is not there.
void AddPicture(QIcon& icon, const QString& path, QIcon::Mode mode) {
    const QPixmap picture(path);
    if (picture.isNull())
        return;
    icon.addPixmap(picture, mode);
    QPixmap twice(DoubleDensityPath(path));
    if (!twice.isNull()) {
        twice.setDevicePixelRatio(2);
        icon.addPixmap(twice, mode);
    }
}

QIcon IconOf(const QString& normal, const QString& disabled) {
    InitPictures();
    QIcon icon;
    AddPicture(icon, normal, QIcon::Normal);
    AddPicture(icon, disabled, QIcon::Disabled);
    return icon;
}
} // namespace

QIcon GlyphIcon(TGlyph glyph) {
    return IconOf(GlyphPath(glyph, false), GlyphPath(glyph, true));
}

QIcon NamedGlyph(const QString& name) {
    return IconOf(QStringLiteral(":/zorvak/%1.png").arg(name),
                  QStringLiteral(":/zorvak/%1-disabled.png").arg(name));
}

QIcon ProgramIcon() {
    InitPictures();
    QIcon icon;
    for (int size : {16, 32, 48}) {
        const QString path = QStringLiteral(":/zorvak/icon%1.png").arg(size);
        icon.addFile(path, QSize(size, size));
        icon.addFile(DoubleDensityPath(path), QSize(2 * size, 2 * size));
    }
    return icon;
}

} // namespace zorvak
