#include "forms/ZorvHelp.h"

#include "forms/RtfDocument.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/ui/Application.h"
#include "framework/ui/Colors.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/FormKit.h"
#include "framework/ui/Platform.h"
#include "framework/ui/Translations.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>
#include <new>
#include <string>
#include <system_error>

namespace zorvak {

QPointer<QTextEdit> HelpViewer;

namespace {

constexpr TColor kViewerColor = 0x0099FFFF; // pale yellow
constexpr int kFormWidth = 520;
constexpr int kFormHeight = 400;
constexpr std::size_t kReadChunk = 64 * 1024;

TProgramFileSource& ProgramFileSource() {
    static TProgramFileSource source = [] { return ProgramFilePath(); };
    return source;
}

// A file, not a directory, is there (a dangling link is not).
bool HelpFileExists(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::string ReadHelpFile(const std::filesystem::path& path) {
    TLockedFile file(path); // "Cannot open file %s"
    try {
        std::string bytes;
        // Some files (those of /proc among them) report no size; read to
        // the end rather than trust it.
        if (file.Size() > 0 && file.Size() < (std::int64_t{1} << 31))
            bytes.reserve(static_cast<std::size_t>(file.Size()));
        auto buffer = std::make_unique<char[]>(kReadChunk);
        for (;;) {
            const std::size_t got = file.Read(buffer.get(), kReadChunk);
            if (got == 0)
                break;
            bytes.append(buffer.get(), got);
        }
        return bytes;
    } catch (const std::exception&) {
        throw TFailure(FailureBytes(
            QCoreApplication::translate("zorvak::THelpForm", "Failed to Load Stream")));
    }
}

} // namespace

namespace {

// Where the help file called name is for program: beside it, or else where
// an install puts it; beside when neither has it.
std::filesystem::path HelpFileFor(const std::filesystem::path& program, const std::string& name) {
    const std::filesystem::path beside = program.parent_path() / name;
#ifdef ZORVAK_DATA_DIR_FROM_BIN
    // Installed, the program lies in bin/ and its data in share/zorvak/;
    // beside it still comes first, as in a build tree.
    std::error_code ec;
    const std::filesystem::path installed =
        (program.parent_path() / ZORVAK_DATA_DIR_FROM_BIN / name).lexically_normal();
    if (!std::filesystem::exists(beside, ec) && std::filesystem::exists(installed, ec))
        return installed;
#endif
    return beside;
}

} // namespace

std::filesystem::path HelpFilePath() {
    const std::filesystem::path program = ProgramFileSource()();
    if (!program.has_parent_path())
        return {}; // never the current directory
    // The help in the windows' language (ZorvHelp.de.rtf), found as the
    // English one is; the English one where there is none.
    if (const QString language = UiLanguage(); !language.isEmpty()) {
        const std::filesystem::path translated =
            HelpFileFor(program, "ZorvHelp." + language.toStdString() + ".rtf");
        if (HelpFileExists(translated))
            return translated;
    }
    return HelpFileFor(program, "ZorvHelp.rtf");
}

TProgramFileSource SetProgramFileSource(TProgramFileSource source) {
    std::swap(ProgramFileSource(), source);
    return source;
}

THelpForm::THelpForm(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("HelpForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(FormFont(13));
    QPalette palette = DesignedPalette();
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    // The outer size, frame included; until there is a frame it is all inside.
    resize(kFormWidth, kFormHeight);
    // Centred on the screen, not over the owner.
    if (const QScreen* screen =
            owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), QSize(kFormWidth, kFormHeight));
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    // A screen smaller than the window takes it whole, Close button and all.
    FitOnScreen(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FormCreate();
    DescribeControls();
}

THelpForm::~THelpForm() {
    FormDestroy();
}

void THelpForm::FormCreate() {
    HelpViewer = new QTextEdit(this);
    HelpViewer->setObjectName(QStringLiteral("HelpViewer"));
    QPalette palette = HelpViewer->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, ToQColor(kViewerColor));
        palette.setColor(group, QPalette::Text, Qt::black);
    }
    HelpViewer->setPalette(palette);
    HelpViewer->setLineWrapMode(QTextEdit::WidgetWidth);
    HelpViewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    HelpViewer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout()->addWidget(HelpViewer);

    const std::filesystem::path path = HelpFilePath();
    if (HelpFileExists(path)) {
        QTextEdit* viewer = HelpViewer;
        RunGuarded([&] {
            const std::string bytes = ReadHelpFile(path);
            try {
                // Filled apart from the viewer, which would lay it out at every step.
                auto* document = new QTextDocument(viewer);
                LoadHelpText(*document, bytes, viewer->font());
                viewer->setDocument(document);
            } catch (const std::bad_alloc&) {
                throw TFailure(FailureBytes(tr("Failed to Load Stream")));
            }
        });
    } else {
        ShowMessageBox(tr("Cannot find ZorvHelp.rtf"), tr("Error"), TMsgIcon::mbiError);
    }
    // Whatever happened above, the help cannot be edited. Without a caret
    // the keys scroll it, even with no scroll bars to drag.
    HelpViewer->setReadOnly(true);
    HelpViewer->moveCursor(QTextCursor::Start);
    HelpViewer->setFocus();
}

void THelpForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    KeepOuterSize();
    // The caret was put at the start while the viewer was still small,
    // which scrolled it; it opens at the top of the text.
    HelpViewer->verticalScrollBar()->setValue(0);
}

void THelpForm::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    KeepOuterSize();
}

void THelpForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    KeepOuterSize();
}

void THelpForm::KeepOuterSize() {
    // The window system frames the window once it is shown, some only
    // after a while, and says so with a move or a resize.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame == frame_)
        return;
    const QMargins grown = frame - frame_;
    frame_ = frame;
    resize(width() - grown.left() - grown.right(), height() - grown.top() - grown.bottom());
}

void THelpForm::FormDestroy() {
    // Only this window's own viewer: a viewer of another help window is not ours to free.
    if (HelpViewer != nullptr && HelpViewer->parent() == this)
        delete HelpViewer.data();
}

void RunHelpWindow(QWidget* owner) {
    auto form = std::make_unique<THelpForm>(owner);
    const QPointer<THelpForm> alive = form.get();
    form->exec();
    if (alive.isNull())
        (void)form.release(); // the owner went first and took the window with it
}

} // namespace zorvak
