// Recorders that tests put in place of the modal boxes and file dialogs.
#pragma once

#include "framework/ui/Dialogs.h"

#include <deque>
#include <functional>
#include <vector>

namespace zorvak::test {

class TMessageRecorder : public TMessageBoxes {
public:
    void Show(const TMessage& message) override {
        Messages.push_back(message);
        if (OnShow)
            OnShow(message);
    }
    bool Confirm(const TMessage& question) override {
        Questions.push_back(question);
        if (Confirms.empty())
            return false;
        const bool yes = Confirms.front();
        Confirms.pop_front();
        return yes;
    }
    std::optional<QString> AskText(const TTextRequest& request) override {
        TextRequests.push_back(request);
        if (Texts.empty())
            return std::nullopt;
        const QString text = Texts.front();
        Texts.pop_front();
        if (text.isNull())
            return std::nullopt;
        return text;
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
        if (Answers.empty())
            return std::nullopt;
        const QString answer = Answers.front();
        Answers.pop_front();
        if (answer.isNull())
            return std::nullopt;
        return answer;
    }
    std::optional<QString> GetSaveFileName(QWidget*, const TSaveFileRequest& request) override {
        SaveRequests.push_back(request);
        if (SaveAnswers.empty() || SaveAnswers.front().isNull()) {
            if (!SaveAnswers.empty())
                SaveAnswers.pop_front();
            return std::nullopt;
        }
        const QString answer = SaveAnswers.front();
        SaveAnswers.pop_front();
        return answer;
    }
    std::vector<TOpenFileRequest> Requests;
    // One answer per dialog shown; a null QString is a cancel.
    std::deque<QString> Answers;
    std::vector<TSaveFileRequest> SaveRequests;
    std::deque<QString> SaveAnswers;

    std::optional<QStringList> GetOpenFileNames(QWidget*,
                                                const TOpenFileRequest& request) override {
        Requests.push_back(request);
        if (ManyAnswers.empty())
            return std::nullopt;
        const QStringList answer = ManyAnswers.front();
        ManyAnswers.pop_front();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
    std::optional<QString> GetExistingDirectory(QWidget*, const QString& title,
                                                const QString& initial) override {
        FolderRequests.push_back({title, initial});
        if (FolderAnswers.empty())
            return std::nullopt;
        const QString answer = FolderAnswers.front();
        FolderAnswers.pop_front();
        if (answer.isNull())
            return std::nullopt;
        return answer;
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
