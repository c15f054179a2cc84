// Undo history of the area editor. Plain C++, no Qt.
//
// A step is one user action in the editor (a drawing gesture, "Set all", "Delete", a rectangle
// drag, a change on a parameter page). It keeps what the editor can change of one area, before
// and after: the area record, the area's geometry, the camera's ChannelActive byte and the
// area's PersonDetection byte, with the time zone, camera and area they belong to. Undo writes
// the "before" back, redo the "after"; nothing else in the store is touched, so changes made by
// other windows survive.
//
// The window opens a step before it changes the store (begin) and closes it afterwards
// (commit). A step that changed nothing is dropped. A commit with a merge key equal to the
// key of the newest step at the same place adds to that step instead of making a new one
// (a fader dragged, a number typed), until seal() ends the merging.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "setup/records.h"

namespace zep4 {

class TSetupStore;

struct TUndoPlace {
    int32_t timeZone = 0;
    int32_t camera = 0;
    int32_t area = 0;
    bool operator==(const TUndoPlace&) const = default;
};

// What the editor can change of one area.
struct TAreaSnapshot {
    TAreaSetup area{};
    TAreaGeometry geometry{};
    uint8_t channelActive = 0;
    uint8_t personDetection = 0;

    static TAreaSnapshot Take(const TSetupStore& store, const TUndoPlace& place);
    void restore(TSetupStore& store, const TUndoPlace& place) const;
    bool sameBytes(const TAreaSnapshot& other) const;
};

class TUndoHistory {
public:
    // At most `limit` steps are kept; the oldest go first.
    explicit TUndoHistory(size_t limit = 200);

    // Opens a step at the store's current selection. Nothing is opened with a selection out of
    // range (commit then adds nothing). A step already open is replaced.
    void begin(const TSetupStore& store);
    // Closes the open step. Returns true when the history changed: a new step, or the newest
    // step extended by a merge. A step that changed nothing is dropped (and a merge that
    // brought the area back to the state before the merged step removes that step). A new
    // step clears the redo list.
    bool commit(const TSetupStore& store, int mergeKey = 0);
    // Drops the open step.
    void cancel() { open_.reset(); }
    bool stepOpen() const { return open_.has_value(); }
    // The newest step takes no more merges.
    void seal();

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    size_t undoCount() const { return undo_.size(); }
    size_t redoCount() const { return redo_.size(); }

    // Undo: the newest step's "before" written back; returns its place. Nothing when there is
    // no step (or a step is open).
    std::optional<TUndoPlace> undo(TSetupStore& store);
    // Redo: the step undone last written again; returns its place.
    std::optional<TUndoPlace> redo(TSetupStore& store);

    // Forgets every step (the store was replaced wholesale: a file opened, a reset, a setup
    // received, the options committed).
    void clear();

private:
    struct Step {
        TUndoPlace place;
        TAreaSnapshot before;
        TAreaSnapshot after;
        int mergeKey = 0;
    };
    struct Open {
        TUndoPlace place;
        TAreaSnapshot before;
    };
    size_t limit_;
    std::deque<Step> undo_;
    std::deque<Step> redo_;
    std::optional<Open> open_;
};

}  // namespace zep4
