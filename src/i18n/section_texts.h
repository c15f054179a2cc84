// Applying one section of a language file to a window. Each window declares its section
// once, as a table from line number to the control (by objectName) and the property the line
// sets, or to a message text the window shows later; applying walks the table.
#pragma once

#include "i18n/language_file.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QObject;
class QWidget;

namespace zep4 {

enum class TextTarget {
    Caption,   // button, label, line edit text; group box or menu title; action text; the
               // tab text of a tab page; the title of a window
    Hint,      // tool tip of a widget or an action
    ListItem,  // item `index` of a combo box or list widget, or the index-th radio button
               // of a group box
    TabText,   // tab `index` of a tab widget or tab bar
    GridCell,  // table cell column `index`, row `index2` (row 0 is the horizontal header
               // while the table shows it; the rows below it are then the table's rows 0...)
    Message,   // a text the window uses itself, read with TSectionTexts::message()
};

struct TTextEntry {
    int line;            // 1-based line of the section
    QString objectName;  // empty (or the window's own name): the window itself
    TextTarget target;
    int index = 0;
    int index2 = 0;
    QString builtin;     // Message entries only: the text used when the language lacks the line
};

// One per window. Several entries may share one line; controls the window does not have
// are passed over. A line the texts do not provide gives the control its built-in text
// back: the text it had before the first apply that found it.
class TSectionTexts {
public:
    TSectionTexts(QString section, std::vector<TTextEntry> table);

    void apply(QWidget* window, const TLanguageTexts& texts);

    // The language's text of a line as of the last apply, else the built-in text of the
    // Message entry for that line (empty when there is none).
    QString message(int line) const;

    const QString& section() const { return section_; }
    const std::vector<TTextEntry>& table() const { return table_; }

private:
    QString section_;
    std::vector<TTextEntry> table_;
    std::vector<std::optional<QString>> builtins_;  // per entry, recorded when first found
    std::vector<std::string> lines_;                // the section's lines of the last apply
};

}  // namespace zep4
