#include "framework/ui/Dialogs.h"

#include "framework/ui/Application.h"
#include "framework/ui/Platform.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

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
        QMessageBox box(QMessageBox::Question, question.Title, question.Text,
                        QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
    std::optional<QString> AskText(const TTextRequest& request) override {
        bool ok = false;
        const QString text =
            QInputDialog::getText(QApplication::activeWindow(), request.Title, request.Label,
                                  QLineEdit::Normal, request.Initial, &ok);
        if (!ok)
            return std::nullopt;
        return text;
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
    request.Title = Title.isEmpty() ? QStringLiteral("Open") : Title;
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
