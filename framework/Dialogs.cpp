#include "framework/Dialogs.h"

#include "framework/Application.h"

#include <QApplication>
#include <QFileDialog>
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
};

class TQtFileDialogs : public TFileDialogs {
public:
    std::optional<QString> GetOpenFileName(QWidget* parent,
                                           const TOpenFileRequest& request) override {
        QFileDialog dialog(parent, request.Title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
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

} // namespace zorvak
