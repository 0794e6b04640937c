// Recorders that tests put in place of the modal boxes and file dialogs.
#pragma once

#include "framework/ui/Dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace zorvak::test {

// The next of the queued answers, taken off the queue; none when none is
// left or the one taken is a cancel.
template <class T, class Cancels>
std::optional<T> NextAnswer(std::deque<T>& answers, Cancels cancels) {
    if (answers.empty())
        return std::nullopt;
    T answer = answers.front();
    answers.pop_front();
    if (cancels(answer))
        return std::nullopt;
    return answer;
}

inline std::optional<QString> NextAnswer(std::deque<QString>& answers) {
    return NextAnswer(answers, [](const QString& answer) { return answer.isNull(); });
}

class TMessageRecorder : public TMessageBoxes {
public:
    void Show(const TMessage& message) override {
        Messages.push_back(message);
        if (OnShow)
            OnShow(message);
    }
    bool Confirm(const TMessage& question) override {
        Questions.push_back(question);
        return NextAnswer(Confirms, [](bool) { return false; }).value_or(false);
    }
    std::optional<QString> AskText(const TTextRequest& request) override {
        TextRequests.push_back(request);
        return NextAnswer(Texts);
    }
    std::vector<TMessage> Messages;
    std::function<void(const TMessage&)> OnShow;
    // Yes or No per question; none left is No.
    std::vector<TMessage> Questions;
    std::deque<bool> Confirms;
    // A text per request; a null QString (or none left) is a cancel.
    std::vector<TTextRequest> TextRequests;
    std::deque<QString> Texts;
};

class TFileDialogRecorder : public TFileDialogs {
public:
    std::optional<QString> GetOpenFileName(QWidget*, const TOpenFileRequest& request) override {
        Requests.push_back(request);
        return NextAnswer(Answers);
    }
    std::optional<QString> GetSaveFileName(QWidget*, const TSaveFileRequest& request) override {
        SaveRequests.push_back(request);
        return NextAnswer(SaveAnswers);
    }
    std::vector<TOpenFileRequest> Requests;
    // One answer per dialog shown; a null QString is a cancel.
    std::deque<QString> Answers;
    std::vector<TSaveFileRequest> SaveRequests;
    std::deque<QString> SaveAnswers;

    std::optional<QStringList> GetOpenFileNames(QWidget*,
                                                const TOpenFileRequest& request) override {
        Requests.push_back(request);
        return NextAnswer(ManyAnswers, [](const QStringList& answer) { return answer.isEmpty(); });
    }
    std::optional<QString> GetExistingDirectory(QWidget*, const QString& title,
                                                const QString& initial) override {
        FolderRequests.push_back({title, initial});
        return NextAnswer(FolderAnswers);
    }
    // Per several-files dialog: the files, empty for a cancel.
    std::deque<QStringList> ManyAnswers;
    // Per folder dialog: title and where it opened; the answers, null cancels.
    std::vector<std::pair<QString, QString>> FolderRequests;
    std::deque<QString> FolderAnswers;
};

// Puts both recorders in place for one test and restores the real seams.
class TRecordedDialogs {
public:
    TRecordedDialogs() {
        auto boxes = std::make_unique<TMessageRecorder>();
        Boxes = boxes.get();
        savedBoxes_ = SetMessageBoxes(std::move(boxes));
        auto files = std::make_unique<TFileDialogRecorder>();
        Files = files.get();
        savedFiles_ = SetFileDialogs(std::move(files));
    }
    ~TRecordedDialogs() {
        SetMessageBoxes(std::move(savedBoxes_));
        SetFileDialogs(std::move(savedFiles_));
    }
    TMessageRecorder* Boxes;
    TFileDialogRecorder* Files;

private:
    std::unique_ptr<TMessageBoxes> savedBoxes_;
    std::unique_ptr<TFileDialogs> savedFiles_;
};

} // namespace zorvak::test
