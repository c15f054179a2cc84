#include "ui/language.h"

#include <QWidget>

#include "ui/dialogs.h"

namespace zep4 {

TLanguage::TLanguage(TDialogs& dialogs) : dialogs_(dialogs) {}

void TLanguage::attach(QWidget* window, TSectionTexts& section) {
    attached_.push_back({window, &section});
    section.apply(window, texts_);
}

bool TLanguage::load(const std::filesystem::path& file, QWidget* parent) {
    auto loaded = LoadLanguageFile(file);
    if (!loaded) {
        dialogs_.message(parent, MessageType::Warning, MessageButtons::Ok, QStringLiteral("Textfile not found!"));
        return false;
    }
    texts_ = std::move(*loaded);
    for (auto& a : attached_)
        if (a.window) a.section->apply(a.window, texts_);
    emit applied();
    return true;
}

}  // namespace zep4
