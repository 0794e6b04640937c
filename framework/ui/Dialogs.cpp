#include "framework/ui/Dialogs.h"

#include "framework/ui/Application.h"
#include "framework/ui/Describe.h"
#include "framework/ui/Platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace zorvak {

namespace {

class TQtMessageBoxes : public TMessageBoxes {
public:
    void Show(const TMessage& message) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(message.Title);
        box.setText(message.Text);
        switch (message.Icon) {
        case TMsgIcon::mbiError:
            box.setIcon(QMessageBox::Critical);
            break;
        case TMsgIcon::mbiWarning:
            box.setIcon(QMessageBox::Warning);
            break;
        case TMsgIcon::mbiInformation:
            box.setIcon(QMessageBox::Information);
            break;
        case TMsgIcon::mbiNone:
            break;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
    }
    bool Confirm(const TMessage& question) override {
        return MakeQuestionBox(QApplication::activeWindow(), question)->exec() == QMessageBox::Yes;
    }
    std::optional<QString> AskText(const TTextRequest& request) override {
        const std::unique_ptr<QInputDialog> dialog =
            MakeTextDialog(QApplication::activeWindow(), request);
        if (dialog->exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog->textValue();
    }
};

// The toolkit adds a default extension as it is given, so a typed "probe"
// would look for "probe.PAK" beside "probe.pak", and while the name is typed
// it would pick "probe.PAK" from the list. The extension is chosen for the
// typed name when it is accepted, as the platform says, and only then given.
class TOpenFileDialog : public QFileDialog {
public:
    TOpenFileDialog(QWidget* parent, const QString& title, const QString& defaultExt)
        : QFileDialog(parent, title), defaultExt_(defaultExt) {}

    void accept() override {
        setDefaultSuffix(QString());
        const QStringList typed = selectedFiles(); // as typed, no extension added
        if (!typed.isEmpty() && !defaultExt_.isEmpty())
            setDefaultSuffix(DefaultExtensionFor(typed.front(), defaultExt_));
        QFileDialog::accept();
    }

private:
    QString defaultExt_;
};

class TQtFileDialogs : public TFileDialogs {
public:
    std::optional<QString> GetOpenFileName(QWidget* parent,
                                           const TOpenFileRequest& request) override {
        const std::unique_ptr<QFileDialog> dialog = MakeOpenFileDialog(parent, request);
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return std::nullopt;
        return dialog->selectedFiles().front();
    }
    std::optional<QString> GetSaveFileName(QWidget* parent,
                                           const TSaveFileRequest& request) override {
        QFileDialog dialog(parent, request.Title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(request.Filters);
        if (request.FilterIndex >= 0 && request.FilterIndex < request.Filters.size())
            dialog.selectNameFilter(request.Filters[request.FilterIndex]);
        dialog.setDefaultSuffix(request.DefaultSuffix);
        if (!request.InitialFile.isEmpty())
            dialog.selectFile(request.InitialFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front();
    }
    std::optional<QStringList> GetOpenFileNames(QWidget* parent,
                                                const TOpenFileRequest& request) override {
        QFileDialog dialog(parent, request.Title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (!request.Filters.isEmpty())
            dialog.setNameFilters(request.Filters);
        if (!request.Folder.isEmpty())
            dialog.setDirectory(request.Folder);
        if (!request.InitialFile.isEmpty())
            dialog.selectFile(request.InitialFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles();
    }
    std::optional<QString> GetExistingDirectory(QWidget* parent, const QString& title,
                                                const QString& initial) override {
        const QString dir = QFileDialog::getExistingDirectory(parent, title, initial);
        if (dir.isEmpty())
            return std::nullopt;
        return dir;
    }
};

std::unique_ptr<TMessageBoxes>& BoxesStore() {
    static std::unique_ptr<TMessageBoxes> boxes = std::make_unique<TQtMessageBoxes>();
    return boxes;
}

std::unique_ptr<TFileDialogs>& DialogsStore() {
    static std::unique_ptr<TFileDialogs> dialogs = std::make_unique<TQtFileDialogs>();
    return dialogs;
}

} // namespace

std::unique_ptr<QFileDialog> MakeOpenFileDialog(QWidget* parent, const TOpenFileRequest& request) {
    auto dialog = std::make_unique<TOpenFileDialog>(parent, request.Title, request.DefaultSuffix);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(request.Filters);
    if (request.FilterIndex >= 0 && request.FilterIndex < request.Filters.size())
        dialog->selectNameFilter(request.Filters[request.FilterIndex]);
    if (!request.Folder.isEmpty())
        dialog->setDirectory(request.Folder);
    if (!request.InitialFile.isEmpty())
        dialog->selectFile(request.InitialFile);
    return dialog;
}

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("zorvak::TMessageBoxes", text);
}

// Tooltips and accessible names of the toolkit's own controls in the boxes.
void DescribeQuestionBox(QMessageBox& box) {
    Describe(box.button(QMessageBox::Yes), VisibleName(box.button(QMessageBox::Yes)->text()),
             Tr("Go ahead"));
    Describe(box.button(QMessageBox::No), VisibleName(box.button(QMessageBox::No)->text()),
             Tr("Leave everything as it is"));
    for (QLabel* label : box.findChildren<QLabel*>()) {
        if (label->objectName() == QLatin1String("qt_msgboxex_icon_label"))
            Describe(label, Tr("Question"), Tr("Zorvak asks before it goes on"));
        else
            DescribeShown(label, Tr("The question"));
    }
}

void DescribeTextDialog(QInputDialog& dialog) {
    // The line's caption is its name.
    for (QLineEdit* line : dialog.findChildren<QLineEdit*>())
        Describe(line, VisibleName(dialog.labelText()),
                 Tr("Type the text here; OK takes it, Cancel leaves everything as it is"));
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        const bool ok = dialog.findChild<QDialogButtonBox*>()->buttonRole(button) ==
                        QDialogButtonBox::AcceptRole;
        Describe(button, VisibleName(button->text()),
                 ok ? Tr("Take the text typed") : Tr("Leave everything as it is"));
    }
}

} // namespace

std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* parent, const TMessage& question) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, question.Title, question.Text,
                                             QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::No);
    DescribeQuestionBox(*box);
    return box;
}

std::unique_ptr<QInputDialog> MakeTextDialog(QWidget* parent, const TTextRequest& request) {
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(request.Title);
    dialog->setLabelText(request.Label);
    dialog->setTextValue(request.Initial);
    dialog->setTextEchoMode(QLineEdit::Normal);
    DescribeTextDialog(*dialog);
    return dialog;
}

TMessageBoxes& MessageBoxes() {
    return *BoxesStore();
}

std::unique_ptr<TMessageBoxes> SetMessageBoxes(std::unique_ptr<TMessageBoxes> boxes) {
    std::swap(BoxesStore(), boxes);
    return boxes;
}

TFileDialogs& FileDialogs() {
    return *DialogsStore();
}

std::unique_ptr<TFileDialogs> SetFileDialogs(std::unique_ptr<TFileDialogs> dialogs) {
    std::swap(DialogsStore(), dialogs);
    return dialogs;
}

void ShowMessage(const QString& text) {
    MessageBoxes().Show({ApplicationTitle(), text, TMsgIcon::mbiNone});
}

void ShowErrorBox(const QString& message) {
    MessageBoxes().Show({ApplicationTitle(), message + QLatin1Char('.'), TMsgIcon::mbiError});
}

void ShowMessageBox(const QString& text, const QString& title, TMsgIcon icon) {
    MessageBoxes().Show({title, text, icon});
}

QStringList TOpenDialog::ToolkitFilters() const {
    // "Quake Pak Files (*.pak)|*.pak|All files (*.*) |*.*": the toolkit reads
    // patterns from the description's parentheses, so each pair becomes
    // "Description (patterns)" with the patterns the pair names.
    QStringList out;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        out << description + QStringLiteral(" (") + patterns.trimmed() + QLatin1Char(')');
    }
    return out;
}

bool TOpenDialog::Execute(QWidget* parent) {
    TOpenFileRequest request;
    request.Title =
        Title.isEmpty() ? QCoreApplication::translate("zorvak::TOpenDialog", "Open") : Title;
    request.Filters = ToolkitFilters();
    request.FilterIndex = FilterIndex - 1;
    request.InitialFile = FileName;
    request.DefaultSuffix = DefaultExt;
    const std::optional<QString> chosen = FileDialogs().GetOpenFileName(parent, request);
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}

bool Confirm(const QString& question) {
    return MessageBoxes().Confirm({ApplicationTitle(), question, TMsgIcon::mbiWarning});
}

std::optional<QString> AskText(const QString& title, const QString& label, const QString& initial) {
    return MessageBoxes().AskText({title, label, initial});
}

} // namespace zorvak
