// Byte-level checks of the record layouts that the compile-time offsets cannot show: fields
// that are laid out across records in a way a struct member list hides.
#include <gtest/gtest.h>

#include <cstring>

#include "setup/records.h"

using namespace zep4;

TEST(Records, SabotageStringBytesAreInterleavedByCamera) {
    TGlobalSetup g{};
    std::memset(&g, 0, sizeof g);
    const uint8_t text[3] = {'A', 'B', 'C'};
    for (int i = 0; i < 3; ++i) g.sabotageByte(1, i) = text[i];
    g.SabotageStringLength[1] = 3;

    const auto* bytes = reinterpret_cast<const uint8_t*>(&g);
    for (size_t off = 0; off < sizeof g; ++off) {
        uint8_t expected = 0;
        if (off == 4625) expected = 'A';
        if (off == 4629) expected = 'B';
        if (off == 4633) expected = 'C';
        if (off == 4785) expected = 3;
        ASSERT_EQ(bytes[off], expected) << "offset " << off;
    }
}

TEST(Records, AlarmLanPortIsBigEndian) {
    TAlarmLanSetup lan{};
    lan.Port[0] = 1;
    lan.Port[1] = 144;
    EXPECT_EQ(lan.port(), 400);
}

TEST(Records, CellGridIsRowMajor) {
    TAreaSetup area{};
    area.Cells.at(2, 5) = 1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&area);
    EXPECT_EQ(bytes[20 + 2 * 90 + 5], 1);
}
