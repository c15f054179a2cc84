// The editor's undo history: steps restore exactly the area they changed, merges, the limit,
// and the other parts of the store staying as other windows left them.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

#include "editor/undo_history.h"
#include "editor_fixture.h"
#include "setup/setup_defaults.h"

using namespace zep4;

namespace {

class UndoHistoryTest : public test::EditorStore {
protected:
    TUndoHistory history{4};

    void SetUp() override { ResetSetupRecords(store, "Kamera"); }

    // One step at the current selection.
    void step(void (*change)(TSetupStore&), int mergeKey = 0) {
        history.begin(store);
        change(store);
        history.commit(store, mergeKey);
    }
    // What the editor can change: the time-zone blocks and the person setup.
    struct Blocks {
        std::array<TTimeZoneBlock, kTimeZones> timeZones;
        TPersonSetup person[kTimeZones][kCameras];
    };
    std::unique_ptr<Blocks> copy() const {
        auto b = std::make_unique<Blocks>();
        b->timeZones = store.TimeZoneBlocks;
        std::memcpy(b->person, store.PersonSetup, sizeof b->person);
        return b;
    }
    bool sameBlocks(const Blocks& other) const {
        return std::memcmp(store.TimeZoneBlocks.data(), other.timeZones.data(), sizeof other.timeZones) == 0 &&
               std::memcmp(store.PersonSetup, other.person, sizeof other.person) == 0;
    }
};

TEST_F(UndoHistoryTest, UndoAndRedoRestoreTheAreaOfTheStepWhereverTheSelectionIs) {
    select(2, 1, 3);
    const auto before = copy();
    history.begin(store);
    current().Cells.at(5, 5) = 1;
    current().CellCount = 1;
    store.currentCamera().Geometry[3].FrontWidth = 44;
    store.currentCamera().ChannelActive = 0;
    store.PersonSetup[2][1].PersonDetection[3] = 1;
    ASSERT_TRUE(history.commit(store));
    const auto after = copy();

    select(0, 0, 0);  // the user moved on
    const std::optional<TUndoPlace> undone = history.undo(store);
    ASSERT_TRUE(undone);
    EXPECT_EQ(*undone, (TUndoPlace{2, 1, 3}));
    EXPECT_TRUE(sameBlocks(*before));
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.canRedo());

    EXPECT_EQ(history.redo(store), (TUndoPlace{2, 1, 3}));
    EXPECT_TRUE(sameBlocks(*after));
    EXPECT_FALSE(history.redo(store));
}

TEST_F(UndoHistoryTest, OnlyTheAreaOfTheStepIsWrittenBack) {
    step([](TSetupStore& s) { s.currentArea().SensitivityIndex = 9; });
    // Another window changes other parts of the same camera and another area.
    store.currentCamera().MaxObjects = 7;
    area(0, 0, 1).SensitivityIndex = 2;
    std::strcpy(store.currentCamera().CameraName, "Hof");
    ASSERT_TRUE(history.undo(store));
    EXPECT_EQ(current().SensitivityIndex, 5);
    EXPECT_EQ(store.currentCamera().MaxObjects, 7);
    EXPECT_EQ(area(0, 0, 1).SensitivityIndex, 2);
    EXPECT_STREQ(store.currentCamera().CameraName, "Hof");
}

TEST_F(UndoHistoryTest, StepsThatChangeNothingAreDroppedAndANewStepClearsRedo) {
    step([](TSetupStore&) {});
    EXPECT_FALSE(history.canUndo());
    step([](TSetupStore& s) { s.currentArea().ResetTimeIndex = 3; });
    step([](TSetupStore& s) { s.currentArea().ResetTimeIndex = 4; });
    ASSERT_TRUE(history.undo(store));
    EXPECT_TRUE(history.canRedo());
    step([](TSetupStore& s) { s.currentArea().SwitchRelay = 0; });
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoCount(), 2u);
}

TEST_F(UndoHistoryTest, MergedChangesAreOneStepUntilSealed) {
    step([](TSetupStore& s) { s.currentArea().MaxCells = 100; }, 7);
    step([](TSetupStore& s) { s.currentArea().MaxCells = 90; }, 7);
    step([](TSetupStore& s) { s.currentArea().MaxCells = 80; }, 7);
    EXPECT_EQ(history.undoCount(), 1u);
    history.seal();
    step([](TSetupStore& s) { s.currentArea().MaxCells = 70; }, 7);
    step([](TSetupStore& s) { s.currentArea().MinCells = 9; }, 8);  // another control
    EXPECT_EQ(history.undoCount(), 3u);

    ASSERT_TRUE(history.undo(store));
    ASSERT_TRUE(history.undo(store));
    EXPECT_EQ(current().MaxCells, 80);
    ASSERT_TRUE(history.undo(store));
    EXPECT_EQ(current().MaxCells, 6480);

    // Dragged away and back again: nothing left to undo.
    TUndoHistory h;
    h.begin(store);
    current().MaxCells = 5;
    h.commit(store, 3);
    h.begin(store);
    current().MaxCells = 6480;
    EXPECT_TRUE(h.commit(store, 3));
    EXPECT_FALSE(h.canUndo());
}

TEST_F(UndoHistoryTest, MergingNeedsTheSamePlaceAndAnUntouchedArea) {
    step([](TSetupStore& s) { s.currentArea().MaxCells = 100; }, 7);
    select(0, 0, 1);
    step([](TSetupStore& s) { s.currentArea().MaxCells = 1; }, 7);
    EXPECT_EQ(history.undoCount(), 2u) << "another area";
    current().CellCount = 12;  // changed outside any step
    step([](TSetupStore& s) { s.currentArea().MaxCells = 2; }, 7);
    EXPECT_EQ(history.undoCount(), 3u) << "the step's end state is gone";
}

TEST_F(UndoHistoryTest, TheOldestStepsGoBeyondTheLimitAndClearForgetsAll) {
    for (int i = 1; i <= 6; ++i) {
        history.begin(store);
        current().ResetTimeIndex = i;
        history.commit(store);
    }
    EXPECT_EQ(history.undoCount(), 4u);
    while (history.undo(store)) {
    }
    EXPECT_EQ(current().ResetTimeIndex, 2);
    history.clear();
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
}

TEST_F(UndoHistoryTest, NoStepWithASelectionOutOfRangeOrWhileAStepIsOpen) {
    store.CurrentArea = 4;
    history.begin(store);
    EXPECT_FALSE(history.stepOpen());
    EXPECT_FALSE(history.commit(store));
    store.CurrentArea = 0;
    step([](TSetupStore& s) { s.currentArea().ResetTimeIndex = 1; });
    history.begin(store);
    EXPECT_FALSE(history.undo(store)) << "a step is open";
    history.cancel();
    EXPECT_TRUE(history.undo(store));
}

}  // namespace
