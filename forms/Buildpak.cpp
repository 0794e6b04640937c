#include "forms/Buildpak.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/ui/Application.h"
#include "framework/ui/Colors.h"
#include "framework/ui/FormKit.h"
#include "framework/ui/Platform.h"
#include "resources/Pictures.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace zorvak {

TBuildPakDialog* BuildPakDialog = nullptr;

namespace {

// The window repaints at this pace during a build; handling events after
// every one of many thousand small files would cost more than the copying.

QIcon Glyph(const char* name) {
    return NamedGlyph(QString::fromLatin1(name));
}

QIcon VolumeIcon(TVolumeKind kind) {
    switch (kind) {
    case TVolumeKind::vkRemovable:
        return Glyph("drive-removable");
    case TVolumeKind::vkCdRom:
        return Glyph("drive-cdrom");
    case TVolumeKind::vkNetwork:
        return Glyph("drive-network");
    case TVolumeKind::vkRam:
        return Glyph("drive-ram");
    case TVolumeKind::vkFixed:
        break;
    }
    return Glyph("drive-fixed");
}

// Whether a key press types a character, which the key filter then judges.
// The text alone does not tell: X11 gives Delete the text U+007F. Of the
// named keys only Backspace, Enter and Escape type (control) characters, as
// they do where the filter was first made; Tab moves the focus.
bool TypesCharacter(const QKeyEvent& key) {
    if (key.text().isEmpty())
        return false;
    switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_unknown: // a character the toolkit has no key for
        return true;
    default:
        return key.key() < Qt::Key_Escape; // letters, digits and signs lie below the named keys
    }
}

} // namespace

// ---------------------------------------------------------------- TFileRows

TFileRows::TFileRows(QObject* parent) : QAbstractListModel(parent) {}

void TFileRows::Reset(std::shared_ptr<const std::vector<TPakBuildFile>> files) {
    beginResetModel();
    files_ = std::move(files);
    shown_ = 0;
    endResetModel();
}

void TFileRows::ShowAll() {
    const int total = files_ ? static_cast<int>(files_->size()) : 0;
    if (total <= shown_)
        return;
    beginInsertRows(QModelIndex(), shown_, total - 1);
    shown_ = total;
    endInsertRows();
}

int TFileRows::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

QVariant TFileRows::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown_)
        return {};
    return DecodeName((*files_)[static_cast<std::size_t>(index.row())].Name);
}

// ---------------------------------------------------------------- TBuildPakDialog

TBuildPakDialog::TBuildPakDialog(QWidget* parent)
    : QDialog(parent), built_(std::make_shared<std::vector<TPakBuildFile>>()) {
    setWindowTitle(tr("Build PAK File"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(429, 268);
    // "MS Sans Serif", height -11 (8 points).
    setFont(FormFont(11));
    QPalette colours = DesignedPalette();
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(2, 8, 205, 221);

    Label1 = PlaceLabel(this, 8, 16, tr("Start build from :-"));

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setGeometry(8, 32, 193, 19);
    DriveComboBox1->setIconSize(QSize(16, 16));

    DirList = new TDirectoryListBox(this);
    DirList->setGeometry(8, 56, 193, 145);

    Label2 = PlaceLabel(this, 8, 208, tr("PAK Name:"));

    PAKName = new QLineEdit(QStringLiteral("ZORVAK"), this);
    PAKName->setGeometry(72, 204, 129, 21);
    // A caption longer than "PAK Name:" (another language's) pushes the box
    // along rather than run under it; it still ends where it did.
    if (const int right = Label2->geometry().right(); right >= PAKName->x())
        PAKName->setGeometry(right + 4, 204, PAKName->geometry().right() - 3 - right, 21);
    PAKName->setMaxLength(8);
    // Every typed character goes through the key filter; composed input
    // would pass it by.
    PAKName->setAttribute(Qt::WA_InputMethodEnabled, false);
    PAKName->installEventFilter(this);

    ButtonOk = new QPushButton(Glyph("dialog-build"), tr("Build PAK"), this);
    ButtonOk->setGeometry(8, 232, 93, 33);
    ButtonOk->setIconSize(QSize(16, 16));
    ButtonOk->setAutoDefault(false);

    ButtonClose = new QPushButton(Glyph("dialog-close"), tr("&Close"), this);
    ButtonClose->setGeometry(108, 232, 93, 33);
    ButtonClose->setIconSize(QSize(16, 16));
    ButtonClose->setAutoDefault(false);

    Files = new QListView(this);
    Files->setGeometry(212, 8, 209, 257);
    Files->setSelectionMode(QAbstractItemView::SingleSelection);
    Files->setUniformItemSizes(true);
    Files->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Files->setItemDelegate(new TFixedRowDelegate(13, Files));
    rows_ = new TFileRows(Files);
    rows_->Reset(built_);
    Files->setModel(rows_);

    setTabOrder(DirList, PAKName);
    setTabOrder(PAKName, DriveComboBox1);
    setTabOrder(DriveComboBox1, Files);
    setTabOrder(Files, ButtonOk);
    setTabOrder(ButtonOk, ButtonClose);

    // Queued: the build pumps events, so it must not run inside the
    // button's own mouse handling, which a pump could pull away from under it.
    connect(
        ButtonOk, &QPushButton::clicked, this, [this] { RunGuarded([this] { BuildPAKFile(); }); },
        Qt::QueuedConnection);
    connect(ButtonClose, &QPushButton::clicked, this, [this] { ButtonCloseClick(ButtonClose); });
    connect(PAKName, &QLineEdit::textChanged, this, [this] { PAKNameChange(); });
    connect(DirList, &TDirectoryListBox::DirectoryChanged, this, [this] { DirListChange(); });
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this](int index) { RunGuarded([this, index] { DriveComboBox1Change(index); }); });

    RefreshVolumes();
    // The program's current directory at start-up; the root when it has gone.
    std::error_code ec;
    const std::filesystem::path current = std::filesystem::current_path(ec);
    try {
        DirList->SetDirectory(ec ? std::filesystem::path("/") : current);
    } catch (const TFailure&) {
        DirList->SetDirectory("/");
    }
    DescribeControls();
}

TBuildPakDialog::~TBuildPakDialog() {
    if (BuildPakDialog == this)
        BuildPakDialog = nullptr;
}

int TBuildPakDialog::ShowModal() {
    return exec();
}

void TBuildPakDialog::SetVolumeSource(std::function<std::vector<TVolume>()> source) {
    volumeSource_ = std::move(source);
    RefreshVolumes();
}

void TBuildPakDialog::RefreshVolumes() {
    volumes_ = volumeSource_ ? volumeSource_() : MountedVolumes();
    DriveComboBox1->clear();
    for (const TVolume& volume : volumes_)
        DriveComboBox1->addItem(VolumeIcon(volume.Kind), DecodeName(VolumeCaption(volume)));
    DriveComboBox1->setCurrentIndex(VolumeOf(volumes_, DirList->Directory()));
}

void TBuildPakDialog::DriveComboBox1Change(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= volumes_.size())
        return;
    const std::filesystem::path root = volumes_[index].Root;
    const auto last = lastUsed_.find(root);
    try {
        try {
            DirList->SetDirectory(last != lastUsed_.end() ? last->second : root);
        } catch (const TFailure&) {
            // The directory last used there may have gone since.
            if (last == lastUsed_.end())
                throw;
            DirList->SetDirectory(root);
        }
    } catch (...) {
        // Show the volume the list is still on.
        DriveComboBox1->setCurrentIndex(VolumeOf(volumes_, DirList->Directory()));
        throw;
    }
}

void TBuildPakDialog::DirListChange() {
    const int index = VolumeOf(volumes_, DirList->Directory());
    if (index >= 0)
        lastUsed_[volumes_[index].Root] = DirList->Directory();
    DriveComboBox1->setCurrentIndex(index);
}

void TBuildPakDialog::PAKNameKeyPress(QObject*, QChar& key) {
    const char16_t c = key.unicode();
    const bool kept =
        (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    if (!kept)
        key = QChar(0);
}

void TBuildPakDialog::PAKNameChange() {
    // Pasted text is not filtered, but it is shown in upper case too.
    const QString text = PAKName->text();
    const QByteArray bytes = text.toUtf8();
    const QString upper =
        QString::fromUtf8(AsciiUpper(std::string_view(bytes.data(), bytes.size())));
    if (upper != text) {
        const int cursor = PAKName->cursorPosition();
        PAKName->setText(upper);
        PAKName->setCursorPosition(cursor);
    }
}

bool TBuildPakDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != PAKName || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Keys that type nothing (arrows, Delete) and focus moves pass as they are.
    if (!TypesCharacter(*key))
        return false;
    const QString typed = key->text();
    QString kept;
    for (QChar c : typed) {
        PAKNameKeyPress(PAKName, c);
        if (!c.isNull())
            kept += c.toLatin1() >= 'a' && c.toLatin1() <= 'z' ? QChar(c.unicode() - 'a' + 'A') : c;
    }
    if (!kept.isEmpty())
        PAKName->insert(kept); // the edit's length limit refuses a ninth
    return true;
}

void TBuildPakDialog::ButtonCloseClick(QObject*) {
    close();
}

void TBuildPakDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        RefreshVolumes();
        // Directories may have come and gone while the dialog was hidden.
        for (std::filesystem::path dir = DirList->Directory();; dir = dir.parent_path()) {
            try {
                DirList->SetDirectory(dir);
                break;
            } catch (const TFailure&) {
                if (dir == dir.root_path())
                    break;
            }
        }
        CentreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void TBuildPakDialog::closeEvent(QCloseEvent* event) {
    // A close asked for during a build takes effect once the build returns.
    if (building_) {
        closePending_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TBuildPakDialog::keyPressEvent(QKeyEvent* event) {
    // The dialog has no cancel button: Escape does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TBuildPakDialog::SelectRow(std::size_t row) {
    if (row < static_cast<std::size_t>(rows_->rowCount()))
        Files->setCurrentIndex(rows_->index(static_cast<int>(row)));
}

bool TBuildPakDialog::BuildTree(const std::filesystem::path& start) {
    QPointer<TBuildPakDialog> self(this);
    // The walk fills a list it shares with the rows: should the dialog go
    // during a pump, the list stays alive until the walk has let go of it.
    const std::shared_ptr<std::vector<TPakBuildFile>> found = built_;
    const bool alive = WalkPakTree(start, *found, BuildHooks(self));
    if (alive)
        rows_->ShowAll();
    return alive;
}

TPakBuildHooks TBuildPakDialog::BuildHooks(const QPointer<TBuildPakDialog>& self) {
    TPakBuildHooks hooks;
    hooks.Pump = [this, self] {
        if (self.isNull())
            return false;
        framePump_.Pump([this] {
            rows_->ShowAll();
            if (pendingRow_ >= 0)
                SelectRow(static_cast<std::size_t>(pendingRow_));
        });
        // Anything may have happened meanwhile, the dialog's end included.
        return !self.isNull();
    };
    hooks.DataRow = [this](std::size_t row) { pendingRow_ = static_cast<qsizetype>(row); };
    hooks.DirectoryRow = hooks.DataRow;
    return hooks;
}

void TBuildPakDialog::BuildPAKFile() {
    // A second click queued before the button went grey.
    if (building_)
        return;
    QPointer<TBuildPakDialog> self(this);
    building_ = true;
    pendingRow_ = -1;
    framePump_.Restart();
    ButtonOk->setEnabled(false);
    const auto finish = qScopeGuard([self] {
        if (self)
            self->EndBuild();
    });
    // Fixed for the whole build, whatever the lists do during its pumps.
    const std::filesystem::path start = DirList->Directory();
    const std::string baseName = QFile::encodeName(PAKName->text()).toStdString();

    built_ = std::make_shared<std::vector<TPakBuildFile>>();
    rows_->Reset(built_);
    // Held here too, so the passes never read through a dialog that a pump
    // has seen go.
    const std::shared_ptr<const std::vector<TPakBuildFile>> files = built_;
    if (!BuildTree(start))
        return;
    CheckPakBuild(*files);
    const std::filesystem::path output =
        PakOutputPath(start, baseName, FileNamesAreCaseSensitive());
    WritePakFile(output, *files, BuildHooks(self));
}

void TBuildPakDialog::EndBuild() {
    if (pendingRow_ >= 0)
        SelectRow(static_cast<std::size_t>(pendingRow_));
    pendingRow_ = -1;
    building_ = false;
    ButtonOk->setEnabled(true);
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

} // namespace zorvak
