#include "editor/undo_history.h"

#include <cstring>

#include "setup/setup_store.h"

namespace zep4 {
namespace {

bool validPlace(const TUndoPlace& p) {
    return p.timeZone >= 0 && p.timeZone < kTimeZones && p.camera >= 0 && p.camera < kCameras && p.area >= 0 &&
           p.area < kAreas;
}

}  // namespace

TAreaSnapshot TAreaSnapshot::Take(const TSetupStore& store, const TUndoPlace& place) {
    TAreaSnapshot s;
    const TCameraSetup& camera = store.camera(place.timeZone, place.camera);
    s.area = camera.Areas[place.area];
    s.geometry = camera.Geometry[place.area];
    s.channelActive = camera.ChannelActive;
    s.personDetection = store.PersonSetup[place.timeZone][place.camera].PersonDetection[place.area];
    return s;
}

void TAreaSnapshot::restore(TSetupStore& store, const TUndoPlace& place) const {
    TCameraSetup& camera = store.camera(place.timeZone, place.camera);
    camera.Areas[place.area] = area;
    camera.Geometry[place.area] = geometry;
    camera.ChannelActive = channelActive;
    store.PersonSetup[place.timeZone][place.camera].PersonDetection[place.area] = personDetection;
}

bool TAreaSnapshot::sameBytes(const TAreaSnapshot& other) const {
    return std::memcmp(&area, &other.area, sizeof area) == 0 &&
           std::memcmp(&geometry, &other.geometry, sizeof geometry) == 0 && channelActive == other.channelActive &&
           personDetection == other.personDetection;
}

TUndoHistory::TUndoHistory(size_t limit) : limit_(limit < 1 ? 1 : limit) {}

void TUndoHistory::begin(const TSetupStore& store) {
    const TUndoPlace place{store.CurrentTimeZone, store.CurrentCamera, store.CurrentArea};
    if (!validPlace(place)) {
        open_.reset();
        return;
    }
    open_ = Open{place, TAreaSnapshot::Take(store, place)};
}

bool TUndoHistory::commit(const TSetupStore& store, int mergeKey) {
    if (!open_) return false;
    const Open open = *open_;
    open_.reset();
    const TAreaSnapshot after = TAreaSnapshot::Take(store, open.place);
    if (after.sameBytes(open.before)) return false;

    if (mergeKey != 0 && !undo_.empty() && undo_.back().mergeKey == mergeKey && undo_.back().place == open.place &&
        undo_.back().after.sameBytes(open.before)) {
        Step& top = undo_.back();
        top.after = after;
        // Dragged back to where it started: the step undoes nothing any more.
        if (top.after.sameBytes(top.before)) undo_.pop_back();
        redo_.clear();
        return true;
    }
    undo_.push_back(Step{open.place, open.before, after, mergeKey});
    while (undo_.size() > limit_) undo_.pop_front();
    redo_.clear();
    return true;
}

void TUndoHistory::seal() {
    if (!undo_.empty()) undo_.back().mergeKey = 0;
}

std::optional<TUndoPlace> TUndoHistory::undo(TSetupStore& store) {
    if (open_ || undo_.empty()) return std::nullopt;
    Step step = undo_.back();
    undo_.pop_back();
    step.before.restore(store, step.place);
    step.mergeKey = 0;
    const TUndoPlace place = step.place;
    redo_.push_back(step);
    return place;
}

std::optional<TUndoPlace> TUndoHistory::redo(TSetupStore& store) {
    if (open_ || redo_.empty()) return std::nullopt;
    Step step = redo_.back();
    redo_.pop_back();
    step.after.restore(store, step.place);
    const TUndoPlace place = step.place;
    undo_.push_back(step);
    return place;
}

void TUndoHistory::clear() {
    undo_.clear();
    redo_.clear();
    open_.reset();
}

}  // namespace zep4
