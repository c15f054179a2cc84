// The area editor window, offscreen: the drawing tools driven with mouse events on PaintBox1,
// the polygon hold timer, Esc, the drop-down lists, "Set all" and "Delete" with their
// confirmations, the overlay's paint pass and the language section.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

#include "editor/draw_form.h"
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
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
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
