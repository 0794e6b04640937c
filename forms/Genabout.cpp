#include "forms/Genabout.h"

#include "controls/Backdrop.h"
#include "controls/Gradbtn.h"
#include "controls/PictureLabel.h"
#include "framework/Failures.h"
#include "framework/ui/Application.h"
#include "framework/ui/Colors.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/FormKit.h"
#include "framework/ui/Platform.h"
#include "framework/ui/Translations.h"
#include "resources/Pictures.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QtGlobal>

namespace zorvak {

namespace {

constexpr int kBoxHeight = 160;

QLabel* MakeLabel(QWidget* parent, const QString& stored, int left, int top, bool centred) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(centred ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignTop);
    label->move(left, top);
    TAboutBox::SetCaption(label, stored);
    return label;
}

TPictureLabel* MakeIcon(QWidget* parent, int left, int top) {
    auto* icon = new TPictureLabel(parent);
    icon->setAlignment(Qt::AlignCenter);
    icon->setGeometry(left, top, 32, 32);
    return icon;
}

void ShowIcon(TPictureLabel* label, const QIcon& icon) {
    const QSize size(kProgramPictureSize, kProgramPictureSize);
    label->SetIcon(icon, size);
    if (!icon.isNull())
        label->resize(size);
}

} // namespace

QString ReleaseLetter(int code) {
    if (code >= 1 && code <= 26)
        return QString(QChar(code + 96));
    return QString();
}

QString VersionText(std::int32_t packed) {
    const auto bits = static_cast<std::uint32_t>(packed);
    const unsigned major = bits >> 16;
    const unsigned minor = bits >> 8 & 0xFF;
    const int release = static_cast<int>(bits & 0xFF);
    return QString::number(major) + QLatin1Char('.') +
           QStringLiteral("%1").arg(minor, 2, 10, QLatin1Char('0')) + ReleaseLetter(release);
}

QDateTime FileDate(const std::filesystem::path& path) {
    const QFileInfo info(FromFsPath(path));
    const QDateTime written = info.exists() ? info.lastModified() : QDateTime();
    if (!written.isValid())
        throw TFileOpenFailure(path);
    return written.toLocalTime();
}

QDateTime ProgramFileDate() {
    return FileDate(ProgramFilePath());
}

QString FormatProgramDate(const QDateTime& time, const QLocale& locale) {
    const QDate date = time.date();
    const QTime clock = time.time();
    const int hour12 = clock.hour() % 12 == 0 ? 12 : clock.hour() % 12;
    return locale.dayName(date.dayOfWeek(), QLocale::LongFormat) + QLatin1Char(' ') +
           QString::number(date.day()) + QLatin1Char(' ') +
           locale.monthName(date.month(), QLocale::LongFormat) + QLatin1Char(' ') +
           QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + QStringLiteral(", ") +
           QString::number(hour12) + QLatin1Char(':') +
           QStringLiteral("%1").arg(clock.minute(), 2, 10, QLatin1Char('0')) + QLatin1Char(' ') +
           (clock.hour() < 12 ? locale.amText() : locale.pmText());
}

QString ProgramDateText() {
    // A translation writes the date as its language does (German and French
    // count the hours to 24).
    if (const QString language = UiLanguage(); !language.isEmpty())
        return QLocale(language).toString(
            ProgramFileDate(),
            QCoreApplication::translate("zorvak::TAboutBox", "dddd d MMMM yyyy, h:mm AP",
                                        "the program file's date, as QLocale "
                                        "writes it; English has its own way"));
    return FormatProgramDate(ProgramFileDate(), QLocale::system());
}

QString BuildToolLabel() {
#if defined(__clang__)
    const QString compiler = QStringLiteral("Clang %1.%2.%3")
                                 .arg(__clang_major__)
                                 .arg(__clang_minor__)
                                 .arg(__clang_patchlevel__);
#elif defined(__GNUC__)
    const QString compiler = QStringLiteral("GCC " __VERSION__);
#else
    const QString compiler = QStringLiteral("C++");
#endif
    return QLatin1Char('(') + compiler + QStringLiteral(", Qt " QT_VERSION_STR ")");
}

QString DefaultCopyrightText() {
    return QCoreApplication::translate("zorvak::TAboutBox", "Copyright \u00A9 the Zorvak makers");
}

QString DefaultCommentsText() {
    return QCoreApplication::translate("zorvak::TAboutBox", "A tool for Quake PAK archives");
}

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle(tr("About"));
    resize(205, 153);
    setFont(FormFont(11, true));
    setPalette(DesignedPalette());
    SetTextColor(this, QColor(255, 255, 0));

    Panel2 = new QFrame(this);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setLineWidth(1);
    Panel2->setGeometry(rect());
    // Made first so that everything else lies on top of it.
    Panel1 = new TBackDrop(Panel2);
    Panel1->SetDirection(TDirection::bdRight);

    Comments = MakeLabel(Panel2, QStringLiteral("Comments"), 73, 96, true);
    Copyright = MakeLabel(Panel2, QStringLiteral("Copyright"), 75, 80, true);
    VDate = MakeLabel(Panel2, QStringLiteral("Date"), 87, 48, false);
    VDate->setFont(FormFont(11));
    SetTextColor(VDate, Qt::white);
    SetCaption(VDate, VDate->text());
    Version = MakeLabel(Panel2, QStringLiteral("Version"), 81, 28, true);
    ProductName = MakeLabel(Panel2, QStringLiteral("Product"), 53, 8, true);
    ProductName->setFont(FormFont(13, true));
    SetCaption(ProductName, ProductName->text());
    ProgIcon2 = MakeIcon(Panel2, 168, 8);
    ProgIcon1 = MakeIcon(Panel2, 8, 8);
    ProgIcon1->installEventFilter(this);
    ProgIcon2->installEventFilter(this);

    ButtonOk = new TGradButton(Panel2);
    ButtonOk->setGeometry(74, 120, 57, 25);
    ButtonOk->SetCaption(tr("Ok"));
    // The design's "System" face is the system font here too.
    ButtonOk->setFont(FormFont(13));
    ButtonOk->SetFaceColor(clTeal);
    ButtonOk->SetShadowColor(clNavy);
    connect(ButtonOk, &QAbstractButton::clicked, this,
            [this] { RunGuarded([this] { ButtonOkClick(); }); });

    FormCreate();
    DescribeControls();
}

void TAboutBox::SetCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->resize(label->sizeHint());
}

void TAboutBox::FormCreate() {
    // The stored captions are placeholders; Execute and FormShow fill them.
    for (QLabel* label : {ProductName, VDate, Version, Copyright, Comments})
        SetCaption(label, QString());
}

void TAboutBox::FormShow() {
    resize(width(), kBoxHeight);
    Panel2->setGeometry(rect());
    Panel1->setGeometry(Panel2->contentsRect());

    if (ProductName->text().isEmpty())
        SetCaption(ProductName, ApplicationTitle());
    SetCaption(Version, Version->text() + VersionText(Tag));
    if (VDate->text().isEmpty()) {
        // Without a date the box is still worth laying out; report and go on.
        try {
            SetCaption(VDate, DefaultDateText());
        } catch (...) {
            ShowErrorBox(CurrentFailureMessage());
        }
    }
    if (Copyright->text().isEmpty())
        SetCaption(Copyright, DefaultCopyrightText());
    if (Comments->text().isEmpty())
        SetCaption(Comments, DefaultCommentsText());
    const QIcon icon = ProgramIcon();
    ShowIcon(ProgIcon1, icon);
    ShowIcon(ProgIcon2, icon);

    // Wide enough for the product name between the two icons and for the
    // longer lines; the version line may run over (the build label does).
    int w = ProductName->width() + 4 * ProgIcon1->x() + 2 * ProgIcon1->width() + 13;
    for (QLabel* label : {VDate, Copyright, Comments})
        if (label->width() + 13 > w)
            w = label->width() + 13;
    SetBoxWidth(w);

    int left = x();
    int top = y();
    if (const QScreen* screen = this->screen())
        left = screen->geometry().x() + (screen->geometry().width() - w) / 2;
    if (QWidget* owner = parentWidget()) {
        const QRect outer = owner->window()->frameGeometry();
        left = outer.x() + (outer.width() - w) / 2;
        top = outer.y() + (outer.height() - kBoxHeight) / 2;
    }
    move(left, top);

    ProgIcon2->move(Panel1->width() - ProgIcon1->width() - ProgIcon1->x(), ProgIcon1->y());
    for (QWidget* control : {static_cast<QWidget*>(ProductName), static_cast<QWidget*>(Version),
                             static_cast<QWidget*>(VDate), static_cast<QWidget*>(Copyright),
                             static_cast<QWidget*>(Comments), static_cast<QWidget*>(ButtonOk)})
        CentreOnBackdrop(control);
}

void TAboutBox::ButtonOkClick() {
    reject();
}

void TAboutBox::ProgIcon2DblClick() {
    SetCaption(Version, Version->text() + QLatin1Char(' ') + BuildToolLabel());
    CentreOnBackdrop(Version);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        RunGuarded([this] { FormShow(); });
}

void TAboutBox::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Panel2->setGeometry(rect());
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == ProgIcon1 || watched == ProgIcon2) &&
        event->type() == QEvent::MouseButtonDblClick) {
        RunGuarded([this] { ProgIcon2DblClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QString TAboutBox::DefaultDateText() const {
    return ProgramDateText();
}

void TAboutBox::SetBoxWidth(int width) {
    resize(width, height());
    // The panel and the backdrop follow at once, not only at the next resize
    // event, because the centring below measures the backdrop.
    Panel2->setGeometry(rect());
    Panel1->setGeometry(Panel2->contentsRect());
}

void TAboutBox::CentreOnBackdrop(QWidget* control) {
    control->move((Panel1->width() - control->width()) / 2, control->y());
}

} // namespace zorvak
