// Creates every window once, in the program's fixed order, and hands each the references it
// needs. Windows never reach each other through ownership chains.
#pragma once

#include <filesystem>
#include <memory>

namespace zep4 {

class TDialogs;
class TDrawForm;
class TForm1;
class TInitForm;
class TLanguage;
class TNetForm;
class TReceiveForm;
class TSendForm;

class TAppContext {
public:
    TAppContext(TDialogs& dialogs, const std::filesystem::path& startDirectory);
    ~TAppContext();

    TForm1& mainWindow() { return *form1_; }
    TLanguage& language() { return *language_; }
    TDialogs& dialogs() { return dialogs_; }
    TNetForm& netForm() { return *netForm_; }
    TSendForm& sendForm() { return *sendForm_; }
    TReceiveForm& receiveForm() { return *receiveForm_; }
    TDrawForm& drawForm() { return *drawForm_; }

private:
    TDialogs& dialogs_;
    std::unique_ptr<TLanguage> language_;
    std::unique_ptr<TForm1> form1_;
    TSendForm* sendForm_ = nullptr;     // these are owned by the main window
    TReceiveForm* receiveForm_ = nullptr;
    TNetForm* netForm_ = nullptr;
    TDrawForm* drawForm_ = nullptr;  // owned by the main window's document area
    TInitForm* initForm_ = nullptr;  // owned by the main window
};

}  // namespace zep4
