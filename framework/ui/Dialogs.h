// Message boxes and file dialogs behind one seam each, so tests put a
// recorder in their place and never block on a modal window.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFileDialog;
class QInputDialog;
class QMessageBox;
class QWidget;

namespace zorvak {

enum class TMsgIcon { mbiNone, mbiError, mbiWarning, mbiInformation };

struct TMessage {
    QString Title;
    QString Text;
    TMsgIcon Icon = TMsgIcon::mbiNone;
};

struct TTextRequest {
    QString Title;
    QString Label;
    QString Initial;
};

// Shows a modal box: with one OK button; with Yes and No (true for Yes);
// with a line of text to type (nullopt when the user cancels).
class TMessageBoxes {
public:
    virtual ~TMessageBoxes() = default;
    virtual void Show(const TMessage& message) = 0;
    virtual bool Confirm(const TMessage& question) = 0;
    virtual std::optional<QString> AskText(const TTextRequest& request) = 0;
};

struct TOpenFileRequest {
    QString Title;
    QStringList Filters; // "Description (*.ext)" each
    int FilterIndex = 0;
    QString InitialFile;
    QString DefaultSuffix;
    QString Folder; // where the dialog opens; empty for the toolkit's choice
};

struct TSaveFileRequest {
    QString Title;
    QStringList Filters; // "Description (*.ext)" each
    int FilterIndex = 0;
    QString InitialFile; // a name, or a path whose directory the dialog opens in
    QString DefaultSuffix;
};

// Shows a modal open or save dialog; nullopt when the user cancels. A save
// dialog asks before it names a file that is there.
class TFileDialogs {
public:
    virtual ~TFileDialogs() = default;
    virtual std::optional<QString> GetOpenFileName(QWidget* parent,
                                                   const TOpenFileRequest& request) = 0;
    virtual std::optional<QString> GetSaveFileName(QWidget* parent,
                                                   const TSaveFileRequest& request) = 0;
    // Several existing files at once.
    virtual std::optional<QStringList> GetOpenFileNames(QWidget* parent,
                                                        const TOpenFileRequest& request) = 0;
    // An existing folder; initial is where the dialog opens.
    virtual std::optional<QString> GetExistingDirectory(QWidget* parent, const QString& title,
                                                        const QString& initial) = 0;
};

// The toolkit's open dialog for request, not yet shown: what the seam's own
// implementation shows. A typed name without an extension takes the default
// extension in the letter case of the file that is there (DefaultExtensionFor).
std::unique_ptr<QFileDialog> MakeOpenFileDialog(QWidget* parent, const TOpenFileRequest& request);

// The toolkit's boxes behind Confirm and AskText, not yet shown: a question
// answered Yes or No (No the default), and a line of text to type.
std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* parent, const TMessage& question);
std::unique_ptr<QInputDialog> MakeTextDialog(QWidget* parent, const TTextRequest& request);

// The seams; setting one returns the previous, to put back afterwards.
TMessageBoxes& MessageBoxes();
std::unique_ptr<TMessageBoxes> SetMessageBoxes(std::unique_ptr<TMessageBoxes> boxes);
TFileDialogs& FileDialogs();
std::unique_ptr<TFileDialogs> SetFileDialogs(std::unique_ptr<TFileDialogs> dialogs);

// A plain box titled with the application title.
void ShowMessage(const QString& text);
// The application's error box: error icon, the application title, text + ".".
void ShowErrorBox(const QString& message);
// A box with its own title and icon.
void ShowMessageBox(const QString& text, const QString& title, TMsgIcon icon);
// A question with Yes and No, titled with the application title.
bool Confirm(const QString& question);
// A line of text to type, titled title; nullopt when cancelled.
std::optional<QString> AskText(const QString& title, const QString& label, const QString& initial);

// A file-open dialog component: filter in "Description|pattern|..." pairs,
// a default extension added to a typed name without one, and the file chosen
// last offered again.
class TOpenDialog {
public:
    QString Filter;
    int FilterIndex = 1; // 1-based, as the filter pairs are counted
    QString DefaultExt;
    QString FileName;
    QString Title;

    bool Execute(QWidget* parent);
    // The filter as the toolkit takes it: one "Description (patterns)" each.
    QStringList ToolkitFilters() const;
};

} // namespace zorvak
