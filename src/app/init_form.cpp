#include "app/init_form.h"

#include <QAction>

#include "ui/language.h"
#include "app/main_window.h"
#include "setup/file_io.h"
#include "ui/dialogs.h"

namespace zep4 {

TInitForm::TInitForm(TForm1& mainWindow, TLanguage& language, TDialogs& dialogs,
                     const std::filesystem::path& startDirectory)
    : QObject(&mainWindow) {
    setObjectName(QStringLiteral("InitForm"));
    mainWindow.store().StartDirectory = startDirectory.string();
    mainWindow.ResetSetup();
    if (QAction* timeZones = mainWindow.menuAction(QStringLiteral("MenuEditTimeZones"))) timeZones->setChecked(false);

    std::vector<uint8_t> ini;
    std::string why;
    if (!ReadWholeFile(startDirectory / std::string(kLanguageIniName), ini, why)) {
        dialogs.message(&mainWindow, MessageType::Warning, MessageButtons::Ok,
                        QStringLiteral("File 'Language.ini' not found!"));
    } else {
        const auto name = ParseLanguageIni(std::string_view(reinterpret_cast<const char*>(ini.data()), ini.size()));
        if (name)
            language.load(ResolveLanguageName(startDirectory, *name), &mainWindow);
        else
            dialogs.message(&mainWindow, MessageType::Warning, MessageButtons::Ok, QStringLiteral("Textfile not found!"));
    }
    mainWindow.ResetSetup();
}

}  // namespace zep4
