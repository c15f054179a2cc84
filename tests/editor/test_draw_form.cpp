// The area editor window, offscreen: the drawing tools driven with mouse events on PaintBox1,
// the polygon hold timer, Esc, the drop-down lists, "Set all" and "Delete" with their
// confirmations, the overlay's paint pass and the language section; the object segment and the
// perspective rectangles with their handles, the three parameter pages and the undo history.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <array>
#include <cstring>
#include <functional>
#include <memory>

#include "editor/draw_form.h"
#include "named_child.h"
#include "ui/gfader.h"
#include "editor/perspective.h"
#include "editor/stretch_handle.h"
#include "editor_fixture.h"
#include "scripted_dialogs.h"
#include "setup/setup_defaults.h"
#include "test_support.h"
#include "ui/language.h"
#include "ui/picture_qt.h"

using namespace zep4;
using test::Block;
using test::CellSet;
using test::SameCells;
using test::SetCellsOf;

namespace {

QPoint cellPoint(int column, int row) { return {CellSampleX(column), CellSampleY(row)}; }

class DrawFormTest : public ::testing::Test {
protected:
    test::TScriptedDialogs dialogs;
    TLanguage language{dialogs};
    std::unique_ptr<TSetupStore> owned = std::make_unique<TSetupStore>();
    TSetupStore& store = *owned;
    std::unique_ptr<TDrawForm> form;

    void SetUp() override {
        ResetSetupRecords(store, "Kamera");
        form = std::make_unique<TDrawForm>(store, dialogs, language);
        form->ResetEditor();
        form->show();
        // Esc is taken while the focus is inside the window, as when the user works in it.
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        paintBox()->setFocus();
    }

    template <typename T = QWidget>
    T* child(const char* name) {
        return test::namedChild<T>(form.get(), name);
    }
    QWidget* paintBox() { return child("PaintBox1"); }
    void click(const char* name) { QTest::mouseClick(child<QToolButton>(name), Qt::LeftButton); }

    void clearAllAreas() {
        for (TAreaSetup& a : store.currentCamera().Areas) {
            a.Cells = {};
            a.CellCount = a.MaxCells = a.MinCells = 0;
        }
    }
    TAreaSetup& area(int n) { return store.currentCamera().Areas[n]; }

    void press(Qt::MouseButton button, QPoint at) { QTest::mousePress(paintBox(), button, {}, at); }
    void release(Qt::MouseButton button, QPoint at) { QTest::mouseRelease(paintBox(), button, {}, at); }
    // A move with whatever buttons QTest holds down.
    void drag(QPoint to) { QTest::mouseMove(paintBox(), to); }
    // A move with no button held (the polygon's rubber band between clicks).
    void hover(QPoint to) {
        QMouseEvent event(QEvent::MouseMove, QPointF(to), paintBox()->mapToGlobal(QPointF(to)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(paintBox(), &event);
    }
    void rectangleGesture(Qt::MouseButton button, QPoint from, QPoint to) {
        press(button, from);
        drag(to);
        release(button, to);
    }
    void clickVertex(Qt::MouseButton button, QPoint at) {
        press(button, at);
        release(button, at);
    }
    void chooseItem(const char* listName, int row) {
        auto* list = child<QListWidget>(listName);
        ASSERT_TRUE(list->isVisible()) << listName;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    QRgb overlayPixel(const QImage& shot, int x, int y) {
        const QPoint at = paintBox()->mapTo(form.get(), QPoint(x, y));
        return shot.pixel(at) & 0xFFFFFF;
    }
};

// ---------------------------------------------------------------------------------------------
// Rectangle tool

TEST_F(DrawFormTest, RectangleToolSetsTheCellsBetweenPressAndRelease) {
    struct Case {
        const char* name;
        QPoint from, to;
        CellSet expected;
    };
    const Case cases[] = {
        {"click without drag", cellPoint(10, 20), cellPoint(10, 20), Block(10, 10, 20, 20)},
        {"rightward and downward", cellPoint(5, 3), cellPoint(10, 6), Block(5, 10, 3, 6)},
        // Dragged leftward or upward, the column or row where the drag began is left out.
        {"leftward", cellPoint(10, 3), cellPoint(5, 3), Block(5, 9, 3, 3)},
        {"upward", cellPoint(7, 12), cellPoint(7, 8), Block(7, 7, 8, 11)},
        {"released outside the picture", cellPoint(85, 68), QPoint(900, 700), Block(85, 89, 68, 71)},
    };
    click("FlatSpeedButton7");
    ASSERT_EQ(form->tool(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearAllAreas();
        rectangleGesture(Qt::LeftButton, c.from, c.to);
        EXPECT_TRUE(SameCells(SetCellsOf(area(0).Cells), c.expected));
        EXPECT_EQ(area(0).CellCount, int(c.expected.size()));
        EXPECT_FALSE(form->mouseIsDown());
    }
}

TEST_F(DrawFormTest, RectangleDrawsAroundOtherAreasAndTheRightButtonErasesOnlyTheCurrentArea) {
    clearAllAreas();
    for (const auto& [c, r] : Block(4, 6, 4, 6)) area(1).Cells.at(r, c) = 1;
    click("FlatSpeedButton7");

    rectangleGesture(Qt::LeftButton, cellPoint(2, 2), cellPoint(8, 8));
    CellSet expected = Block(2, 8, 2, 8);
    for (const auto& cell : Block(4, 6, 4, 6)) expected.erase(cell);
    EXPECT_TRUE(SameCells(SetCellsOf(area(0).Cells), expected));

    // While the right button is held the rubber band is black and erasing is chosen.
    press(Qt::RightButton, cellPoint(3, 3));
    drag(cellPoint(7, 7));
    EXPECT_TRUE(form->mouseIsDown());
    EXPECT_EQ(form->drawValue(), 0);
    EXPECT_EQ(form->drawColour(), QColor(Qt::black));
    EXPECT_EQ(form->dragRect(), (TDragRect{CellOriginX(3), CellOriginY(3), CellOriginX(8), CellOriginY(8)}));
    release(Qt::RightButton, cellPoint(7, 7));

    CellSet left = Block(2, 8, 2, 8);
    for (const auto& cell : Block(3, 7, 3, 7)) left.erase(cell);
    EXPECT_TRUE(SameCells(SetCellsOf(area(0).Cells), left));
    EXPECT_TRUE(SameCells(SetCellsOf(area(1).Cells), Block(4, 6, 4, 6)));
}

TEST_F(DrawFormTest, WithoutAToolThePictureChangesNoCells) {
    clearAllAreas();
    ASSERT_EQ(form->tool(), -1);
    rectangleGesture(Qt::LeftButton, cellPoint(1, 1), cellPoint(9, 9));
    EXPECT_TRUE(SetCellsOf(area(0).Cells).empty());
}

// ---------------------------------------------------------------------------------------------
// Polygon tool

TEST_F(DrawFormTest, PolygonClosesWhenTheHoldTimerFiresAndItsOwnMaskDecidesTheCells) {
    const std::vector<TPixelPoint> vertices = {{100, 100}, {300, 120}, {260, 300}, {120, 260}};
    const CellSet inside = SetCellsOf(PolygonCells(vertices));
    ASSERT_FALSE(inside.empty());

    struct Case {
        const char* name;
        Qt::MouseButton button;
        QColor picture;     // the camera picture under the polygon
        bool areaFull;      // the area is set everywhere before the polygon
    };
    const Case cases[] = {
        {"drawing on a black picture", Qt::LeftButton, Qt::black, false},
        // A picture pixel of the draw colour outside the polygon does not join the area.
        {"drawing on a red picture", Qt::LeftButton, Qt::red, false},
        // Erasing on the (default) black picture clears the polygon's cells only.
        {"erasing on a black picture", Qt::RightButton, Qt::black, true},
    };
    click("FlatSpeedButton8");
    ASSERT_EQ(form->tool(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearAllAreas();
        if (c.areaFull) SetAllCells(store);
        QImage picture(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
        picture.fill(c.picture);
        form->setPicture(picture);

        for (size_t i = 0; i + 1 < vertices.size(); ++i) {
            clickVertex(c.button, QPoint(vertices[i].x, vertices[i].y));
            hover(QPoint(vertices[i + 1].x, vertices[i + 1].y));
        }
        // The last vertex: the button stays down until the hold timer fires.
        press(c.button, QPoint(vertices.back().x, vertices.back().y));
        EXPECT_TRUE(form->Timer1.isActive());
        EXPECT_EQ(form->pointCount(), int(vertices.size()));
        form->Timer1Timer();
        release(c.button, QPoint(vertices.back().x, vertices.back().y));

        CellSet expected = inside;
        if (c.areaFull) {
            expected = Block(0, kCellColumns - 1, 0, kCellRows - 1);
            for (const auto& cell : inside) expected.erase(cell);
        }
        EXPECT_TRUE(SameCells(SetCellsOf(area(0).Cells), expected));
        EXPECT_EQ(form->pointCount(), 0);
        EXPECT_FALSE(form->mouseIsDown());
        EXPECT_FALSE(form->Timer1.isActive());
    }
}

TEST_F(DrawFormTest, ReleasingEarlyStopsTheHoldTimerAndAHoldOnTheFirstVertexClosesNothing) {
    clearAllAreas();
    click("FlatSpeedButton8");
    press(Qt::LeftButton, QPoint(50, 50));
    EXPECT_TRUE(form->Timer1.isActive());
    release(Qt::LeftButton, QPoint(50, 50));
    EXPECT_FALSE(form->Timer1.isActive());
    // The polygon stays open and the rubber band follows the pointer.
    EXPECT_TRUE(form->mouseIsDown());
    hover(QPoint(80, 90));
    ASSERT_EQ(form->polygonPoints().size(), 2u);
    EXPECT_EQ(form->polygonPoints()[1], (TPixelPoint{80, 90}));

    form->Timer1Timer();  // one vertex: the close request is dropped
    EXPECT_TRUE(SetCellsOf(area(0).Cells).empty());
    EXPECT_EQ(form->pointCount(), 1);
    EXPECT_FALSE(form->closeRequested());
}

TEST_F(DrawFormTest, ChoosingTheRectangleToolDropsAnOpenPolygon) {
    clearAllAreas();
    click("FlatSpeedButton8");
    clickVertex(Qt::LeftButton, QPoint(50, 50));
    clickVertex(Qt::LeftButton, QPoint(150, 50));
    click("FlatSpeedButton7");
    EXPECT_EQ(form->tool(), 0);
    EXPECT_FALSE(child<QToolButton>("FlatSpeedButton8")->isChecked());
    EXPECT_EQ(form->pointCount(), 0);
    form->Timer1Timer();
    EXPECT_TRUE(SetCellsOf(area(0).Cells).empty());
}

// ---------------------------------------------------------------------------------------------
// Esc

TEST_F(DrawFormTest, EscDropsTheGestureInProgressAndTheNextReleaseEndsTheCancel) {
    clearAllAreas();
    click("FlatSpeedButton7");
    press(Qt::LeftButton, cellPoint(2, 2));
    drag(cellPoint(6, 6));
    QTest::keyClick(paintBox(), Qt::Key_Escape);
    EXPECT_TRUE(form->escCancelled());
    drag(cellPoint(9, 9));  // ignored while cancelled
    EXPECT_EQ(form->dragRect().right, CellOriginX(7));
    release(Qt::LeftButton, cellPoint(9, 9));
    EXPECT_FALSE(form->escCancelled());
    EXPECT_FALSE(form->mouseIsDown());
    EXPECT_TRUE(SetCellsOf(area(0).Cells).empty());

    // The tool works again with the next gesture.
    rectangleGesture(Qt::LeftButton, cellPoint(1, 1), cellPoint(1, 1));
    EXPECT_TRUE(SameCells(SetCellsOf(area(0).Cells), Block(1, 1, 1, 1)));
}

TEST_F(DrawFormTest, EscEndsAnOpenPolygonAndClosesTheListsFromAnyControl) {
    clearAllAreas();
    click("FlatSpeedButton8");
    clickVertex(Qt::LeftButton, QPoint(50, 50));
    press(Qt::LeftButton, QPoint(250, 60));
    click("FlatSpeedButton1");
    ASSERT_TRUE(child("ListBox1")->isVisible());
    QTest::keyClick(child("ListBox1"), Qt::Key_Escape);
    EXPECT_FALSE(child("ListBox1")->isVisible());
    EXPECT_EQ(form->pointCount(), 0);
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_FALSE(form->Timer4.isActive());
    form->Timer1Timer();
    EXPECT_TRUE(SetCellsOf(area(0).Cells).empty());
}

// ---------------------------------------------------------------------------------------------
// Selection

TEST_F(DrawFormTest, TheListsAndTheAreaButtonsChangeTheSelection) {
    click("FlatSpeedButton1");
    EXPECT_TRUE(form->Timer4.isActive());
    chooseItem("ListBox1", 2);
    EXPECT_EQ(store.CurrentCamera, 2);
    EXPECT_FALSE(child("ListBox1")->isVisible());
    EXPECT_EQ(child<QToolButton>("FlatSpeedButton1")->text(), "3.Kamera 3");

    click("FlatSpeedButton15");
    chooseItem("ListBox2", 3);
    EXPECT_EQ(store.CurrentTimeZone, 3);
    EXPECT_FALSE(child("ListBox2")->isVisible());
    EXPECT_EQ(child<QToolButton>("FlatSpeedButton15")->text(), "Timezone 4");

    const QColor colours[] = {Qt::red, QColor(0, 255, 0), Qt::blue, Qt::yellow};
    for (int a : {2, 1, 3, 0}) {
        click("FlatSpeedButton25");
        ASSERT_TRUE(child("AreaPanel")->isVisible());
        click(QStringLiteral("FlatSpeedButton%1").arg(a + 2).toLatin1().constData());
        EXPECT_EQ(store.CurrentArea, a);
        EXPECT_EQ(form->areaColour(), colours[a]);
        EXPECT_FALSE(child("AreaPanel")->isVisible()) << "the panel closes after a choice";
    }
}

TEST_F(DrawFormTest, ChoosingACameraShowsItsPictureAndPlainRefreshKeepsThePicture) {
    store.CameraPicture[1] = TPicture::Filled(kPictureWidth, kPictureHeight, 10, 200, 30);
    click("FlatSpeedButton1");
    chooseItem("ListBox1", 1);
    EXPECT_EQ(form->picture().pixel(100, 100) & 0xFFFFFF, 0x0AC81Eu);
    EXPECT_EQ(form->picture().size(), QSize(kPictureWidth, kPictureHeight));
}

TEST_F(DrawFormTest, DropDownListsCloseByTimerByEscAndWhenAnotherOpens) {
    QWidget* cameras = child("ListBox1");
    QWidget* zones = child("ListBox2");
    QWidget* modes = child("ListBox3");

    click("FlatSpeedButton1");
    EXPECT_TRUE(cameras->isVisible());
    click("FlatSpeedButton15");
    EXPECT_FALSE(cameras->isVisible());
    EXPECT_TRUE(zones->isVisible());
    EXPECT_TRUE(zones->hasFocus());
    click("FlatSpeedButton6");
    EXPECT_FALSE(zones->isVisible());
    EXPECT_TRUE(modes->isVisible());
    form->Timer4Timer();
    EXPECT_FALSE(modes->isVisible());
    EXPECT_FALSE(form->Timer4.isActive());

    click("FlatSpeedButton1");
    click("FlatSpeedButton1");  // the button toggles its list
    EXPECT_FALSE(cameras->isVisible());
}

TEST_F(DrawFormTest, ModeListSetsTheFlagsAndThePageShownByCodeChangesNone) {
    click("FlatSpeedButton6");
    chooseItem("ListBox3", 1);
    EXPECT_EQ(area(0).ObjectDetection, 1);
    EXPECT_EQ(area(0).PerspectiveMode, 1);
    EXPECT_TRUE(form->perspectiveShown());
    EXPECT_EQ(child<QTabWidget>("PageControl1")->currentIndex(), 1);
    EXPECT_EQ(child<QToolButton>("FlatSpeedButton6")->text(), "Perspektive");

    // Flags the lists do not produce read as area mode; showing that page keeps them.
    area(0).ObjectDetection = 0;
    area(0).PerspectiveMode = 1;
    form->RefreshEditor();
    EXPECT_EQ(child<QTabWidget>("PageControl1")->currentIndex(), 2);
    EXPECT_EQ(area(0).PerspectiveMode, 1);
    EXPECT_FALSE(form->perspectiveShown());

    // The user's tab choice sets the flags of its mode.
    child<QTabWidget>("PageControl1")->setCurrentIndex(0);
    EXPECT_EQ(area(0).ObjectDetection, 1);
    EXPECT_EQ(area(0).PerspectiveMode, 0);
}

TEST_F(DrawFormTest, ChannelActiveIsStoredForTheCurrentCameraAndTimeZone) {
    auto* box = child<QCheckBox>("FlatCheckBox2");
    const bool before = store.camera(0, 0).ChannelActive != 0;
    EXPECT_EQ(box->isChecked(), before);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(store.camera(0, 0).ChannelActive != 0, !before);
    EXPECT_EQ(store.camera(1, 0).ChannelActive, store.camera(2, 0).ChannelActive);
}

// ---------------------------------------------------------------------------------------------
// Set all, Delete

TEST_F(DrawFormTest, SetAllAndDeleteActOnlyWhenConfirmed) {
    struct Case {
        const char* button;
        MessageResult answer;
        bool changes;
    };
    const Case cases[] = {{"FlatSpeedButton9", MessageResult::No, false},
                          {"FlatSpeedButton9", MessageResult::Yes, true},
                          {"FlatSpeedButton10", MessageResult::No, false},
                          {"FlatSpeedButton10", MessageResult::Yes, true}};
    store.CurrentArea = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + (c.answer == MessageResult::Yes ? " Yes" : " No"));
        const bool setAll = std::string(c.button) == "FlatSpeedButton9";
        clearAllAreas();
        for (const auto& [col, row] : Block(0, 9, 0, 9)) area(0).Cells.at(row, col) = 1;
        if (!setAll) SetAllCells(store);
        const CellSet before = SetCellsOf(area(1).Cells);
        dialogs.messages.clear();
        dialogs.answers = {c.answer};
        click(c.button);

        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].type, MessageType::Confirmation);
        EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(dialogs.messages[0].text, setAll ? form->SetAllPrompt() : form->DeleteAreaPrompt());
        CellSet expected = before;
        if (c.changes && setAll) {
            expected = Block(0, kCellColumns - 1, 0, kCellRows - 1);
            for (const auto& cell : Block(0, 9, 0, 9)) expected.erase(cell);
        }
        if (c.changes && !setAll) expected.clear();
        EXPECT_TRUE(SameCells(SetCellsOf(area(1).Cells), expected));
        EXPECT_EQ(area(1).CellCount, int(expected.size()));
        EXPECT_TRUE(SameCells(SetCellsOf(area(0).Cells), Block(0, 9, 0, 9))) << "the other area keeps its cells";
    }
}

TEST_F(DrawFormTest, AfterDeleteTheLimitsFollowAtTheNextRefreshWithoutATool) {
    area(0).MinCells = 40;
    area(0).MaxCells = 500;
    dialogs.answers = {MessageResult::Yes};
    click("FlatSpeedButton10");
    EXPECT_EQ(area(0).CellCount, 0);
    EXPECT_EQ(area(0).MaxCells, 0);
    EXPECT_EQ(area(0).MinCells, 0);
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(DrawFormTest, OverlayDrawsTheCellDotsByTheShowButtonsAndRecountsOnEveryPaint) {
    clearAllAreas();
    area(0).Cells.at(10, 10) = 1;  // current area, red
    area(2).Cells.at(20, 30) = 1;  // another area, blue
    area(0).CellCount = 77;        // stale
    // The dot's middle pixel: one right of and one below its box corner.
    const QPoint own(CellOriginX(10) + 3, TruncToInt(kCellHeight * 10 + 1) + 1);
    const QPoint other(CellOriginX(30) + 3, TruncToInt(kCellHeight * 20 + 1) + 1);

    struct Case {
        bool showAlarm, showAll;
        QRgb own, other;  // 0: the black picture shows
    };
    const Case cases[] = {{true, true, 0xFF0000, 0x0000FF},
                          {true, false, 0xFF0000, 0},
                          {false, true, 0, 0},
                          {false, false, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "show alarm " << c.showAlarm << ", show all " << c.showAll);
        child<QToolButton>("FlatSpeedButton18")->setChecked(c.showAlarm);
        child<QToolButton>("FlatSpeedButton11")->setChecked(c.showAll);
        form->FlatSpeedButton11Click();
        ASSERT_EQ(form->showAllAreas(), c.showAll);
        area(0).CellCount = 77;
        const QImage shot = form->grab().toImage();
        EXPECT_EQ(overlayPixel(shot, own.x(), own.y()), c.own);
        EXPECT_EQ(overlayPixel(shot, other.x(), other.y()), c.other);
        EXPECT_EQ(area(0).CellCount, 1);
    }
}

TEST_F(DrawFormTest, NothingIsPaintedWhileAPictureTransferRunsOrAnEscapedPressIsHeld) {
    clearAllAreas();
    area(0).Cells.at(10, 10) = 1;
    const QPoint dot(CellOriginX(10) + 3, TruncToInt(kCellHeight * 10 + 1) + 1);
    auto shown = [&] { return overlayPixel(form->grab().toImage(), dot.x(), dot.y()) == 0xFF0000u; };
    ASSERT_TRUE(shown());
    form->setPictureActive(true);
    EXPECT_FALSE(shown());
    form->setPictureActive(false);

    // Esc with no button held (closing a list, say) leaves the areas on screen.
    form->FormKeyPress(27);
    EXPECT_FALSE(form->escCancelled());
    EXPECT_TRUE(shown());

    click("FlatSpeedButton7");
    press(Qt::LeftButton, cellPoint(40, 40));
    form->FormKeyPress(27);
    EXPECT_FALSE(shown());
    release(Qt::LeftButton, cellPoint(40, 40));
    EXPECT_TRUE(shown());
}

// ---------------------------------------------------------------------------------------------
// Language

TEST_F(DrawFormTest, TheDrawSectionReachesItsControls) {
    ASSERT_TRUE(language.load(test::sourceDir() / "lang" / "English.txt", nullptr));
    EXPECT_EQ(form->windowTitle(), "Area editor");
    EXPECT_EQ(child("FlatSpeedButton7")->toolTip(), "Draw rectangle");
    EXPECT_EQ(child("FlatSpeedButton23")->toolTip(), "Stop test mode");
    EXPECT_EQ(child("FlatSpeedButton13")->toolTip(), "Show alarm cells");
    EXPECT_EQ(child<QToolButton>("FlatSpeedButton3")->text(), "Area 2");
    EXPECT_EQ(child<QToolButton>("SpeedButton3")->text(), "Details");
    EXPECT_EQ(child<QCheckBox>("FlatCheckBox2")->text(), "Channel active");
    EXPECT_EQ(child<QListWidget>("ListBox3")->item(2)->text(), "Area mode");
    EXPECT_EQ(child<QToolButton>("FlatSpeedButton15")->text(), "Time zone 1");
    EXPECT_EQ(child<QToolButton>("FlatSpeedButton6")->text(), "Object mode");
    EXPECT_EQ(form->SetAllPrompt(), "Set all fields of the current area?");
    EXPECT_EQ(form->DeleteAreaPrompt(), "Delete the current area?");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pictures of the window for the documentation: written only when ZEP4_SCREENSHOT_DIR names a
// folder.

namespace {

QImage streetScene() {
    QImage scene(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    QPainter p(&scene);
    QLinearGradient sky(0, 0, 0, 220);
    sky.setColorAt(0, QColor(120, 150, 190));
    sky.setColorAt(1, QColor(200, 210, 225));
    p.fillRect(0, 0, kPictureWidth, 220, sky);
    p.fillRect(0, 220, kPictureWidth, 320, QColor(95, 98, 100));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 120, 100));
    p.drawRect(420, 60, 260, 170);
    p.setBrush(QColor(60, 70, 90));
    for (int y = 80; y < 210; y += 45)
        for (int x = 440; x < 660; x += 55) p.drawRect(x, y, 30, 28);
    p.setBrush(QColor(70, 110, 60));
    p.drawEllipse(QPoint(120, 200), 90, 60);
    p.setPen(QPen(QColor(230, 230, 230), 4, Qt::DashLine));
    p.drawLine(0, 400, kPictureWidth, 360);
    p.setPen(QPen(QColor(40, 40, 40), 3));
    for (int x = 0; x < kPictureWidth; x += 30) p.drawLine(x, 250, x, 290);
    p.drawLine(0, 260, kPictureWidth, 260);
    return scene;
}

}  // namespace

TEST_F(DrawFormTest, Screenshots) {
    const char* folder = std::getenv("ZEP4_SCREENSHOT_DIR");
    if (!folder) GTEST_SKIP() << "ZEP4_SCREENSHOT_DIR is not set";
    clearAllAreas();
    form->setPicture(streetScene());
    auto chooseArea = [this](int a) {
        click("FlatSpeedButton25");
        click(QStringLiteral("FlatSpeedButton%1").arg(a + 2).toLatin1().constData());
    };
    click("FlatSpeedButton7");
    chooseArea(0);
    rectangleGesture(Qt::LeftButton, cellPoint(4, 44), cellPoint(40, 70));
    chooseArea(1);
    rectangleGesture(Qt::LeftButton, cellPoint(30, 36), cellPoint(55, 52));  // overlaps area 1: keeps its cells
    chooseArea(3);
    rectangleGesture(Qt::LeftButton, cellPoint(55, 8), cellPoint(84, 30));
    rectangleGesture(Qt::RightButton, cellPoint(62, 14), cellPoint(68, 20));  // a hole erased
    click("FlatSpeedButton8");
    chooseArea(2);
    const QPoint ring[] = {{470, 300}, {700, 330}, {690, 520}, {520, 500}, {560, 420}};
    for (const QPoint& v : ring) clickVertex(Qt::LeftButton, v);
    press(Qt::LeftButton, ring[0]);
    form->Timer1Timer();
    release(Qt::LeftButton, ring[0]);
    click("FlatSpeedButton8");  // no tool
    ASSERT_EQ(form->tool(), -1);
    for (int a = 0; a < kAreas; ++a) EXPECT_GT(CountSetCells(area(a).Cells), 0) << a;
    EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(folder) + "/editor_areas.png"));

    click("FlatSpeedButton8");
    chooseArea(3);
    const QPoint open[] = {{90, 60}, {300, 40}, {340, 180}};
    for (const QPoint& v : open) clickVertex(Qt::LeftButton, v);
    hover(QPoint(200, 230));
    EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(folder) + "/editor_polygon.png"));
}

// ---------------------------------------------------------------------------------------------
// Perspective editing, the parameter pages and undo

namespace {

class DrawFormPagesTest : public DrawFormTest {
protected:
    TAreaGeometry& geometry(int n = 0) { return store.currentCamera().Geometry[n]; }
    TStretchHandle* handle(const char* name) { return child<TStretchHandle>(name); }
    QWidget* shape(const char* name) { return child(name); }
    GFader* fader(const char* name) { return child<GFader>(name); }
    // A click on a check box's indicator.
    void clickBox(const char* name) {
        auto* box = child<QCheckBox>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    // Camera and time zone chosen as the lists do, without their clicks.
    void selectRecord(int timeZone, int camera) {
        store.CurrentTimeZone = timeZone;
        store.CurrentCamera = camera;
        form->RefreshEditor();
        form->SyncEditorControls();
    }
    void setCells(int a, const CellSet& cells) {
        for (const auto& [c, r] : cells) area(a).Cells.at(r, c) = 1;
    }

    void chooseMode(int row) {
        click("FlatSpeedButton6");
        chooseItem("ListBox3", row);
    }
    void chooseArea(int a) {
        click("FlatSpeedButton25");
        click(QStringLiteral("FlatSpeedButton%1").arg(a + 2).toLatin1().constData());
    }
    // Grips of a handle, in its own coordinates: the middle of its right edge, its bottom
    // right corner, the middle of its left edge; the inside moves.
    static QPoint rightGrip(const QWidget* h) {
        return {h->width() - 1 - TStretchHandle::kGripMargin, (h->height() - 1) / 2};
    }
    static QPoint leftGrip(const QWidget* h) { return {TStretchHandle::kGripMargin, (h->height() - 1) / 2}; }
    static QPoint inside(const QWidget* h) { return {h->width() / 2 + 5, h->height() / 2 + 5}; }
    // Press at `from` (handle coordinates), move the pointer by `delta` and release there. The
    // handle follows its shape during the drag, so every event is placed from the overlay's
    // coordinates.
    void dragHandle(TStretchHandle* h, QPoint from, QPoint delta) {
        const QPoint start = h->mapToParent(from);
        QTest::mousePress(h, Qt::LeftButton, {}, from);
        QTest::mouseMove(h, h->mapFromParent(start + delta / 2));
        QTest::mouseMove(h, h->mapFromParent(start + delta));
        QTest::mouseRelease(h, Qt::LeftButton, {}, h->mapFromParent(start + delta));
    }
    TCellRect front() const {
        const TAreaGeometry& g = store.currentCamera().Geometry[store.CurrentArea];
        return {g.FrontLeft, g.FrontTop, g.FrontWidth, g.FrontHeight};
    }
    TCellRect back() const {
        const TAreaGeometry& g = store.currentCamera().Geometry[store.CurrentArea];
        return {g.BackLeft, g.BackTop, g.BackWidth, g.BackHeight};
    }
    // The records the editor can change, to compare byte for byte.
    struct Blocks {
        std::array<TTimeZoneBlock, kTimeZones> timeZones;
        TPersonSetup person[kTimeZones][kCameras];
    };
    std::unique_ptr<Blocks> blocks() const {
        auto b = std::make_unique<Blocks>();
        b->timeZones = store.TimeZoneBlocks;
        std::memcpy(b->person, store.PersonSetup, sizeof b->person);
        return b;
    }
    ::testing::AssertionResult sameAs(const Blocks& b) const {
        for (int tz = 0; tz < kTimeZones; ++tz)
            for (int c = 0; c < kCameras; ++c)
                if (std::memcmp(&store.camera(tz, c), &b.timeZones[size_t(tz)].Camera[c], sizeof(TCameraSetup)) != 0) {
                    const auto* now = reinterpret_cast<const uint8_t*>(&store.camera(tz, c));
                    const auto* then = reinterpret_cast<const uint8_t*>(&b.timeZones[size_t(tz)].Camera[c]);
                    size_t at = 0;
                    while (now[at] == then[at]) ++at;
                    return ::testing::AssertionFailure() << "time zone " << tz + 1 << " camera " << c + 1
                                                         << " differs from byte " << at << " on";
                }
        if (std::memcmp(store.PersonSetup, b.person, sizeof b.person) != 0)
            return ::testing::AssertionFailure() << "person setup differs";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(DrawFormPagesTest, DraggingTheForegroundStoresItAndFitsTheBackgroundToItsProportions) {
    geometry().FrontWidth = 15;  // 120 x 150 pixels at (104, 225)
    geometry().BackWidth = 10;   // 80 x 37 pixels at (400, 60): wide
    geometry().BackHeight = 5;
    chooseMode(1);
    ASSERT_FALSE(shape("FrontShape")->isHidden());
    ASSERT_EQ(shape("FrontShape")->geometry(), QRect(104, 225, 120, 150));
    ASSERT_EQ(handle("FrontHandle")->target(), shape("FrontShape"));

    // The right edge dragged 40 pixels left: 80 x 150 pixels. The background keeps its
    // 2960 square pixels and takes the proportion 80 : 150.
    dragHandle(handle("FrontHandle"), rightGrip(handle("FrontHandle")), QPoint(-40, 0));
    EXPECT_EQ(front(), (TCellRect{13, 30, 10, 20}));
    EXPECT_EQ(geometry().FrontVolume, 200);
    EXPECT_EQ(back(), (TCellRect{50, 8, 5, 10}));
    EXPECT_EQ(geometry().BackVolume, 50);
    EXPECT_EQ(shape("BackShape")->geometry(), QRect(400, 60, 40, 75)) << "placed from the new geometry";
    EXPECT_EQ(child<QLineEdit>("FlatEdit11")->text(), "200");
    EXPECT_EQ(child<QLineEdit>("FlatEdit15")->text(), "50");

    // Moved, the foreground snaps to the 8-pixel grid: (117, 230) becomes (120, 232).
    dragHandle(handle("FrontHandle"), inside(handle("FrontHandle")), QPoint(13, 5));
    EXPECT_EQ(front(), (TCellRect{15, 31, 10, 20}));

    // From the keyboard: the arrows move by one grid step, with Shift they widen.
    TStretchHandle* h = handle("FrontHandle");
    h->setFocus();
    QTest::keyClick(h, Qt::Key_Right);
    EXPECT_EQ(front(), (TCellRect{16, 31, 10, 20}));
    QTest::keyClick(h, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(front(), (TCellRect{16, 31, 11, 20}));
    QTest::keyClick(h, Qt::Key_Left, Qt::ShiftModifier);

    // Shrunk below its minimum: the minimum becomes 1.
    geometry().FrontMinVolume = 150;
    dragHandle(handle("FrontHandle"), leftGrip(handle("FrontHandle")), QPoint(48, 0));  // 32 pixels wide
    EXPECT_EQ(geometry().FrontWidth, 4);
    EXPECT_EQ(geometry().FrontVolume, 80);
    EXPECT_EQ(geometry().FrontMinVolume, 1);
}

TEST_F(DrawFormPagesTest, TheBackgroundFollowsThePointerPixelByPixelAndKeepsTheForegroundsProportions) {
    chooseMode(1);
    TStretchHandle* h = handle("BackHandle");
    // Moved by (13, 5) pixels: from (400, 60) to (413, 65), rounded to cells 52 and 9.
    dragHandle(h, inside(h), QPoint(13, 5));
    EXPECT_EQ(back(), (TCellRect{52, 9, 5, 10}));
    // Widened to 60 x 75 (4500 square pixels) it is fitted back to 80 : 150.
    dragHandle(h, rightGrip(h), QPoint(20, 0));
    EXPECT_EQ(back().width, 6);
    EXPECT_EQ(back().height, 12);
    EXPECT_EQ(geometry().BackVolume, 72);
    EXPECT_EQ(front(), (TCellRect{13, 30, 10, 20})) << "the foreground stays";
}

TEST_F(DrawFormPagesTest, AnEmptiedRectangleIsDiscardedAndPlacedAgainFromTheGeometry) {
    chooseMode(1);
    const TAreaGeometry before = geometry();
    form->Timer5.stop();
    TStretchHandle* h = handle("FrontHandle");
    dragHandle(h, leftGrip(h), QPoint(200, 0));  // the left edge dragged over the right one
    EXPECT_EQ(std::memcmp(&geometry(), &before, sizeof before), 0);
    EXPECT_EQ(shape("FrontShape")->geometry(), QRect(104, 225, 80, 150));
    EXPECT_TRUE(form->Timer5.isActive()) << "attaches the handles once more";
    form->Timer5Timer();
    EXPECT_EQ(h->target(), shape("FrontShape"));
    EXPECT_EQ(h->geometry(), QRect(101, 222, 86, 156));
}

TEST_F(DrawFormPagesTest, TheObjectSegmentsHandleWaitsForTheFirstPressAndItsDragStoresTheSegment) {
    ASSERT_EQ(child<QTabWidget>("PageControl1")->currentIndex(), 0);
    EXPECT_FALSE(shape("SegmentShape")->isHidden());
    EXPECT_EQ(shape("SegmentShape")->geometry(), QRect(104, 225, 80, 150));
    EXPECT_EQ(handle("SegmentHandle")->target(), nullptr) << "the initial mark";
    EXPECT_TRUE(shape("FrontShape")->isHidden());

    clickVertex(Qt::LeftButton, QPoint(600, 500));  // no tool: only frees the handle
    TStretchHandle* h = handle("SegmentHandle");
    ASSERT_EQ(h->target(), shape("SegmentShape"));
    EXPECT_FALSE(h->isHidden());

    // Shrunk to 32 x 30 pixels (4 x 4 cells), below the minimum of 59: the minimum is the volume.
    dragHandle(h, QPoint(h->width() - 4, h->height() - 4), QPoint(-48, -120));
    EXPECT_EQ(front(), (TCellRect{13, 30, 4, 4}));
    EXPECT_EQ(geometry().FrontVolume, 16);
    EXPECT_EQ(geometry().FrontMinVolume, 16);
    EXPECT_EQ(geometry().FrontMaxVolume, 500);
    EXPECT_EQ(child<QLabel>("Label43")->text(), "16");
    EXPECT_EQ(fader("GFader7")->caption(), "Min. 16 cells =100%");
    EXPECT_EQ(fader("GFader8")->caption(), "Max. 500 cells =3125%");
}

TEST_F(DrawFormPagesTest, ThePerspectiveListShowsTheRectanglesAtOnceTheTabAtTheNextRefresh) {
    auto* pages = child<QTabWidget>("PageControl1");
    pages->setCurrentIndex(1);  // as the user's click on the tab
    EXPECT_EQ(area(0).ObjectDetection, 1);
    EXPECT_EQ(area(0).PerspectiveMode, 1);
    EXPECT_TRUE(shape("FrontShape")->isHidden());
    EXPECT_FALSE(shape("SegmentShape")->isHidden());
    chooseArea(0);
    EXPECT_FALSE(shape("FrontShape")->isHidden());
    EXPECT_FALSE(shape("BackShape")->isHidden());
    EXPECT_TRUE(shape("SegmentShape")->isHidden());
    EXPECT_TRUE(form->Timer5.isActive());

    chooseMode(2);  // area mode: no shapes
    for (const char* name : {"SegmentShape", "FrontShape", "BackShape", "SegmentHandle", "FrontHandle", "BackHandle"})
        EXPECT_TRUE(shape(name)->isHidden()) << name;
    chooseMode(1);
    EXPECT_FALSE(shape("FrontShape")->isHidden());
    EXPECT_EQ(handle("BackHandle")->target(), shape("BackShape"));

    // A drawing tool down hides them; a shape has the area's colour.
    click("FlatSpeedButton7");
    EXPECT_TRUE(shape("FrontShape")->isHidden());
    click("FlatSpeedButton7");
    chooseArea(2);
    chooseMode(1);
    EXPECT_EQ(child<TShape>("BackShape")->pen().color(), QColor(0, 0, 255));
}

TEST_F(DrawFormPagesTest, HorizontalAndVerticalPerspectiveAreAPairOfWhichOneIsChecked) {
    chooseMode(1);
    auto* horizontal = child<QCheckBox>("CheckBox3");
    auto* vertical = child<QCheckBox>("CheckBox4");
    ASSERT_TRUE(horizontal->isChecked());
    ASSERT_FALSE(vertical->isChecked());
    struct Case {
        QCheckBox* box;
        uint8_t vertical;
    };
    const Case cases[] = {{vertical, 1}, {vertical, 0}, {horizontal, 1}, {horizontal, 0}, {vertical, 1}};
    for (const Case& c : cases) {
        QTest::mouseClick(c.box, Qt::LeftButton);
        EXPECT_EQ(area(0).VerticalPerspective, c.vertical);
        EXPECT_EQ(vertical->isChecked(), c.vertical == 1);
        EXPECT_EQ(horizontal->isChecked(), c.vertical == 0);
    }
}

TEST_F(DrawFormPagesTest, StandardSetsTheLimitsFromTheVolumes) {
    chooseMode(1);
    geometry().FrontVolume = 4000;
    geometry().BackVolume = 50;
    geometry().BackMinVolume = 3;
    geometry().BackMaxVolume = 4;
    click("FlatSpeedButton26");
    EXPECT_EQ(geometry().FrontMaxVolume, 6480) << "not 10000";
    EXPECT_EQ(geometry().FrontMinVolume, 1199);
    EXPECT_EQ(geometry().BackMinVolume, 14);
    EXPECT_EQ(geometry().BackMaxVolume, 125);
    EXPECT_EQ(fader("GFader11")->caption(), "Max. 125 cells =250%");
    EXPECT_EQ(fader("GFader12")->caption(), "Min. 14 cells =28%");

    // The object page's Standard takes the volume from the segment's size first.
    chooseMode(0);
    geometry().FrontMinVolume = geometry().FrontMaxVolume = 1;
    click("FlatSpeedButton24");
    EXPECT_EQ(geometry().FrontVolume, 200);
    EXPECT_EQ(geometry().FrontMinVolume, 59);
    EXPECT_EQ(geometry().FrontMaxVolume, 500);
    EXPECT_EQ(fader("GFader8")->value(), 500);
    EXPECT_EQ(fader("GFader8")->caption(), "Max. 500 cells =250%");
    EXPECT_EQ(fader("GFader7")->caption(), "Min. 59 cells =29%");
}

TEST_F(DrawFormPagesTest, PerspectiveFadersStoreTheirLimitsAndASegmentOfNoCellsShowsNoPercentage) {
    chooseMode(1);
    fader("GFader9")->setValue(900);
    EXPECT_EQ(geometry().FrontMaxVolume, 900);
    fader("GFader10")->setValue(100);
    EXPECT_EQ(geometry().FrontMinVolume, 100);
    fader("GFader11")->setValue(300);
    EXPECT_EQ(geometry().BackMaxVolume, 300);
    fader("GFader12")->setValue(5);
    EXPECT_EQ(geometry().BackMinVolume, 5);
    EXPECT_EQ(fader("GFader12")->caption(), "Min. 5 cells =10%");
    QComboBox* sensitivity = child<QComboBox>("FlatComboBox5");
    sensitivity->setCurrentIndex(2);
    emit sensitivity->activated(2);
    EXPECT_EQ(geometry().BackSensitivityIndex, 2);

    geometry().FrontWidth = 0;
    chooseMode(0);
    EXPECT_EQ(geometry().FrontVolume, 0);
    EXPECT_EQ(fader("GFader8")->caption(), "Max. 900 cells");
    EXPECT_EQ(fader("GFader7")->caption(), "Min. 0 cells");
}

TEST_F(DrawFormPagesTest, LoadingThePagesStoresNothingEvenWhereAFaderCannotShowTheValue) {
    geometry().FrontMaxVolume = 7000;  // above the cell count of 6480
    geometry().FrontMinVolume = 3;     // below a tenth of the volume
    area(0).SwitchRelay = 2;           // set by the options window
    const auto before = blocks();
    for (int mode : {0, 1, 2, 0}) {
        chooseMode(mode);
        form->SyncEditorControls();
    }
    chooseMode(0);
    EXPECT_EQ(fader("GFader8")->value(), 6480);
    EXPECT_EQ(fader("GFader7")->value(), 20);
    EXPECT_TRUE(child<QCheckBox>("FlatCheckBox3")->isChecked());
    area(0).ObjectDetection = 1, area(0).PerspectiveMode = 0;
    EXPECT_TRUE(sameAs(*before));
    EXPECT_FALSE(form->updating());

    // A fader whose minimum lies above its maximum has the one value of its minimum.
    GFader probe;
    probe.setRange(0, 100);
    probe.setValue(50);
    probe.setMinimum(300);
    EXPECT_EQ(probe.maximum(), 300);
    probe.setMaximum(200);
    EXPECT_EQ(probe.minimum(), 300);
    EXPECT_EQ(probe.maximum(), 300);
    EXPECT_EQ(probe.value(), 300);
}

TEST_F(DrawFormPagesTest, MinAndMaxOfTheAreaPageAreCoupled) {
    chooseMode(2);
    clearAllAreas();
    setCells(0, Block(0, 9, 0, 9));  // 100 cells
    area(0).MinCells = 1;
    area(0).MaxCells = 50;
    form->RefreshEditor();
    form->SyncEditorControls();
    GFader* minimum = fader("GFader5");
    GFader* maximum = fader("GFader6");
    EXPECT_EQ(child<QLabel>("Label5")->text(), "100");
    EXPECT_EQ(maximum->maximum(), 100);
    EXPECT_EQ(minimum->maximum(), 100);
    EXPECT_EQ(minimum->rampColour(), QColor(255, 0, 0));

    // With Min. 1, lowering Max. below 1 leaves Min. at 1.
    maximum->setValue(0);
    EXPECT_EQ(area(0).MaxCells, 0);
    EXPECT_EQ(area(0).MinCells, 1);
    EXPECT_EQ(child<QLineEdit>("FlatEdit6")->text(), "0");
    // Raising Min. above Max. drags Max. up with it.
    minimum->setValue(70);
    EXPECT_EQ(area(0).MinCells, 70);
    EXPECT_EQ(area(0).MaxCells, 70);
    EXPECT_EQ(child<QLineEdit>("FlatEdit6")->text(), "70");
    // Lowering Max. below a Min. other than 1 pulls Min. down.
    maximum->setValue(40);
    EXPECT_EQ(area(0).MinCells, 40);
    EXPECT_EQ(child<QLineEdit>("FlatEdit5")->text(), "40");

    // Typed numbers go through the faders; a text that is no number is 0.
    auto* maxEdit = child<QLineEdit>("FlatEdit6");
    maxEdit->selectAll();
    QTest::keyClicks(maxEdit, "90");
    EXPECT_EQ(area(0).MaxCells, 90);
    auto* minEdit = child<QLineEdit>("FlatEdit5");
    minEdit->selectAll();
    QTest::keyClicks(minEdit, "x");
    EXPECT_EQ(area(0).MinCells, 0);
    EXPECT_EQ(maxEdit->maxLength(), 4);

    // An area without cells gives both faders the maximum 1; the ramp follows the area.
    chooseArea(1);
    chooseMode(2);
    EXPECT_EQ(maximum->maximum(), 1);
    EXPECT_EQ(minimum->maximum(), 1);
    EXPECT_EQ(maximum->rampColour(), QColor(0, 128, 0));
}

TEST_F(DrawFormPagesTest, AreaPageControlsAndThePersonBoxesStoreIntoTheCurrentArea) {
    store.CurrentTimeZone = 1;
    store.CurrentArea = 2;
    form->RefreshEditor();
    form->SyncEditorControls();
    chooseMode(2);
    auto* reset = child<QComboBox>("FlatComboBox2");
    reset->setCurrentIndex(10);
    emit reset->activated(10);
    EXPECT_EQ(store.camera(1, 0).Areas[2].ResetTimeIndex, 10);
    clickBox("FlatCheckBox3");
    EXPECT_EQ(store.camera(1, 0).Areas[2].SwitchRelay, 1);

    // Both sensitivity boxes edit the one SensitivityIndex.
    auto* areaSensitivity = child<QComboBox>("FlatComboBox7");
    areaSensitivity->setCurrentIndex(8);
    emit areaSensitivity->activated(8);
    EXPECT_EQ(store.camera(1, 0).Areas[2].SensitivityIndex, 8);
    chooseMode(0);
    EXPECT_EQ(child<QComboBox>("FlatComboBox4")->currentIndex(), 8);

    clickBox("CheckBox2");
    EXPECT_EQ(store.PersonSetup[1][0].PersonDetection[2], 1);
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(store.PersonSetup[0][0].PersonDetection[2], 0);

    // "Kanal aktiv" is the camera's in the current time zone only.
    clickBox("FlatCheckBox2");
    EXPECT_EQ(store.camera(1, 0).ChannelActive, 0);
    for (int tz : {0, 2, 3}) EXPECT_EQ(store.camera(tz, 0).ChannelActive, 1) << tz;
    selectRecord(2, 0);
    EXPECT_TRUE(child<QCheckBox>("FlatCheckBox2")->isChecked());
    selectRecord(1, 0);
    EXPECT_FALSE(child<QCheckBox>("FlatCheckBox2")->isChecked());
}

TEST_F(DrawFormPagesTest, ThePagesTakeTheirTextsFromTheDrawSection) {
    ASSERT_TRUE(language.load(test::sourceDir() / "lang" / "Deutsch.txt", nullptr));
    EXPECT_EQ(child<QLabel>("Label2")->text(), "HINTERGRUND");
    EXPECT_EQ(child<QCheckBox>("CheckBox4")->text(), "Vertikale Perspektive");
    EXPECT_EQ(child<QLabel>("Label6")->text(), "Anzahl Zellen:");
    EXPECT_EQ(child<QCheckBox>("FlatCheckBox3")->text(), "Relais schalten");
    EXPECT_EQ(child<QLabel>("Label38")->text(), QString::fromUtf8("Max. Objektvolumen:"));
    EXPECT_EQ(fader("GFader8")->caption(), "Max. 500 Zellen =250%");
    chooseMode(1);
    EXPECT_EQ(fader("GFader10")->caption(), "Min. 59 Zellen =29%");
    EXPECT_EQ(child<QToolButton>("FlatSpeedButton26")->text(), "Standard");
    EXPECT_EQ(child<QListWidget>("ListBox3")->item(1)->text(), "Perspektive");
}

// ---------------------------------------------------------------------------------------------
// Undo

TEST_F(DrawFormPagesTest, EveryKindOfStepIsUndoneAndRedoneByteForByte) {
    clearAllAreas();
    form->RefreshEditor();
    form->SyncEditorControls();
    struct Case {
        const char* name;
        std::function<void()> act;
        int mode = -1;  // the mode chosen before the step
    };
    const Case cases[] = {
        {"rectangle",
         [&] {
             click("FlatSpeedButton7");
             rectangleGesture(Qt::LeftButton, cellPoint(3, 3), cellPoint(12, 9));
             click("FlatSpeedButton7");
         }},
        {"polygon",
         [&] {
             click("FlatSpeedButton8");
             for (QPoint v : {QPoint(100, 100), QPoint(300, 120), QPoint(200, 300)}) clickVertex(Qt::LeftButton, v);
             press(Qt::LeftButton, QPoint(200, 300));
             form->Timer1Timer();
             release(Qt::LeftButton, QPoint(200, 300));
             click("FlatSpeedButton8");
         }},
        {"set all",
         [&] {
             dialogs.answers = {MessageResult::Yes};
             click("FlatSpeedButton9");
         }},
        {"handle drag", [&] { dragHandle(handle("FrontHandle"), rightGrip(handle("FrontHandle")), QPoint(-40, 0)); },
         1},
        {"fader", [&] { fader("GFader6")->setValue(fader("GFader6")->value() / 2); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case starts from the state the previous ones left, with its steps cleared.
        if (c.mode >= 0) chooseMode(c.mode);
        form->clearUndoHistory();
        const auto before = blocks();
        c.act();
        ASSERT_TRUE(form->canUndo());
        const auto after = blocks();
        ASSERT_FALSE(sameAs(*before));
        form->undo();
        EXPECT_TRUE(sameAs(*before));
        EXPECT_FALSE(form->canUndo());
        form->redo();
        EXPECT_TRUE(sameAs(*after));
    }
}

TEST_F(DrawFormPagesTest, UndoShowsTheStepsCameraTimeZoneAndAreaAndTheKeysWork) {
    QSignalSpy state(form.get(), &TDrawForm::undoStateChanged);
    selectRecord(3, 2);
    chooseArea(1);
    const auto before = blocks();
    const TCameraSetup& camera = before->timeZones[3].Camera[2];
    chooseMode(1);  // a page change: one step
    ASSERT_EQ(state.count(), 1);
    EXPECT_EQ(state.last(), (QList<QVariant>{true, false}));

    // Elsewhere now.
    selectRecord(0, 0);
    chooseArea(3);
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(std::memcmp(&store.camera(3, 2), &camera, sizeof camera), 0);
    EXPECT_EQ(store.CurrentCamera, 2);
    EXPECT_EQ(store.CurrentTimeZone, 3);
    EXPECT_EQ(store.CurrentArea, 1);
    EXPECT_EQ(form->areaColour(), QColor(0, 255, 0));
    EXPECT_TRUE(child<QToolButton>("FlatSpeedButton3")->isChecked());
    EXPECT_EQ(child<QToolButton>("FlatSpeedButton6")->text(), "Objektmode");
    EXPECT_EQ(state.last(), (QList<QVariant>{false, true}));

    QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(store.camera(3, 2).Areas[1].PerspectiveMode, 1);
    EXPECT_FALSE(child<QWidget>("FrontShape")->isHidden());
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(store.camera(3, 2).Areas[1].PerspectiveMode, 1);

    form->clearUndoHistory();
    EXPECT_FALSE(form->canUndo());
    EXPECT_FALSE(form->canRedo());
    EXPECT_EQ(state.last(), (QList<QVariant>{false, false}));
    form->undo();  // nothing to undo
    EXPECT_EQ(store.camera(3, 2).Areas[1].PerspectiveMode, 1);

    // The main window's hooks for a store replaced wholesale clear the history too.
    for (void (TDrawForm::*hook)() : {&TDrawForm::ShowChangedSetup, &TDrawForm::ShowOpenedSetup, &TDrawForm::ResetEditor}) {
        chooseMode(2);
        chooseMode(0);
        ASSERT_TRUE(form->canUndo());
        (form.get()->*hook)();
        EXPECT_FALSE(form->canUndo());
        EXPECT_FALSE(form->canRedo());
    }
}

TEST_F(DrawFormPagesTest, AFaderDragIsOneStepAndShowingAnAreaIsNone) {
    chooseMode(2);
    form->clearUndoHistory();
    chooseArea(1);
    chooseArea(0);
    form->SyncEditorControls();
    EXPECT_FALSE(form->canUndo()) << "selecting and loading change nothing";

    GFader* maximum = fader("GFader6");
    const int before = area(0).MaxCells;
    const QPoint y(0, maximum->height() / 2 + 2);
    QTest::mousePress(maximum, Qt::LeftButton, {}, QPoint(maximum->width() / 2, y.y()));
    QTest::mouseMove(maximum, QPoint(maximum->width() / 3, y.y()));
    QTest::mouseMove(maximum, QPoint(maximum->width() / 4, y.y()));
    QTest::mouseRelease(maximum, Qt::LeftButton, {}, QPoint(maximum->width() / 4, y.y()));
    ASSERT_NE(area(0).MaxCells, before);
    EXPECT_EQ(form->undoHistory().undoCount(), 1u);
    // The keyboard then makes a step of its own.
    maximum->setFocus();
    QTest::keyClick(maximum, Qt::Key_Right);
    EXPECT_EQ(form->undoHistory().undoCount(), 2u);
    form->undo();
    form->undo();
    EXPECT_EQ(area(0).MaxCells, before);
}


// ---------------------------------------------------------------------------------------------
// The fader and the stretch handle on their own

TEST(GFaderControl, KeepsItsValueInItsRangeAndAnswersKeyboardAndMouse) {
    QWidget window;
    window.resize(240, 80);
    GFader fader(QStringLiteral("Probe"), &window);
    fader.setGeometry(10, 10, 200, 50);
    fader.setEndLabels(QStringLiteral("10%"), QStringLiteral("100%"));
    fader.setRange(0, 100);
    fader.setPageStep(10);
    window.show();
    QSignalSpy changes(&fader, &GFader::valueChanged);
    QSignalSpy released(&fader, &GFader::sliderReleased);

    fader.setFocus();
    struct Key {
        Qt::Key key;
        int value;
    };
    const Key keys[] = {{Qt::Key_End, 100}, {Qt::Key_Left, 99}, {Qt::Key_PageDown, 89}, {Qt::Key_Home, 0},
                        {Qt::Key_Right, 1}, {Qt::Key_PageUp, 11}};
    for (const Key& k : keys) {
        QTest::keyClick(&fader, k.key);
        EXPECT_EQ(fader.value(), k.value) << k.key;
    }
    EXPECT_EQ(changes.count(), 6);

    // A click jumps to the place clicked; the ends of the ramp are the ends of the range.
    const int y = fader.height() / 2;
    QTest::mouseClick(&fader, Qt::LeftButton, {}, QPoint(fader.width() - 1, y));
    EXPECT_EQ(fader.value(), 100);
    QTest::mouseClick(&fader, Qt::LeftButton, {}, QPoint(0, y));
    EXPECT_EQ(fader.value(), 0);
    EXPECT_EQ(released.count(), 2);

    // Range changes place the value inside and report it.
    fader.setValue(80);
    changes.clear();
    fader.setMaximum(50);
    EXPECT_EQ(fader.value(), 50);
    EXPECT_EQ(changes.count(), 1);
    fader.setMinimum(70);  // above the maximum: the maximum follows
    EXPECT_EQ(fader.maximum(), 70);
    EXPECT_EQ(fader.value(), 70);
    QTest::keyClick(&fader, Qt::Key_Left);
    EXPECT_EQ(fader.value(), 70) << "a single value";
}

TEST(StretchHandleControl, SnapsToItsGridStaysInsideTheParentAndDetaches) {
    QWidget parent;
    parent.resize(100, 60);
    QWidget target(&parent);
    target.setGeometry(16, 16, 24, 16);
    TStretchHandle h(QStringLiteral("Probe"), &parent);
    h.setGrid(QSize(8, 8));
    parent.show();
    QSignalSpy ups(&h, &TStretchHandle::mouseUp);
    h.Attach(&target);
    ASSERT_FALSE(h.isHidden());
    EXPECT_EQ(h.geometry(), target.geometry().adjusted(-3, -3, 3, 3));

    auto drag = [&h](QPoint from, QPoint delta) {
        const QPoint start = h.mapToParent(from);
        QTest::mousePress(&h, Qt::LeftButton, {}, from);
        QTest::mouseMove(&h, h.mapFromParent(start + delta));
        QTest::mouseRelease(&h, Qt::LeftButton, {}, h.mapFromParent(start + delta));
    };
    drag(QPoint(15, 11), QPoint(5, 3));  // 21, 19 snap to 24, 16
    EXPECT_EQ(target.geometry(), QRect(24, 16, 24, 16));
    drag(QPoint(15, 11), QPoint(500, 500));  // stays inside: the last grid place
    EXPECT_EQ(target.geometry(), QRect(72, 40, 24, 16));
    drag(QPoint(3, 3), QPoint(-100, -100));  // the top left corner to the parent's corner
    EXPECT_EQ(target.geometry(), QRect(0, 0, 96, 56));
    EXPECT_EQ(ups.count(), 3);
    // Code that moves the widget moves the handle with it.
    target.setGeometry(8, 8, 16, 16);
    EXPECT_EQ(h.geometry(), QRect(5, 5, 22, 22));

    h.Detach();
    EXPECT_TRUE(h.isHidden());
    EXPECT_EQ(h.target(), nullptr);
    target.move(40, 40);
    EXPECT_EQ(h.geometry(), QRect(5, 5, 22, 22));
    // A widget of another parent is not taken.
    QWidget stranger;
    h.Attach(&stranger);
    EXPECT_EQ(h.target(), nullptr);
    EXPECT_TRUE(h.isHidden());
}

// Pictures of the three pages with their shapes, written only when ZEP4_SCREENSHOT_DIR names a
// folder.
TEST_F(DrawFormPagesTest, PageScreenshots) {
    const char* folder = std::getenv("ZEP4_SCREENSHOT_DIR");
    if (!folder) GTEST_SKIP() << "ZEP4_SCREENSHOT_DIR is not set";
    const QString dir = QString::fromLocal8Bit(folder);
    clearAllAreas();
    form->setPicture(streetScene());
    click("FlatSpeedButton7");
    rectangleGesture(Qt::LeftButton, cellPoint(0, 30), cellPoint(89, 71));
    click("FlatSpeedButton7");

    // Object mode: the segment over a person-sized patch of the road, its handle freed.
    chooseMode(0);
    clickVertex(Qt::LeftButton, QPoint(700, 520));
    dragHandle(handle("SegmentHandle"), inside(handle("SegmentHandle")), QPoint(60, 40));
    EXPECT_TRUE(form->grab().save(dir + "/editor_object_page.png"));

    // Perspective mode: the foreground low and large, the background up the road.
    chooseMode(1);
    dragHandle(handle("FrontHandle"), inside(handle("FrontHandle")), QPoint(-40, 96));
    dragHandle(handle("FrontHandle"), rightGrip(handle("FrontHandle")), QPoint(24, 0));
    dragHandle(handle("BackHandle"), inside(handle("BackHandle")), QPoint(-60, 190));
    form->Timer5Timer();
    EXPECT_TRUE(form->grab().save(dir + "/editor_perspective.png"));

    chooseMode(2);
    fader("GFader6")->setValue(4000);
    fader("GFader5")->setValue(12);
    EXPECT_TRUE(form->grab().save(dir + "/editor_area_page.png"));
}

}  // namespace
