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

namespace {
QIcon IconOf(const QString& normal, const QString& disabled) {
    InitPictures();
    QIcon icon;
    icon.addPixmap(QPixmap(normal), QIcon::Normal);
    const QPixmap greyed(disabled);
    if (!greyed.isNull())
        icon.addPixmap(greyed, QIcon::Disabled);
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

QPixmap ProgramPicture() {
    InitPictures();
    return QPixmap(QStringLiteral(":/zorvak/icon32.png"));
}

QIcon ProgramIcon() {
    InitPictures();
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/zorvak/icon%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace zorvak
