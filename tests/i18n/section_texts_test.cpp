#include "i18n/section_texts.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>

namespace zep4 {
namespace {

using Lines = std::vector<std::string>;

// A small window with one control of each kind a section addresses.
class SectionTextsTest : public ::testing::Test {
public:
    SectionTextsTest() {
        window.setObjectName("TTestForm");
        window.setWindowTitle("Built-in title");
        auto* layout = new QVBoxLayout(&window);

        auto* bar = new QMenuBar(&window);
        menu = bar->addMenu("File");
        menu->setObjectName("File1");
        open = menu->addAction("Open");
        open->setObjectName("Open1");

        button = named(new QPushButton("Go"), "FlatSpeedButton1");
        button->setToolTip("Go hint");
        label = named(new QLabel("Name"), "Label1");

        combo = named(new QComboBox, "FlatComboBox1");
        combo->addItems({"One", "Two", "Three"});

        list = named(new QListWidget, "ListBox2");
        list->addItems({"L0", "L1"});

        radios = named(new QGroupBox("Mode"), "RadioGroup1");
        auto* radioLayout = new QVBoxLayout(radios);
        for (const char* text : {"R0", "R1", "R2"}) radioLayout->addWidget(new QRadioButton(text));

        pages = named(new QTabWidget, "PageControl1");
        page1 = new QWidget;
        page1->setObjectName("TabSheet1");
        pages->addTab(page1, "Page 1");
        pages->addTab(new QWidget, "Page 2");

        tabBar = named(new QTabBar, "TabControl1");
        tabBar->addTab("T0");
        tabBar->addTab("T1");

        grid = named(new QTableWidget(2, 3), "StringGrid1");
        grid->setHorizontalHeaderLabels({"H0", "H1", "H2"});
        plainGrid = named(new QTableWidget(2, 2), "StringGrid2");
        plainGrid->horizontalHeader()->hide();

        for (QWidget* w : std::initializer_list<QWidget*>{button, label, combo, list, radios, pages,
                                                          tabBar, grid, plainGrid})
            layout->addWidget(w);
    }

    template <class W>
    W* named(W* w, const char* name) {
        w->setObjectName(name);
        return w;
    }

    QString radio(int i) const {
        return radios->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly)[i]->text();
    }

    QWidget window;
    QMenu* menu;
    QAction* open;
    QPushButton* button;
    QLabel* label;
    QComboBox* combo;
    QListWidget* list;
    QGroupBox* radios;
    QTabWidget* pages;
    QWidget* page1;
    QTabBar* tabBar;
    QTableWidget* grid;
    QTableWidget* plainGrid;
};

using T = TextTarget;

std::vector<TTextEntry> testTable() {
    return {
        {1, "", T::Caption},
        {2, "FlatSpeedButton1", T::Caption},
        {3, "FlatSpeedButton1", T::Hint},
        {4, "Label1", T::Caption},
        {5, "File1", T::Caption},
        {6, "Open1", T::Caption},
        {7, "Open1", T::Hint},
        {8, "FlatComboBox1", T::ListItem, 1},
        {9, "ListBox2", T::ListItem, 0},
        {10, "RadioGroup1", T::Caption},
        {11, "RadioGroup1", T::ListItem, 2},
        {12, "TabSheet1", T::Caption},
        {13, "PageControl1", T::TabText, 1},
        {14, "TabControl1", T::TabText, 0},
        {15, "StringGrid1", T::GridCell, 2, 0},
        {16, "StringGrid1", T::GridCell, 0, 1},
        {17, "StringGrid2", T::GridCell, 1, 0},
        {18, "", T::Message, 0, 0, "Built-in message"},
        {19, "Label1", T::Hint},  // line 19 also goes to the button's hint below
        {19, "FlatSpeedButton1", T::Hint},
        // Controls this window does not have, and items beyond a control's items.
        {20, "NoSuchControl", T::Caption},
        {20, "FlatComboBox1", T::ListItem, 7},
        {20, "StringGrid1", T::GridCell, 9, 0},
        {20, "StringGrid2", T::GridCell, 0, 5},
        {20, "PageControl1", T::TabText, 4},
        {20, "RadioGroup1", T::ListItem, 3},
    };
}

TLanguageTexts textsWith(const Lines& lines) {
    TLanguageTexts texts;
    texts.Sections["TEST"] = lines;
    return texts;
}

Lines fullLines() {
    Lines lines;
    for (int i = 1; i <= 20; ++i) lines.push_back("text" + std::to_string(i));
    return lines;
}

// What each line of testTable() shows on the window (the hint of line 3 is overwritten by
// line 19, which shares the button's hint).
std::vector<std::pair<const char*, std::function<QString()>>> shown(SectionTextsTest& t) {
    return {
        {"caption", [&] { return t.window.windowTitle(); }},
        {"button", [&] { return t.button->text(); }},
        {"label", [&] { return t.label->text(); }},
        {"menu", [&] { return t.menu->title(); }},
        {"action", [&] { return t.open->text(); }},
        {"action hint", [&] { return t.open->toolTip(); }},
        {"combo item", [&] { return t.combo->itemText(1); }},
        {"list item", [&] { return t.list->item(0)->text(); }},
        {"group title", [&] { return t.radios->title(); }},
        {"radio", [&] { return t.radio(2); }},
        {"page caption", [&] { return t.pages->tabText(0); }},
        {"tab widget tab", [&] { return t.pages->tabText(1); }},
        {"tab bar tab", [&] { return t.tabBar->tabText(0); }},
        {"grid header", [&] { return t.grid->horizontalHeaderItem(2)->text(); }},
        {"grid cell", [&] { return t.grid->item(0, 0) ? t.grid->item(0, 0)->text() : QString(); }},
        {"headerless grid cell",
         [&] { return t.plainGrid->item(0, 1) ? t.plainGrid->item(0, 1)->text() : QString(); }},
        {"label hint", [&] { return t.label->toolTip(); }},
        {"button hint", [&] { return t.button->toolTip(); }},
    };
}

const QStringList kBuiltIn = {"Built-in title", "Go", "Name", "File", "Open", "Open", "Two", "L0",
                              "Mode", "R2", "Page 1", "Page 2", "T0", "H2", "", "", "", "Go hint"};
const QStringList kLanguage = {"text1", "text2", "text4", "text5", "text6", "text7", "text8", "text9",
                               "text10", "text11", "text12", "text13", "text14", "text15", "text16",
                               "text17", "text19", "text19"};

void expectShown(SectionTextsTest& t, const QStringList& expected) {
    const auto views = shown(t);
    ASSERT_EQ(views.size(), static_cast<size_t>(expected.size()));
    for (size_t i = 0; i < views.size(); ++i)
        EXPECT_EQ(views[i].second(), expected[static_cast<int>(i)]) << views[i].first;
}

TEST_F(SectionTextsTest, AppliesEveryKindOfTarget) {
    TSectionTexts section("TEST", testTable());
    section.apply(&window, textsWith(fullLines()));
    expectShown(*this, kLanguage);
    // Nothing was added for the entries that name no existing control or item.
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(plainGrid->rowCount(), 2);
    EXPECT_EQ(pages->count(), 2);
}

TEST_F(SectionTextsTest, LinesNotProvidedGetTheBuiltInTextBack) {
    TSectionTexts section("TEST", testTable());
    section.apply(&window, textsWith(fullLines()));

    // A short section: lines 1 and 2 from the language, the rest built in again.
    section.apply(&window, textsWith({"short1", "short2"}));
    QStringList expected = kBuiltIn;
    expected[0] = "short1";
    expected[1] = "short2";
    expectShown(*this, expected);

    // No section at all, then a full one again.
    section.apply(&window, TLanguageTexts{});
    expectShown(*this, kBuiltIn);
    section.apply(&window, textsWith(fullLines()));
    expectShown(*this, kLanguage);
}

TEST_F(SectionTextsTest, WindowFoundByItsOwnName) {
    TSectionTexts section("TEST", {{1, "TTestForm", T::Caption}});
    section.apply(&window, textsWith({"Fenster"}));
    EXPECT_EQ(window.windowTitle(), "Fenster");
}

TEST_F(SectionTextsTest, TextsAreUtf8) {
    TSectionTexts section("TEST", {{1, "Label1", T::Caption}});
    section.apply(&window, textsWith({"Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC"}));
    EXPECT_EQ(label->text(), QString::fromUtf8(u8"Größe €"));
}

TEST_F(SectionTextsTest, MessagesFollowTheLastApply) {
    TSectionTexts section("TEST", testTable());
    EXPECT_EQ(section.message(18), "Built-in message");
    section.apply(&window, textsWith(fullLines()));
    EXPECT_EQ(section.message(18), "text18");
    EXPECT_EQ(section.message(4), "text4");  // any provided line can be read
    section.apply(&window, textsWith({"only one"}));
    EXPECT_EQ(section.message(18), "Built-in message");
    EXPECT_EQ(section.message(30), "");
    EXPECT_EQ(section.section(), "TEST");
}

TEST(SectionTextsNoWindow, MessagesWithoutAWindow) {
    TSectionTexts section("TEST", {{2, "", T::Message, 0, 0, "fallback"}, {1, "Label1", T::Caption}});
    section.apply(nullptr, textsWith({"a", "b"}));
    EXPECT_EQ(section.message(2), "b");
}

}  // namespace
}  // namespace zep4
