// The program's glyphs and icon, compiled into the program
// under ":/zorvak/". The pictures are drawn as text in make_pictures.py,
// each also at twice the density ("NAME@2x.png"): the icons below hold both,
// and give the one the screen's pixel ratio asks for.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace zorvak {

// The pictures of the four glyph buttons of the main window.
enum class TGlyph { glExtract, glExtractAll, glPlay, glBuild };

inline constexpr int kGlyphSize = 16;
// The program's picture beside the main window's buttons and in the about box.
inline constexpr int kProgramPictureSize = 32;

// Makes ":/zorvak/..." readable. The resources live in a static library, so
// the linker keeps them only when something calls this; the functions below
// call it themselves. Safe to call any number of times.
void InitPictures();

// ":/zorvak/extract.png", ":/zorvak/extract-disabled.png" and so on.
QString GlyphPath(TGlyph glyph, bool disabled);

// The twin of a picture's path drawn at twice the density:
// ":/zorvak/extract@2x.png" for ":/zorvak/extract.png".
QString DoubleDensityPath(const QString& path);

// The glyph as an icon whose disabled mode is the greyed picture, so a button
// shows the right one by its enabled state. Show it at kGlyphSize.
QIcon GlyphIcon(TGlyph glyph);

// Any other glyph by its name (":/zorvak/NAME.png"), with its greyed twin
// as the disabled mode where it has one: "dialog-build", "dialog-close",
// "folder-open", "folder-closed", "drive-fixed" and the other drives.
QIcon NamedGlyph(const QString& name);

// The program's icon at 16, 32 and 48 pixels and at twice those, for the
// window, the task bar and the pictures of the program in its windows.
QIcon ProgramIcon();

} // namespace zorvak
