// The one door through which windows and procedures ask the user something: message dialogs
// and file dialogs. The program answers with QMessageBox and QFileDialog; tests put a scripted
// answerer in its place, so that nothing ever waits for a person.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace zep4 {

enum class MessageType { Information, Warning, Error, Confirmation, Plain };
enum class MessageButtons { Ok, YesNo, YesAbort, YesCancel };
enum class MessageResult { Ok, Yes, No, Abort, Cancel };

struct FileDialogRequest {
    bool save = false;
    QString title;
    QStringList filters;      // e.g. "ZEP (*.zep)"
    int filterIndex = 1;      // 1-based, preselected filter
    QString defaultSuffix;    // without the dot
    QString initialDirectory;
    bool overwritePrompt = true;
    bool fileMustExist = false;
};

struct FileDialogResult {
    QString path;
    int filterIndex = 1;  // 1-based, the filter the user left selected
};

class TDialogs {
public:
    virtual ~TDialogs() = default;
    virtual MessageResult message(QWidget* parent, MessageType type, MessageButtons buttons, const QString& text) = 0;
    // nullopt when the user cancels.
    virtual std::optional<FileDialogResult> file(QWidget* parent, const FileDialogRequest& request) = 0;
};

class TQtDialogs : public TDialogs {
public:
    MessageResult message(QWidget* parent, MessageType type, MessageButtons buttons, const QString& text) override;
    std::optional<FileDialogResult> file(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace zep4
