// TInitForm: the start-up steps, done while it is created and before the main window shows.
// It is never shown itself.
#pragma once

#include <QObject>
#include <filesystem>

namespace zep4 {

class TForm1;
class TDialogs;
class TLanguage;

class TInitForm : public QObject {
    Q_OBJECT
public:
    // Records the start directory, resets the setup, reads Language.ini and the language file
    // it names, and resets again so that the default camera names use the language's word.
    TInitForm(TForm1& mainWindow, TLanguage& language, TDialogs& dialogs, const std::filesystem::path& startDirectory);
};

}  // namespace zep4
