// The language texts in force, and the windows that take their captions from them.
#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <vector>

#include "i18n/language_file.h"
#include "i18n/section_texts.h"

class QWidget;

namespace zep4 {

class TDialogs;

class TLanguage : public QObject {
    Q_OBJECT
public:
    explicit TLanguage(TDialogs& dialogs);

    const TLanguageTexts& texts() const { return texts_; }

    // A window's section: applied now with the texts in force and again after every switch.
    void attach(QWidget* window, TSectionTexts& section);

    // Reads a language file and applies it to every attached window. A file that cannot be
    // read is reported with "Textfile not found!"; the texts in force stay.
    bool load(const std::filesystem::path& file, QWidget* parent);

    // The UTF-8 text of a line, or nullptr when the texts in force lack it.
    const std::string* line(std::string_view section, int n) const { return texts_.line(section, n); }

signals:
    void applied();

private:
    struct Attached {
        QPointer<QWidget> window;
        TSectionTexts* section;
    };
    TDialogs& dialogs_;
    TLanguageTexts texts_;
    std::vector<Attached> attached_;
};

}  // namespace zep4
