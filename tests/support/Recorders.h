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
    std::vector<TMessage> Messages;
    std::function<void(const TMessage&)> OnShow;
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
