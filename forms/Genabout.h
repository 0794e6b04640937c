// The about box: product name, version, the program file's date, a copyright
// and a comment line over a gradient backdrop, the program's icon in both
// upper corners and an "Ok" button. Created anew for every showing.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <filesystem>

class QFrame;
class QLabel;

namespace zorvak {

class TBackDrop;
class TGradButton;
class TPictureLabel;

// "a" to "z" for release codes 1 to 26; empty for any other code.
QString ReleaseLetter(int code);

// The text of a packed version number: major (bits 31-16, unsigned), ".",
// minor (bits 15-8) in at least two digits, and the release letter (bits
// 7-0). 73216 gives "1.30", 66818 "1.05b".
QString VersionText(std::int32_t packed);

// The last-write time of a file as local date and time; throws
// TFileOpenFailure when the file cannot be examined.
QDateTime FileDate(const std::filesystem::path& path);
QDateTime ProgramFileDate();

// A date as "dddd d mmmm yyyy, h:mm ampm" with the names and the before- and
// after-noon designators of the locale: "Monday 3 March 1997, 4:05 PM".
QString FormatProgramDate(const QDateTime& time, const QLocale& locale);
// The program file's date in the user's locale.
QString ProgramDateText();

// " (compiler version, Qt version)" without the leading blank: the tools this
// program was built with.
QString BuildToolLabel();

// The texts shown when the box is given none.
QString DefaultCopyrightText();
QString DefaultCommentsText();

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // owner: the window the box centres over, or null to centre on the screen.
    explicit TAboutBox(QWidget* owner = nullptr);

    QFrame* Panel2;
    QLabel* Comments;
    QLabel* Copyright;
    QLabel* VDate;
    QLabel* Version;
    QLabel* ProductName;
    TPictureLabel* ProgIcon2;
    TPictureLabel* ProgIcon1;
    TBackDrop* Panel1;
    TGradButton* ButtonOk;

    // The packed version number the box shows.
    std::int32_t Tag = 66818;

    // Sets a label's text and sizes the label to it.
    static void SetCaption(QLabel* label, const QString& text);

    void FormCreate();
    void FormShow();
    void ButtonOkClick();
    void ProgIcon2DblClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The date line shown when none is given.
    virtual QString DefaultDateText() const;

private:
    // Tooltips and accessible names of its controls (forms/Descriptions.cpp).
    void DescribeControls();
    void SetBoxWidth(int width);
    void CentreOnBackdrop(QWidget* control);
};

} // namespace zorvak
