// Shared helpers of the editor model tests: a store on the heap with a chosen selection, and
// cell sets written out as (column, row) pairs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "editor/cell_tools.h"
#include "setup/setup_store.h"

namespace zep4::test {

using CellSet = std::set<std::pair<int, int>>;  // (column, row)

// Columns c0..c1 x rows r0..r1, both inclusive.
inline CellSet Block(int c0, int c1, int r0, int r1) {
    CellSet s;
    for (int c = c0; c <= c1; ++c)
        for (int r = r0; r <= r1; ++r) s.insert({c, r});
    return s;
}

inline CellSet SetCellsOf(const TCellGrid& grid) {
    CellSet s;
    for (int c = 0; c < kCellColumns; ++c)
        for (int r = 0; r < kCellRows; ++r)
            if (grid.at(r, c) != 0) s.insert({c, r});
    return s;
}

inline std::string Describe(const CellSet& s) {
    std::ostringstream out;
    out << s.size() << " cells:";
    int shown = 0;
    for (const auto& [c, r] : s) {
        if (++shown > 40) {
            out << " ...";
            break;
        }
        out << " (" << c << "," << r << ")";
    }
    return out.str();
}

// Compares two cell sets and names the cells that differ.
inline ::testing::AssertionResult SameCells(const CellSet& actual, const CellSet& expected) {
    CellSet missing, extra;
    for (const auto& cell : expected)
        if (!actual.count(cell)) missing.insert(cell);
    for (const auto& cell : actual)
        if (!expected.count(cell)) extra.insert(cell);
    if (missing.empty() && extra.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "missing " << Describe(missing) << "; unexpected " << Describe(extra);
}

class EditorStore : public ::testing::Test {
protected:
    std::unique_ptr<TSetupStore> owned = std::make_unique<TSetupStore>();
    TSetupStore& store = *owned;

    void select(int timeZone, int camera, int area) {
        store.CurrentTimeZone = timeZone;
        store.CurrentCamera = camera;
        store.CurrentArea = area;
    }
    TAreaSetup& area(int timeZone, int camera, int area) { return store.camera(timeZone, camera).Areas[area]; }
    TAreaSetup& current() { return store.currentArea(); }
    void setCells(TAreaSetup& a, const CellSet& cells, uint8_t value = 1) {
        for (const auto& [c, r] : cells) a.Cells.at(r, c) = value;
    }
};

}  // namespace zep4::test
