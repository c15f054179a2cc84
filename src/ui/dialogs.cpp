#include "ui/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace zep4 {

MessageResult TQtDialogs::message(QWidget* parent, MessageType type, MessageButtons buttons, const QString& text) {
    QMessageBox box(parent);
    box.setWindowTitle(QApplication::applicationName());
    box.setText(text);
    switch (type) {
    case MessageType::Information: box.setIcon(QMessageBox::Information); break;
    case MessageType::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageType::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageType::Confirmation: box.setIcon(QMessageBox::Question); break;
    case MessageType::Plain: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesAbort: box.setStandardButtons(QMessageBox::Yes | QMessageBox::Abort); break;
    case MessageButtons::YesCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel); break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageResult::Yes;
    case QMessageBox::No: return MessageResult::No;
    case QMessageBox::Abort: return MessageResult::Abort;
    case QMessageBox::Cancel: return MessageResult::Cancel;
    case QMessageBox::Ok: return MessageResult::Ok;
    default:
        // Closing the box with Esc or its close button counts as the safe answer.
        return buttons == MessageButtons::Ok ? MessageResult::Ok
               : buttons == MessageButtons::YesNo ? MessageResult::No
               : buttons == MessageButtons::YesAbort ? MessageResult::Abort
                                                     : MessageResult::Cancel;
    }
}

std::optional<FileDialogResult> TQtDialogs::file(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, request.initialDirectory);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 1 && request.filterIndex <= request.filters.size())
        dialog.selectNameFilter(request.filters.at(request.filterIndex - 1));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    FileDialogResult result;
    result.path = dialog.selectedFiles().first();
    result.filterIndex = static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (result.filterIndex < 1) result.filterIndex = request.filterIndex;
    return result;
}

}  // namespace zep4
