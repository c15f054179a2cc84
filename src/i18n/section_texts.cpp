#include "i18n/section_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

#include <functional>
#include <utility>

namespace zep4 {
namespace {

// Read and write access to the one text an entry sets; empty when the window has no such
// control (or no such item of it).
struct TextAccess {
    std::function<QString()> get;
    std::function<void(const QString&)> set;
    explicit operator bool() const { return bool(set); }
};

template <class T>
TextAccess member(T* object, QString (T::*get)() const, void (T::*set)(const QString&)) {
    return {[object, get] { return (object->*get)(); },
            [object, set](const QString& text) { (object->*set)(text); }};
}

QObject* findTarget(QWidget* window, const QString& name) {
    if (!window) return nullptr;
    if (name.isEmpty() || name == window->objectName()) return window;
    return window->findChild<QObject*>(name);
}

// The tab widget that shows `page` as one of its pages.
QTabWidget* tabWidgetOf(QWidget* page) {
    QWidget* stack = page->parentWidget();
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

TextAccess captionOf(QObject* o, QWidget* window) {
    if (o == window) return member<QWidget>(window, &QWidget::windowTitle, &QWidget::setWindowTitle);
    if (auto* a = qobject_cast<QAction*>(o)) return member(a, &QAction::text, &QAction::setText);
    if (auto* m = qobject_cast<QMenu*>(o)) return member(m, &QMenu::title, &QMenu::setTitle);
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return member(b, &QAbstractButton::text, &QAbstractButton::setText);
    if (auto* l = qobject_cast<QLabel*>(o)) return member(l, &QLabel::text, &QLabel::setText);
    if (auto* e = qobject_cast<QLineEdit*>(o)) return member(e, &QLineEdit::text, &QLineEdit::setText);
    if (auto* g = qobject_cast<QGroupBox*>(o)) return member(g, &QGroupBox::title, &QGroupBox::setTitle);
    auto* w = qobject_cast<QWidget*>(o);
    if (!w) return {};
    if (QTabWidget* tabs = tabWidgetOf(w))
        return {[tabs, w] { return tabs->tabText(tabs->indexOf(w)); },
                [tabs, w](const QString& t) { tabs->setTabText(tabs->indexOf(w), t); }};
    if (w->isWindow()) return member(w, &QWidget::windowTitle, &QWidget::setWindowTitle);
    return {};
}

TextAccess hintOf(QObject* o) {
    if (auto* a = qobject_cast<QAction*>(o)) return member(a, &QAction::toolTip, &QAction::setToolTip);
    if (auto* w = qobject_cast<QWidget*>(o)) return member(w, &QWidget::toolTip, &QWidget::setToolTip);
    return {};
}

TextAccess listItemOf(QObject* o, int index) {
    if (index < 0) return {};
    if (auto* c = qobject_cast<QComboBox*>(o)) {
        if (index >= c->count()) return {};
        return {[c, index] { return c->itemText(index); },
                [c, index](const QString& t) { c->setItemText(index, t); }};
    }
    if (auto* l = qobject_cast<QListWidget*>(o)) {
        QListWidgetItem* item = l->item(index);
        if (!item) return {};
        return {[item] { return item->text(); }, [item](const QString& t) { item->setText(t); }};
    }
    if (auto* g = qobject_cast<QGroupBox*>(o)) {
        const auto radios = g->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
        if (index >= radios.size()) return {};
        return member<QAbstractButton>(radios[index], &QAbstractButton::text, &QAbstractButton::setText);
    }
    return {};
}

TextAccess tabTextOf(QObject* o, int index) {
    if (index < 0) return {};
    if (auto* tabs = qobject_cast<QTabWidget*>(o)) {
        if (index >= tabs->count()) return {};
        return {[tabs, index] { return tabs->tabText(index); },
                [tabs, index](const QString& t) { tabs->setTabText(index, t); }};
    }
    if (auto* bar = qobject_cast<QTabBar*>(o)) {
        if (index >= bar->count()) return {};
        return {[bar, index] { return bar->tabText(index); },
                [bar, index](const QString& t) { bar->setTabText(index, t); }};
    }
    return {};
}

// Row 0 of a grid is its title row: the horizontal header while the table shows one, and
// the table's rows follow it; without a header the grid's rows are the table's rows.
TextAccess gridCellOf(QObject* o, int column, int row) {
    auto* t = qobject_cast<QTableWidget*>(o);
    if (!t || column < 0 || column >= t->columnCount() || row < 0) return {};
    const bool header = !t->horizontalHeader()->isHidden();
    if (header && row == 0)
        return {[t, column] { return t->model()->headerData(column, Qt::Horizontal).toString(); },
                [t, column](const QString& text) {
                    if (QTableWidgetItem* item = t->horizontalHeaderItem(column)) item->setText(text);
                    else t->setHorizontalHeaderItem(column, new QTableWidgetItem(text));
                }};
    const int r = header ? row - 1 : row;
    if (r >= t->rowCount()) return {};
    return {[t, column, r] {
                const QTableWidgetItem* item = t->item(r, column);
                return item ? item->text() : QString();
            },
            [t, column, r](const QString& text) {
                if (QTableWidgetItem* item = t->item(r, column)) item->setText(text);
                else t->setItem(r, column, new QTableWidgetItem(text));
            }};
}

TextAccess accessFor(QWidget* window, const TTextEntry& e) {
    QObject* o = findTarget(window, e.objectName);
    if (!o) return {};
    switch (e.target) {
    case TextTarget::Caption: return captionOf(o, window);
    case TextTarget::Hint: return hintOf(o);
    case TextTarget::ListItem: return listItemOf(o, e.index);
    case TextTarget::TabText: return tabTextOf(o, e.index);
    case TextTarget::GridCell: return gridCellOf(o, e.index, e.index2);
    case TextTarget::Message: return {};
    }
    return {};
}

}  // namespace

TSectionTexts::TSectionTexts(QString section, std::vector<TTextEntry> table)
    : section_(std::move(section)), table_(std::move(table)), builtins_(table_.size()) {}

void TSectionTexts::apply(QWidget* window, const TLanguageTexts& texts) {
    const auto found = texts.Sections.find(section_.toStdString());
    lines_ = found != texts.Sections.end() ? found->second : std::vector<std::string>{};

    // Record every built-in text before setting any, so that entries sharing a control
    // all keep the text the window was built with.
    std::vector<TextAccess> access(table_.size());
    for (size_t i = 0; i < table_.size(); ++i) {
        access[i] = accessFor(window, table_[i]);
        if (access[i] && !builtins_[i]) builtins_[i] = access[i].get();
    }
    for (size_t i = 0; i < table_.size(); ++i) {
        if (!access[i]) continue;
        const int n = table_[i].line;
        const bool provided = n >= 1 && static_cast<size_t>(n) <= lines_.size();
        access[i].set(provided ? QString::fromUtf8(lines_[n - 1]) : *builtins_[i]);
    }
}

QString TSectionTexts::message(int line) const {
    if (line >= 1 && static_cast<size_t>(line) <= lines_.size())
        return QString::fromUtf8(lines_[line - 1]);
    for (const TTextEntry& e : table_)
        if (e.target == TextTarget::Message && e.line == line) return e.builtin;
    return {};
}

}  // namespace zep4
