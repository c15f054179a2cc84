// A stand-in for the user at the dialogs: answers from a script, records every question.
#pragma once

#include <deque>
#include <vector>

#include "ui/dialogs.h"

namespace zep4::test {

class TScriptedDialogs : public TDialogs {
public:
    struct Message {
        MessageType type;
        MessageButtons buttons;
        QString text;
    };

    // Answers for the next message dialogs, in order; with none left, the dialog gets the
    // first button of its set (OK or Yes).
    std::deque<MessageResult> answers;
    // Answers for the next file dialogs; with none left, the dialog is cancelled.
    std::deque<std::optional<FileDialogResult>> files;

    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileRequests;

    MessageResult message(QWidget*, MessageType type, MessageButtons buttons, const QString& text) override {
        messages.push_back({type, buttons, text});
        if (!answers.empty()) {
            MessageResult r = answers.front();
            answers.pop_front();
            return r;
        }
        return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Yes;
    }

    std::optional<FileDialogResult> file(QWidget*, const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        if (files.empty()) return std::nullopt;
        auto r = files.front();
        files.pop_front();
        return r;
    }

    void choose(const QString& path, int filterIndex = 1) { files.push_back(FileDialogResult{path, filterIndex}); }
};

}  // namespace zep4::test
