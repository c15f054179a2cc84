// The sensor's word images of the setup: the exact word positions and values the encoders
// write, the decoders' repair of bad words, and round trips through the images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/device_image.h"
#include "setup/setup_defaults.h"

using namespace zep4;

namespace {


struct WordValue {
    int word;
    int32_t value;
};

void expectWords(const TDeviceImage& image, const std::vector<WordValue>& words) {
    for (const auto& [word, value] : words) EXPECT_EQ(image[word], value) << "word " << word;
}

// Everything the images carry, as raw bytes, to show what a decoder left alone.
struct TRecords {
    std::array<TTimeZoneBlock, kTimeZones> zones;
    TGlobalSetup global;
    TAlarmLanSetup alarmLan;
    TVdsSetup vds;
    TPersonSetup person[kTimeZones][kCameras];
};

std::unique_ptr<TRecords> snapshot(const TSetupStore& s) {
    auto r = std::make_unique<TRecords>();
    r->zones = s.TimeZoneBlocks;
    r->global = s.Global;
    r->alarmLan = s.AlarmLan;
    r->vds = s.Vds;
    std::memcpy(r->person, s.PersonSetup, sizeof r->person);
    return r;
}

// The records of a fresh setup, made once.
const TRecords& defaultRecords() {
    static const std::unique_ptr<TRecords> records = [] {
        auto store = std::make_unique<TSetupStore>();
        ResetSetupRecords(*store, "Camera");
        return snapshot(*store);
    }();
    return *records;
}

// Puts a store back into its fresh state: default records and all-zero images. Cheaper than a
// new store, whose images and pictures cost far more to allocate than a case costs to run.
void reset(TSetupStore& s) {
    const TRecords& r = defaultRecords();
    s.TimeZoneBlocks = r.zones;
    s.Global = r.global;
    s.AlarmLan = r.alarmLan;
    s.Vds = r.vds;
    std::memcpy(s.PersonSetup, r.person, sizeof s.PersonSetup);
    for (TDeviceImage* image : {&s.TxImage[0], &s.TxImage[1], &s.TxImage[2], &s.TxImage[3], &s.TxGlobalImage,
                                &s.RxImage[0], &s.RxImage[1], &s.RxImage[2], &s.RxImage[3], &s.RxGlobalImage})
        image->assign(kDeviceImageWords, 0);
}

std::unique_ptr<TSetupStore> freshStore() {
    auto store = std::make_unique<TSetupStore>();
    reset(*store);
    return store;
}

template <typename T>
bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Puts a marker into every field a decoder must not touch.
void markUntouchables(TSetupStore& s) {
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam) {
            TCameraSetup& c = s.camera(tz, cam);
            std::snprintf(c.CameraName, sizeof c.CameraName, "Keep %d/%d", tz, cam);
            c.reserved26267 = 0x67;
            c.reserved26306[0] = 0x06;
            c.reserved26306[1] = 0x07;
            c.reserved26308 = 26308;
            c.reserved26325[0] = c.reserved26325[1] = c.reserved26325[2] = 0x25;
            c.reserved26616 = -26616;
            for (int a = 0; a < kAreas; ++a) {
                TAreaSetup& area = c.Areas[a];
                area.CellCount = 1000 + tz * 16 + cam * 4 + a;
                for (int i = 0; i < 9; ++i) area.reserved6500[i] = 6500 + i;
                area.reserved6541[0] = area.reserved6541[1] = area.reserved6541[2] = 0x41;
                area.reserved6550[0] = area.reserved6550[1] = 0x50;
                area.reserved6559 = 0x59;
                c.Geometry[a].reserved8 = 808;
                c.Geometry[a].reserved17 = 1717;
            }
        }
    s.Global.reserved7 = 7;
    s.Global.reserved27 = 27;
    std::memset(s.Global.reserved40, 0x40, sizeof s.Global.reserved40);
    s.Global.reserved462[0] = s.Global.reserved462[1] = 0x62;
    for (auto& d : s.Global.Dome) d.reserved13[0] = d.reserved13[1] = d.reserved13[2] = 0x13;
    std::memset(s.Global.reserved4889, 0x89, sizeof s.Global.reserved4889);
    s.Global.AlarmHostName[15] = 'N';
    s.Global.AlarmHostPass[5] = s.Global.AlarmHostPass[6] = s.Global.AlarmHostPass[7] = 'P';
    for (int c = 0; c < kCameras; ++c) s.Global.VideoLoss[c].Deviation = 900 + c;
}

void expectUntouchablesKept(const TSetupStore& got, const TRecords& before) {
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam) {
            SCOPED_TRACE("time zone " + std::to_string(tz) + " camera " + std::to_string(cam));
            const TCameraSetup& c = got.camera(tz, cam);
            const TCameraSetup& b = before.zones[tz].Camera[cam];
            EXPECT_TRUE(sameBytes(c.CameraName, b.CameraName));
            EXPECT_EQ(c.reserved26267, b.reserved26267);
            EXPECT_TRUE(sameBytes(c.reserved26306, b.reserved26306));
            EXPECT_EQ(c.reserved26308, b.reserved26308);
            EXPECT_TRUE(sameBytes(c.reserved26325, b.reserved26325));
            EXPECT_EQ(c.reserved26616, b.reserved26616);
            for (int a = 0; a < kAreas; ++a) {
                EXPECT_EQ(c.Areas[a].CellCount, b.Areas[a].CellCount);
                EXPECT_TRUE(sameBytes(c.Areas[a].reserved6500, b.Areas[a].reserved6500));
                EXPECT_TRUE(sameBytes(c.Areas[a].reserved6541, b.Areas[a].reserved6541));
                EXPECT_TRUE(sameBytes(c.Areas[a].reserved6550, b.Areas[a].reserved6550));
                EXPECT_EQ(c.Areas[a].reserved6559, b.Areas[a].reserved6559);
                EXPECT_EQ(c.Geometry[a].reserved8, b.Geometry[a].reserved8);
                EXPECT_EQ(c.Geometry[a].reserved17, b.Geometry[a].reserved17);
            }
        }
    const TGlobalSetup& g = got.Global;
    const TGlobalSetup& b = before.global;
    EXPECT_EQ(g.reserved7, b.reserved7);
    EXPECT_EQ(g.reserved27, b.reserved27);
    EXPECT_TRUE(sameBytes(g.reserved40, b.reserved40));
    EXPECT_TRUE(sameBytes(g.reserved462, b.reserved462));
    for (int c = 0; c < kCameras; ++c) {
        EXPECT_TRUE(sameBytes(g.Dome[c].reserved13, b.Dome[c].reserved13));
        EXPECT_EQ(g.VideoLoss[c].Deviation, b.VideoLoss[c].Deviation) << "VideoLoss " << c;
    }
    EXPECT_TRUE(sameBytes(g.reserved4889, b.reserved4889));
    EXPECT_EQ(g.AlarmHostName[15], b.AlarmHostName[15]);
    EXPECT_EQ(std::string(g.AlarmHostPass + 5, 3), std::string(b.AlarmHostPass + 5, 3));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Camera image: encoder

TEST(CameraImageEncode, FreshStoreWords) {
    auto store = freshStore();
    const std::vector<WordValue> expected = {
        // area 1 of time zone 1
        {12960, 1}, {12961, 0}, {12962, 6}, {12963, 0}, {12964, 1}, {12965, 25}, {12966, 80}, {12967, 0},
        {12968, 1}, {12969, 0}, {12970, 0}, {12971, 2}, {12972, 0}, {12973, 0},
        // area 2: no cells, no relay
        {12981, 0}, {12982, 0}, {12984, 0}, {12989, 0},
        // camera words
        {13024, 1}, {13025, 0}, {13026, 1}, {13027, 1}, {13028, 1}, {13029, 1}, {13031, 0}, {13032, 0},
        {13033, 32}, {13034, 1}, {13035, 0}, {13036, 0}, {13037, 0}, {13038, 50}, {13039, 1}, {13040, 80},
        {13041, 0}, {13042, 0}, {13043, 0}, {13044, 0}, {13056, 0}, {13063, 0},
        // geometry of area 1: front centre (18, 40), volumes 59 and 500, sensitivity 6; back centre
        // (53, 13), volumes 14 and 125, sensitivity 7; sizes 10 x 20 and 5 x 10
        {13120, 18}, {13121, 40}, {13122, 0}, {13123, 59}, {13124, 1}, {13125, 244}, {13126, 6},
        {13127, 53}, {13128, 13}, {13129, 0}, {13130, 14}, {13131, 0}, {13132, 125}, {13133, 7},
        {13184, 10}, {13185, 20}, {13186, 5}, {13187, 10},
        // time zone 4 repeats the block 3 x 412 words on
        {14196, 1}, {14198, 6}, {14260, 1}, {14262, 1}, {14269, 32}, {14274, 50}, {14276, 80},
        // person records of time zones 1 and 4
        {14608, 0}, {14609, 0}, {14610, 40}, {14611, 1}, {14612, 0}, {14613, 0}, {14616, 0},
        {14635, 0}, {14637, 40}, {14638, 1},
    };
    for (int cam = 0; cam < kCameras; ++cam) {
        SCOPED_TRACE("camera " + std::to_string(cam));
        EncodeCameraImage(*store, cam);
        const TDeviceImage& image = store->TxImage[cam];
        expectWords(image, expected);
        // area 1 covers the picture, areas 2..4 are empty, in every time zone
        for (int tz = 0; tz < kTimeZones; ++tz)
            for (int a = 0; a < kAreas; ++a) {
                const int base = (tz * 4 + a) * 810;
                const int32_t want = a == 0 ? 255 : 0;
                EXPECT_TRUE(std::all_of(&image[base], &image[base + 810], [&](int32_t w) { return w == want; }))
                    << "grid of time zone " << tz << " area " << a;
            }
    }
}

// Only the words of the layout are written; everything else keeps what the image held.
TEST(CameraImageEncode, WritesOnlyTheLayoutsWords) {
    auto store = freshStore();
    constexpr int32_t kMark = 0x5A5A5A5A;
    store->TxImage[1].assign(kDeviceImageWords, kMark);
    EncodeCameraImage(*store, 1);
    auto unused = [](int word) {
        if (word >= 14644) return true;
        if (word < 12960 || word >= 14608) return false;
        const int k = (word - 12960) % 412;
        if (k < 64) return k % 16 >= 14;                     // area slots: words 14, 15
        if (k == 70 || (k >= 85 && k <= 95)) return true;    // camera words
        if (k >= 104 && k < 160) return true;
        if (k >= 160 && k < 224) return (k - 160) % 16 >= 14;  // geometry slots: words 14, 15
        return false;
    };
    const TDeviceImage& image = store->TxImage[1];
    for (int word = 0; word < kDeviceImageWords; ++word) {
        if (unused(word))
            ASSERT_EQ(image[word], kMark) << "word " << word << " is not part of the layout";
        else
            ASSERT_NE(image[word], kMark) << "word " << word << " was not written";
    }
}

struct AreaEncodeCase {
    const char* name;
    std::function<void(TAreaSetup&)> set;
    std::vector<WordValue> words;
};

// Time zone 2, area 3: words 12960 + 412 + 32 = 13404 on.
TEST(CameraImageEncode, AreaWords) {
    const std::vector<AreaEncodeCase> cases = {
        {"MinCells 300", [](TAreaSetup& a) { a.MinCells = 300; }, {{13407, 1}, {13408, 44}}},
        {"MaxCells 6000", [](TAreaSetup& a) { a.MaxCells = 6000; }, {{13409, 23}, {13410, 112}}},
        {"reset time 120 s", [](TAreaSetup& a) { a.ResetTimeIndex = 10; }, {{13404, 120}}},
        {"reset time 7 s", [](TAreaSetup& a) { a.ResetTimeIndex = 5; }, {{13404, 7}}},
        {"reset index 11 counts as 0", [](TAreaSetup& a) { a.ResetTimeIndex = 11; }, {{13404, 1}}},
        {"reset index -1 counts as 0", [](TAreaSetup& a) { a.ResetTimeIndex = -1; }, {{13404, 1}}},
        {"max timeout off", [](TAreaSetup& a) { a.MaxTimeoutIndex = 0; }, {{13405, 0}}},
        {"max timeout 2 s", [](TAreaSetup& a) { a.MaxTimeoutIndex = 1; }, {{13405, 2}}},
        {"max timeout 120 s", [](TAreaSetup& a) { a.MaxTimeoutIndex = 10; }, {{13405, 120}}},
        {"max timeout index 11 is off", [](TAreaSetup& a) { a.MaxTimeoutIndex = 11; }, {{13405, 0}}},
        {"max timeout index -3 is off", [](TAreaSetup& a) { a.MaxTimeoutIndex = -3; }, {{13405, 0}}},
        {"sensitivity 10", [](TAreaSetup& a) { a.SensitivityIndex = 9; }, {{13406, 10}}},
        {"sensitivity 1", [](TAreaSetup& a) { a.SensitivityIndex = 0; }, {{13406, 1}}},
        {"reference area", [](TAreaSetup& a) { a.ReferenceArea = 1; }, {{13411, 1}}},
        {"any non-zero flag is 1", [](TAreaSetup& a) { a.ReferenceArea = 7; }, {{13411, 1}}},
        {"relay and global relay", [](TAreaSetup& a) { a.SwitchRelay = 2; }, {{13412, 2}}},
        {"interpret contact", [](TAreaSetup& a) { a.InterpretContact = 1; }, {{13413, 1}}},
        {"area watchdog", [](TAreaSetup& a) { a.AreaWatchdog = 1; }, {{13414, 1}}},
        {"1 detection", [](TAreaSetup& a) { a.DetectionCountIndex = 0; }, {{13415, 1}}},
        {"5 detections", [](TAreaSetup& a) { a.DetectionCountIndex = 4; }, {{13415, 5}}},
        {"detection index 5 counts as 0", [](TAreaSetup& a) { a.DetectionCountIndex = 5; }, {{13415, 1}}},
        {"detection index -1 counts as 0", [](TAreaSetup& a) { a.DetectionCountIndex = -1; }, {{13415, 1}}},
        {"horizontal perspective",
         [](TAreaSetup& a) { a.PerspectiveMode = 1, a.VerticalPerspective = 0; }, {{13416, 1}}},
        {"vertical perspective", [](TAreaSetup& a) { a.PerspectiveMode = 1, a.VerticalPerspective = 1; }, {{13416, 2}}},
        {"vertical without perspective",
         [](TAreaSetup& a) { a.PerspectiveMode = 0, a.VerticalPerspective = 1; }, {{13416, 0}}},
        {"area mode", [](TAreaSetup& a) { a.ObjectDetection = 0; }, {{13417, 1}}},
    };
    auto store = freshStore();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset(*store);
        c.set(store->camera(1, 3).Areas[2]);
        EncodeCameraImage(*store, 3);
        expectWords(store->TxImage[3], c.words);
    }
}

struct CameraEncodeCase {
    const char* name;
    std::function<void(TCameraSetup&)> set;
    std::vector<WordValue> words;
};

// Time zone 4: block base 12960 + 3 x 412 = 14196, camera words from 14260.
TEST(CameraImageEncode, CameraWords) {
    const std::vector<CameraEncodeCase> cases = {
        {"channel off", [](TCameraSetup& c) { c.ChannelActive = 0; }, {{14260, 0}}},
        {"speed fast to slow", [](TCameraSetup& c) { c.SpeedIndex = 2; }, {{14261, 2}}},
        {"speed 3 is sent as 0", [](TCameraSetup& c) { c.SpeedIndex = 3; }, {{14261, 0}}},
        {"camera reset 7 s", [](TCameraSetup& c) { c.CameraResetTimeIndex = 5; }, {{14262, 7}}},
        {"camera reset index 12 counts as 0", [](TCameraSetup& c) { c.CameraResetTimeIndex = 12; }, {{14262, 1}}},
        {"camera reset index -7 counts as 0", [](TCameraSetup& c) { c.CameraResetTimeIndex = -7; }, {{14262, 1}}},
        {"no retrigger", [](TCameraSetup& c) { c.RetriggerRelay = 0; }, {{14263, 0}}},
        {"binary filter 3", [](TCameraSetup& c) { c.BinaryFilter = 3; }, {{14264, 3}}},
        {"binary filter 4 is sent as 0", [](TCameraSetup& c) { c.BinaryFilter = 4; }, {{14264, 0}}},
        {"trace filter 4 is sent as 0", [](TCameraSetup& c) { c.TraceFilter = 4; }, {{14265, 0}}},
        {"direction masks",
         [](TCameraSetup& c) { c.DirectionMask[0] = 0x81, c.DirectionMask[1] = 0x7E; }, {{14267, 129}, {14268, 126}}},
        {"MaxObjects 40 is sent as 32", [](TCameraSetup& c) { c.MaxObjects = 40; }, {{14269, 32}}},
        {"MaxObjects 0 is sent as 32", [](TCameraSetup& c) { c.MaxObjects = 0; }, {{14269, 32}}},
        {"MaxObjects 1", [](TCameraSetup& c) { c.MaxObjects = 1; }, {{14269, 1}}},
        {"binding 10", [](TCameraSetup& c) { c.BindingIndex = 10; }, {{14270, 10}}},
        {"binding 11 is sent as 0", [](TCameraSetup& c) { c.BindingIndex = 11; }, {{14270, 0}}},
        {"profile", [](TCameraSetup& c) { c.ProfileMode = 1; }, {{14271, 1}}},
        {"camera watchdog", [](TCameraSetup& c) { c.CameraWatchdog = 1; }, {{14272, 1}}},
        {"statistics on", [](TCameraSetup& c) { c.StatisticsOn = 1; }, {{14273, 1}}},
        {"disturbance 0 is sent as 50", [](TCameraSetup& c) { c.DisturbanceSize = 0; }, {{14274, 50}}},
        {"disturbance 256 is sent as 50", [](TCameraSetup& c) { c.DisturbanceSize = 256; }, {{14274, 50}}},
        {"disturbance 255", [](TCameraSetup& c) { c.DisturbanceSize = 255; }, {{14274, 255}}},
        {"object dimensions off", [](TCameraSetup& c) { c.InterpretObjectDimensions = 0; }, {{14275, 0}}},
        {"statistic decay 0 is sent as 40", [](TCameraSetup& c) { c.StatisticDecay = 0; }, {{14276, 40}}},
        {"statistic decay 255", [](TCameraSetup& c) { c.StatisticDecay = 255; }, {{14276, 255}}},
        {"aspect ratio", [](TCameraSetup& c) { c.AspectRatio = 1; }, {{14277, 1}}},
        {"edge zone", [](TCameraSetup& c) { c.EdgeZone = 1; }, {{14278, 1}}},
        {"morphing", [](TCameraSetup& c) { c.Morphing = 1; }, {{14279, 1}}},
        {"break contact", [](TCameraSetup& c) { c.InputContactMode = 2; }, {{14280, 2}}},
        {"logic source 3, state 2", [](TCameraSetup& c) { c.Logic[2] = {3, 2}; }, {{14294, 243}}},
        {"logic source 7 triggered", [](TCameraSetup& c) { c.Logic[7] = {7, 0}; }, {{14299, 7}}},
        {"logic no source, not triggered", [](TCameraSetup& c) { c.Logic[4] = {0, 1}; }, {{14296, 240}}},
        {"prealarm on string",
         [](TCameraSetup& c) {
             c.AlarmOnString[1].Bytes[0] = 'A', c.AlarmOnString[1].Bytes[1] = 0x1B, c.AlarmOnString[1].Length = 2;
         },
         {{14477, 65}, {14478, 27}, {14479, 0}, {14517, 2}}},
        {"main alarm on string", [](TCameraSetup& c) { c.AlarmOnString[0].Bytes[39] = 0xFE; }, {{14475, 254}}},
        {"prealarm off string end",
         [](TCameraSetup& c) { c.AlarmOffString[1].Bytes[39] = 0xFF, c.AlarmOffString[1].Length = 40; },
         {{14598, 255}, {14599, 40}}},
        {"send main on", [](TCameraSetup& c) { c.SendString[0] = 1; }, {{14600, 1}, {14601, 0}}},
        {"send prealarm 3 off", [](TCameraSetup& c) { c.SendString[7] = 1; }, {{14607, 1}, {14606, 0}}},
    };
    auto store = freshStore();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset(*store);
        c.set(store->camera(3, 0));
        EncodeCameraImage(*store, 0);
        expectWords(store->TxImage[0], c.words);
    }
}

struct GeometryEncodeCase {
    const char* name;
    int tz, area;
    std::function<void(TAreaGeometry&)> set;
    std::vector<WordValue> words;
};

TEST(CameraImageEncode, GeometryWords) {
    // Time zone 1 area 2: front words 13136.., back 13143.., sizes 13188..13191.
    // Time zone 3 area 4: front words 13992.., back 13999.., sizes 14020..14023.
    const std::vector<GeometryEncodeCase> cases = {
        {"left 10 width 5", 0, 1, [](TAreaGeometry& g) { g.FrontLeft = 10, g.FrontWidth = 5; },
         {{13136, 13}, {13188, 5}}},
        {"left 10 width 6", 0, 1, [](TAreaGeometry& g) { g.FrontLeft = 10, g.FrontWidth = 6; },
         {{13136, 13}, {13188, 6}}},
        {"top 7 height 9", 0, 1, [](TAreaGeometry& g) { g.FrontTop = 7, g.FrontHeight = 9; },
         {{13137, 12}, {13189, 9}}},
        {"front volumes", 0, 1, [](TAreaGeometry& g) { g.FrontMinVolume = 300, g.FrontMaxVolume = 6480; },
         {{13138, 1}, {13139, 44}, {13140, 25}, {13141, 80}}},
        {"front sensitivity 10", 0, 1, [](TAreaGeometry& g) { g.FrontSensitivityIndex = 9; }, {{13142, 10}}},
        {"back over the whole width", 0, 1, [](TAreaGeometry& g) { g.BackLeft = 0, g.BackWidth = 90; },
         {{13143, 45}, {13190, 90}}},
        {"back at the bottom", 0, 1, [](TAreaGeometry& g) { g.BackTop = 71, g.BackHeight = 1; },
         {{13144, 72}, {13191, 1}}},
        {"back volumes and sensitivity", 0, 1,
         [](TAreaGeometry& g) { g.BackMinVolume = 255, g.BackMaxVolume = 256, g.BackSensitivityIndex = 0; },
         {{13145, 0}, {13146, 255}, {13147, 1}, {13148, 0}, {13149, 1}}},
        {"time zone 3 area 4", 2, 3,
         [](TAreaGeometry& g) {
             g.FrontLeft = 20, g.FrontTop = 30, g.FrontWidth = 8, g.FrontHeight = 4;
             g.BackLeft = 60, g.BackTop = 2, g.BackWidth = 4, g.BackHeight = 2;
         },
         {{13992, 24}, {13993, 32}, {13999, 62}, {14000, 3}, {14020, 8}, {14021, 4}, {14022, 4}, {14023, 2}}},
    };
    auto store = freshStore();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset(*store);
        c.set(store->camera(c.tz, 2).Geometry[c.area]);
        EncodeCameraImage(*store, 2);
        expectWords(store->TxImage[2], c.words);
    }
}

TEST(CameraImageEncode, PersonWords) {
    // Time zone 3: words 14608 + 2 x 9 = 14626 on.
    auto store = freshStore();
    TPersonSetup& p = store->PersonSetup[2][1];
    p.PersonFlagA = 1;
    p.PersonFlagB = 3;
    p.PersonContour = 100;
    p.Contrast = 2;
    p.ShadowFilter = 1;
    p.PersonDetection[3] = 1;
    EncodeCameraImage(*store, 1);
    expectWords(store->TxImage[1], {{14626, 1}, {14627, 1}, {14628, 100}, {14629, 2}, {14630, 1}, {14631, 0},
                                    {14632, 0}, {14633, 0}, {14634, 1}, {14619, 40}, {14637, 40}});
}

// ---------------------------------------------------------------------------------------------
// Cells

struct CellCase {
    int tz, area, row, column;
    int word, bit;
};

const std::vector<CellCase> kCellCases = {
    {0, 0, 0, 0, 0, 0},         // first cell
    {0, 0, 1, 0, 0, 1},         // next row, next bit
    {0, 0, 8, 0, 1, 0},         // row 8 starts the next word
    {0, 0, 0, 1, 9, 0},         // column 1 starts at sequence position 72
    {0, 0, 71, 0, 8, 7},        // bottom of column 0
    {0, 0, 71, 89, 809, 7},     // last cell of the grid
    {0, 1, 0, 0, 810, 0},       // area 2
    {2, 3, 0, 0, 8910, 0},      // time zone 3 area 4: grid 11
    {2, 3, 8, 1, 8920, 0},
    {3, 3, 71, 89, 12959, 7},   // last word of the cell section
};

TEST(CameraImageCells, EncodedBitPositions) {
    auto store = freshStore();
    for (uint8_t cellValue : {1, 7, 0x80, 0xFF}) {  // any non-zero cell byte is a set cell
        for (const auto& c : kCellCases) {
            SCOPED_TRACE("time zone " + std::to_string(c.tz) + " area " + std::to_string(c.area) + " row " +
                         std::to_string(c.row) + " column " + std::to_string(c.column));
            reset(*store);
            for (int tz = 0; tz < kTimeZones; ++tz)
                for (auto& area : store->camera(tz, 2).Areas) std::memset(area.Cells.Cell, 0, kCellsPerGrid);
            store->camera(c.tz, 2).Areas[c.area].Cells.at(c.row, c.column) = cellValue;
            EncodeCameraImage(*store, 2);
            const TDeviceImage& image = store->TxImage[2];
            for (int w = 0; w < 12960; ++w) ASSERT_EQ(image[w], w == c.word ? (1 << c.bit) : 0) << "word " << w;
        }
    }
}

TEST(CameraImageCells, DecodedBitPositions) {
    auto store = freshStore();
    for (const auto& c : kCellCases) {
        SCOPED_TRACE("word " + std::to_string(c.word) + " bit " + std::to_string(c.bit));
        reset(*store);
        TDeviceImage& image = store->RxImage[1];
        image[c.word] = (1 << c.bit) | 0x7FFFFF00;  // bits above the low byte carry nothing
        DecodeCameraImage(*store, 1);
        for (int tz = 0; tz < kTimeZones; ++tz)
            for (int a = 0; a < kAreas; ++a)
                for (int row = 0; row < kCellRows; ++row)
                    for (int column = 0; column < kCellColumns; ++column) {
                        const bool set = tz == c.tz && a == c.area && row == c.row && column == c.column;
                        ASSERT_EQ(store->camera(tz, 1).Areas[a].Cells.at(row, column), set ? 1 : 0)
                            << tz << "/" << a << " row " << row << " column " << column;
                    }
    }
}

// ---------------------------------------------------------------------------------------------
// Camera image: decoder

struct DecodeCase {
    const char* name;
    std::vector<WordValue> words;
    std::function<int64_t(const TSetupStore&)> field;
    int64_t expected;
    std::function<void(TSetupStore&)> prepare = nullptr;
};

// Camera 2, time zone 2: area 3 at words 13404.., area 4 at 13420.., camera words 13436..,
// geometry of area 1 at 13532.. (front) and 13539.. (back), its sizes at 13596..13599,
// person words 14617... The rest of the image is 0.
TEST(CameraImageDecode, WordsToFields) {
    auto area = [](const TSetupStore& s) -> const TAreaSetup& { return s.camera(1, 1).Areas[2]; };
    auto cam = [](const TSetupStore& s) -> const TCameraSetup& { return s.camera(1, 1); };
    auto geo = [](const TSetupStore& s) -> const TAreaGeometry& { return s.camera(1, 1).Geometry[0]; };
    auto person = [](const TSetupStore& s) -> const TPersonSetup& { return s.PersonSetup[1][1]; };
    // PerspectiveMode and VerticalPerspective of area 3 as two digits
    auto mode = [&](const TSetupStore& s) { return area(s).PerspectiveMode * 10 + area(s).VerticalPerspective; };
    auto setMode = [](int perspective, int vertical) {
        return [=](TSetupStore& s) {
            s.camera(1, 1).Areas[2].PerspectiveMode = static_cast<uint8_t>(perspective);
            s.camera(1, 1).Areas[2].VerticalPerspective = static_cast<uint8_t>(vertical);
        };
    };
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    const std::vector<DecodeCase> cases = {
        {"reset time 7 s", {{13404, 7}}, [&](auto& s) { return area(s).ResetTimeIndex; }, 5},
        {"reset time 120 s", {{13404, 120}}, [&](auto& s) { return area(s).ResetTimeIndex; }, 10},
        {"reset time 6 s is not in the list", {{13404, 6}}, [&](auto& s) { return area(s).ResetTimeIndex; }, 0},
        {"reset time -1", {{13404, -1}}, [&](auto& s) { return area(s).ResetTimeIndex; }, 0},
        {"max timeout off", {{13405, 0}}, [&](auto& s) { return area(s).MaxTimeoutIndex; }, 0},
        {"max timeout 2 s", {{13405, 2}}, [&](auto& s) { return area(s).MaxTimeoutIndex; }, 1},
        {"max timeout 120 s", {{13405, 120}}, [&](auto& s) { return area(s).MaxTimeoutIndex; }, 10},
        {"sensitivity word 12", {{13406, 12}}, [&](auto& s) { return area(s).SensitivityIndex; }, 5},
        {"sensitivity word 11", {{13406, 11}}, [&](auto& s) { return area(s).SensitivityIndex; }, 5},
        {"sensitivity word 10", {{13406, 10}}, [&](auto& s) { return area(s).SensitivityIndex; }, 9},
        {"sensitivity word 0", {{13406, 0}}, [&](auto& s) { return area(s).SensitivityIndex; }, -1},
        {"sensitivity word -3 (signed)", {{13406, -3}}, [&](auto& s) { return area(s).SensitivityIndex; }, -4},
        {"sensitivity lowest word", {{13406, kMin}}, [&](auto& s) { return area(s).SensitivityIndex; }, kMin},
        {"MinCells 1, 44", {{13407, 1}, {13408, 44}}, [&](auto& s) { return area(s).MinCells; }, 300},
        {"MaxCells 25, 80", {{13409, 25}, {13410, 80}}, [&](auto& s) { return area(s).MaxCells; }, 6480},
        {"reference area 1", {{13411, 1}}, [&](auto& s) { return area(s).ReferenceArea; }, 1},
        {"reference area 2 is no", {{13411, 2}}, [&](auto& s) { return area(s).ReferenceArea; }, 0},
        {"switch relay 2", {{13412, 2}}, [&](auto& s) { return area(s).SwitchRelay; }, 2},
        {"interpret contact", {{13413, 1}}, [&](auto& s) { return area(s).InterpretContact; }, 1},
        {"area watchdog", {{13414, 1}}, [&](auto& s) { return area(s).AreaWatchdog; }, 1},
        {"perspective word 1", {{13416, 1}}, mode, 10},
        {"perspective word 2", {{13416, 2}}, mode, 11},
        {"perspective word 0", {{13416, 0}}, mode, 0, setMode(1, 1)},
        {"perspective word 3 changes nothing", {{13416, 3}}, mode, 1, setMode(0, 1)},
        // the camera's perspective flag follows the areas in turn; area 4 is the last
        {"area 4 in perspective", {{13432, 2}}, [&](auto& s) { return cam(s).PerspectiveActive; }, 1},
        {"area 4 not in perspective", {{13432, 0}}, [&](auto& s) { return cam(s).PerspectiveActive; }, 0,
         [](TSetupStore& s) { s.camera(1, 1).PerspectiveActive = 1; }},
        {"unknown perspective keeps the flag", {{13384, 9}, {13400, 9}, {13416, 9}, {13432, 9}},
         [&](auto& s) { return cam(s).PerspectiveActive; }, 7,
         [](TSetupStore& s) { s.camera(1, 1).PerspectiveActive = 7; }},
        {"object detection word 0", {{13417, 0}}, [&](auto& s) { return area(s).ObjectDetection; }, 1},
        {"area mode word 1", {{13417, 1}}, [&](auto& s) { return area(s).ObjectDetection; }, 0},
        {"area mode word 2", {{13417, 2}}, [&](auto& s) { return area(s).ObjectDetection; }, 0},

        {"channel active 1", {{13436, 1}}, [&](auto& s) { return cam(s).ChannelActive; }, 1},
        {"channel active 2 is no", {{13436, 2}}, [&](auto& s) { return cam(s).ChannelActive; }, 0},
        {"speed 3", {{13437, 3}}, [&](auto& s) { return cam(s).SpeedIndex; }, 0},
        {"speed 2", {{13437, 2}}, [&](auto& s) { return cam(s).SpeedIndex; }, 2},
        {"camera reset 30 s", {{13438, 30}}, [&](auto& s) { return cam(s).CameraResetTimeIndex; }, 8},
        {"camera reset 8 s", {{13438, 8}}, [&](auto& s) { return cam(s).CameraResetTimeIndex; }, 0},
        {"retrigger", {{13439, 1}}, [&](auto& s) { return cam(s).RetriggerRelay; }, 1},
        {"binary filter 4", {{13440, 4}}, [&](auto& s) { return cam(s).BinaryFilter; }, 0},
        {"binary filter 3", {{13440, 3}}, [&](auto& s) { return cam(s).BinaryFilter; }, 3},
        {"trace filter 4", {{13441, 4}}, [&](auto& s) { return cam(s).TraceFilter; }, 0},
        {"direction mask 2", {{13444, 200}}, [&](auto& s) { return cam(s).DirectionMask[1]; }, 200},
        {"MaxObjects 33", {{13445, 33}}, [&](auto& s) { return cam(s).MaxObjects; }, 32},
        {"MaxObjects 0 stays", {{13445, 0}}, [&](auto& s) { return cam(s).MaxObjects; }, 0},
        {"binding 11", {{13446, 11}}, [&](auto& s) { return cam(s).BindingIndex; }, 0},
        {"binding 10", {{13446, 10}}, [&](auto& s) { return cam(s).BindingIndex; }, 10},
        {"profile", {{13447, 1}}, [&](auto& s) { return cam(s).ProfileMode; }, 1},
        {"statistics on word 2", {{13449, 2}}, [&](auto& s) { return cam(s).StatisticsOn; }, 1},
        {"disturbance 0", {{13450, 0}}, [&](auto& s) { return cam(s).DisturbanceSize; }, 50},
        {"disturbance 300", {{13450, 300}}, [&](auto& s) { return cam(s).DisturbanceSize; }, 300},
        {"statistic decay 0", {{13452, 0}}, [&](auto& s) { return cam(s).StatisticDecay; }, 40},
        {"statistic decay 300", {{13452, 300}}, [&](auto& s) { return cam(s).StatisticDecay; }, 44},
        {"statistic decay 256", {{13452, 256}}, [&](auto& s) { return cam(s).StatisticDecay; }, 0},
        {"morphing", {{13455, 1}}, [&](auto& s) { return cam(s).Morphing; }, 1},
        {"input contact mode", {{13456, 2}}, [&](auto& s) { return cam(s).InputContactMode; }, 2},
        {"logic 250", {{13468, 250}}, [&](auto& s) { return cam(s).Logic[0].Source * 10 + cam(s).Logic[0].State; }, 101},
        {"logic 240", {{13475, 240}}, [&](auto& s) { return cam(s).Logic[7].Source * 10 + cam(s).Logic[7].State; }, 1},
        {"logic 239", {{13471, 239}}, [&](auto& s) { return cam(s).Logic[3].Source * 10 + cam(s).Logic[3].State; }, 2390},
        {"string byte", {{13612, 0x141}}, [&](auto& s) { return cam(s).AlarmOnString[0].Bytes[0]; }, 0x41},
        {"string length", {{13652, 17}}, [&](auto& s) { return cam(s).AlarmOnString[0].Length; }, 17},
        {"send string 2 is no", {{13776, 2}}, [&](auto& s) { return cam(s).SendString[0]; }, 0},
        {"send string 1", {{13783, 1}}, [&](auto& s) { return cam(s).SendString[7]; }, 1},

        {"centre 100 width 0: width", {{13532, 100}, {13596, 0}}, [&](auto& s) { return geo(s).FrontWidth; }, 8},
        {"centre 100 width 0: left", {{13532, 100}, {13596, 0}}, [&](auto& s) { return geo(s).FrontLeft; }, 41},
        {"width 91", {{13596, 91}}, [&](auto& s) { return geo(s).FrontWidth; }, 8},
        {"centre 13 width 5: left 10.5 truncated", {{13532, 13}, {13596, 5}}, [&](auto& s) { return geo(s).FrontLeft; }, 10},
        {"centre 0 width 5: left -2.5 truncated toward zero", {{13532, 0}, {13596, 5}},
         [&](auto& s) { return geo(s).FrontLeft; }, -2},
        {"height 0", {{13597, 0}}, [&](auto& s) { return geo(s).FrontHeight; }, 16},
        {"height 73", {{13597, 73}}, [&](auto& s) { return geo(s).FrontHeight; }, 16},
        {"centre y 91 height 10: top", {{13533, 91}, {13597, 10}}, [&](auto& s) { return geo(s).FrontTop; }, 59},
        {"centre y 90 height 10: top", {{13533, 90}, {13597, 10}}, [&](auto& s) { return geo(s).FrontTop; }, 85},
        {"volume", {{13596, 6}, {13597, 4}}, [&](auto& s) { return geo(s).FrontVolume; }, 24},
        {"min volume 0", {{13534, 0}, {13535, 0}}, [&](auto& s) { return geo(s).FrontMinVolume; }, 1},
        {"min volume 300", {{13534, 1}, {13535, 44}}, [&](auto& s) { return geo(s).FrontMinVolume; }, 300},
        {"max volume 6481", {{13536, 25}, {13537, 81}}, [&](auto& s) { return geo(s).FrontMaxVolume; }, 6480},
        {"max volume 6480", {{13536, 25}, {13537, 80}}, [&](auto& s) { return geo(s).FrontMaxVolume; }, 6480},
        {"sensitivity word 11", {{13538, 11}}, [&](auto& s) { return geo(s).FrontSensitivityIndex; }, 5},
        {"sensitivity word 10", {{13538, 10}}, [&](auto& s) { return geo(s).FrontSensitivityIndex; }, 9},
        {"sensitivity word 0", {{13538, 0}}, [&](auto& s) { return geo(s).FrontSensitivityIndex; }, -1},
        {"back centre 30 width 4", {{13539, 30}, {13598, 4}}, [&](auto& s) { return geo(s).BackLeft; }, 28},
        {"back centre y 20 height 6", {{13540, 20}, {13599, 6}}, [&](auto& s) { return geo(s).BackTop; }, 17},
        {"back sensitivity", {{13545, 7}}, [&](auto& s) { return geo(s).BackSensitivityIndex; }, 6},

        {"person flag A word 2", {{14617, 2}}, [&](auto& s) { return person(s).PersonFlagA; }, 1},
        {"person flag B", {{14618, 1}}, [&](auto& s) { return person(s).PersonFlagB; }, 1},
        {"person contour 101", {{14619, 101}}, [&](auto& s) { return person(s).PersonContour; }, 40},
        {"person contour 100", {{14619, 100}}, [&](auto& s) { return person(s).PersonContour; }, 100},
        {"contrast 3", {{14620, 3}}, [&](auto& s) { return person(s).Contrast; }, 1},
        {"contrast 2", {{14620, 2}}, [&](auto& s) { return person(s).Contrast; }, 2},
        {"contrast -1", {{14620, -1}}, [&](auto& s) { return person(s).Contrast; }, 1},
        {"shadow filter 2", {{14621, 2}}, [&](auto& s) { return person(s).ShadowFilter; }, 0},
        {"shadow filter 1", {{14621, 1}}, [&](auto& s) { return person(s).ShadowFilter; }, 1},
        {"person detection area 4", {{14625, 5}}, [&](auto& s) { return person(s).PersonDetection[3]; }, 1},
    };
    auto store = freshStore();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset(*store);
        if (c.prepare) c.prepare(*store);
        for (const auto& [word, value] : c.words) store->RxImage[1][word] = value;
        DecodeCameraImage(*store, 1);
        EXPECT_EQ(c.field(*store), c.expected);
    }
}

// The count of detections travels as 1..5. Words 1..5 are indices 0..4, anything else is 0:
// a literal "word > 4 gives 0" would turn 5 detections into 1 on every round trip.
TEST(CameraImageDecode, DetectionCount) {
    auto store = freshStore();
    for (int32_t index = 0; index <= 4; ++index) {
        SCOPED_TRACE(std::to_string(index + 1) + " detections");
        reset(*store);
        for (int tz = 0; tz < kTimeZones; ++tz)
            for (auto& a : store->camera(tz, 0).Areas) a.DetectionCountIndex = index;
        EncodeCameraImage(*store, 0);
        EXPECT_EQ(store->TxImage[0][12971], index + 1);
        EXPECT_EQ(store->TxImage[0][14255], index + 1);  // time zone 4, area 4
        store->RxImage[0] = store->TxImage[0];
        for (int tz = 0; tz < kTimeZones; ++tz)
            for (auto& a : store->camera(tz, 0).Areas) a.DetectionCountIndex = 99;
        DecodeCameraImage(*store, 0);
        for (int tz = 0; tz < kTimeZones; ++tz)
            for (const auto& a : store->camera(tz, 0).Areas) EXPECT_EQ(a.DetectionCountIndex, index);
    }
    const std::vector<WordValue> words = {{0, 0}, {1, 0}, {2, 1}, {4, 3}, {5, 4}, {6, 0}, {255, 0}, {-1, 0}};
    for (const auto& [word, index] : words) {
        reset(*store);
        store->RxImage[3][12971] = word;
        DecodeCameraImage(*store, 3);
        EXPECT_EQ(store->camera(0, 3).Areas[0].DetectionCountIndex, index) << "word " << word;
    }
}

// ---------------------------------------------------------------------------------------------
// Camera image: round trip

namespace {

// A setup in which every field the image carries differs from the defaults and from the other
// time zones and areas. Rectangles have even sizes, so their corners survive.
void changeEveryCameraField(TSetupStore& s, int cam) {
    std::mt19937 rng(20240 + cam);
    for (int tz = 0; tz < kTimeZones; ++tz) {
        TCameraSetup& c = s.camera(tz, cam);
        for (int a = 0; a < kAreas; ++a) {
            const int n = tz * 4 + a;
            TAreaSetup& area = c.Areas[a];
            for (auto& cell : area.Cells.Cell) cell = (rng() % 3 == 0) ? 1 : 0;
            area.MaxCells = 1000 + n * 300;
            area.MinCells = 3 + n * 17;
            area.ResetTimeIndex = (n + 1) % 11;
            area.SensitivityIndex = (n + 2) % 10;
            area.MaxTimeoutIndex = (n + 3) % 11;
            area.ReferenceArea = n % 2;
            area.SwitchRelay = n % 3;
            area.InterpretContact = (n + 1) % 2;
            area.AreaWatchdog = n % 2;
            area.DetectionCountIndex = (n + 2) % 5;
            area.ObjectDetection = (n / 2) % 2;
            area.PerspectiveMode = (n % 3) != 0;
            area.VerticalPerspective = area.PerspectiveMode && n % 3 == 2;

            TAreaGeometry& g = c.Geometry[a];
            g.FrontLeft = 2 + n;
            g.FrontTop = 3 + n;
            g.FrontWidth = 2 * (n + 1);
            g.FrontHeight = 2 * (n + 2);
            g.FrontVolume = g.FrontWidth * g.FrontHeight;
            g.FrontMinVolume = 5 + n;
            g.FrontMaxVolume = 6000 + n;
            g.FrontSensitivityIndex = n % 10;
            g.BackLeft = 40 + n;
            g.BackTop = 1 + n;
            g.BackWidth = 4 + 2 * n;
            g.BackHeight = 6 + 2 * n;
            g.BackVolume = g.BackWidth * g.BackHeight;
            g.BackMinVolume = 300 + n;
            g.BackMaxVolume = 400 + n;
            g.BackSensitivityIndex = (n + 5) % 10;
        }
        c.ChannelActive = tz % 2;
        c.RetriggerRelay = (tz + 1) % 2;
        c.CameraResetTimeIndex = 7 + tz;
        c.DirectionMask[0] = 0x11 << tz;
        c.DirectionMask[1] = 0xF0 >> tz;
        c.BinaryFilter = 3 - tz % 4;
        c.TraceFilter = tz % 4;
        c.SpeedIndex = 2 - tz % 3;
        c.MaxObjects = 5 + tz;
        c.BindingIndex = 6 + tz;
        c.ProfileMode = 1;
        c.AspectRatio = 1;
        c.CameraWatchdog = 1;
        c.DisturbanceSize = 90 + tz;
        c.PerspectiveActive = 0;
        c.InterpretObjectDimensions = 0;
        c.StatisticDecay = static_cast<uint8_t>(200 + tz);
        c.Morphing = 1;
        c.EdgeZone = 1;
        c.StatisticsOn = 1;
        c.InputContactMode = 1 + tz % 2;
        for (int k = 0; k < 2; ++k) {
            for (int i = 0; i < 40; ++i) {
                c.AlarmOnString[k].Bytes[i] = static_cast<uint8_t>(rng());
                c.AlarmOffString[k].Bytes[i] = static_cast<uint8_t>(rng());
            }
            c.AlarmOnString[k].Length = static_cast<uint8_t>(10 + k + tz);
            c.AlarmOffString[k].Length = static_cast<uint8_t>(30 + k + tz);
        }
        for (int k = 0; k < 8; ++k) {
            c.SendString[k] = (k + tz) % 2;
            c.Logic[k] = {(k + tz) % 8, (k + tz) % 3 == 0 ? 1 : 0};
        }

        TPersonSetup& p = s.PersonSetup[tz][cam];
        p.PersonFlagA = 1;
        p.PersonFlagB = tz % 2;
        p.PersonContour = static_cast<uint8_t>(60 + tz);
        p.Contrast = static_cast<uint8_t>(tz % 3);
        p.ShadowFilter = 1;
        for (int a = 0; a < kAreas; ++a) p.PersonDetection[a] = (a + tz) % 2;
    }
}

void expectSameCamera(const TCameraSetup& got, const TCameraSetup& want) {
    for (int a = 0; a < kAreas; ++a) {
        SCOPED_TRACE("area " + std::to_string(a));
        const TAreaSetup& g = got.Areas[a];
        const TAreaSetup& w = want.Areas[a];
        EXPECT_TRUE(sameBytes(g.Cells, w.Cells));
        EXPECT_EQ(g.MaxCells, w.MaxCells);
        EXPECT_EQ(g.MinCells, w.MinCells);
        EXPECT_EQ(g.ResetTimeIndex, w.ResetTimeIndex);
        EXPECT_EQ(g.SensitivityIndex, w.SensitivityIndex);
        EXPECT_EQ(g.MaxTimeoutIndex, w.MaxTimeoutIndex);
        EXPECT_EQ(g.ReferenceArea, w.ReferenceArea);
        EXPECT_EQ(g.SwitchRelay, w.SwitchRelay);
        EXPECT_EQ(g.InterpretContact, w.InterpretContact);
        EXPECT_EQ(g.AreaWatchdog, w.AreaWatchdog);
        EXPECT_EQ(g.DetectionCountIndex, w.DetectionCountIndex);
        EXPECT_EQ(g.ObjectDetection, w.ObjectDetection);
        EXPECT_EQ(g.PerspectiveMode, w.PerspectiveMode);
        EXPECT_EQ(g.VerticalPerspective, w.VerticalPerspective);

        const TAreaGeometry& gg = got.Geometry[a];
        const TAreaGeometry& wg = want.Geometry[a];
        EXPECT_EQ((std::array{gg.FrontLeft, gg.FrontTop, gg.FrontWidth, gg.FrontHeight, gg.FrontVolume,
                              gg.FrontMinVolume, gg.FrontMaxVolume, gg.FrontSensitivityIndex}),
                  (std::array{wg.FrontLeft, wg.FrontTop, wg.FrontWidth, wg.FrontHeight, wg.FrontVolume,
                              wg.FrontMinVolume, wg.FrontMaxVolume, wg.FrontSensitivityIndex}));
        EXPECT_EQ((std::array{gg.BackLeft, gg.BackTop, gg.BackWidth, gg.BackHeight, gg.BackVolume, gg.BackMinVolume,
                              gg.BackMaxVolume, gg.BackSensitivityIndex}),
                  (std::array{wg.BackLeft, wg.BackTop, wg.BackWidth, wg.BackHeight, wg.BackVolume, wg.BackMinVolume,
                              wg.BackMaxVolume, wg.BackSensitivityIndex}));
    }
    EXPECT_EQ(got.ChannelActive, want.ChannelActive);
    EXPECT_EQ(got.RetriggerRelay, want.RetriggerRelay);
    EXPECT_EQ(got.CameraResetTimeIndex, want.CameraResetTimeIndex);
    EXPECT_EQ(got.DirectionMask[0], want.DirectionMask[0]);
    EXPECT_EQ(got.DirectionMask[1], want.DirectionMask[1]);
    EXPECT_EQ(got.BinaryFilter, want.BinaryFilter);
    EXPECT_EQ(got.TraceFilter, want.TraceFilter);
    EXPECT_EQ(got.SpeedIndex, want.SpeedIndex);
    EXPECT_EQ(got.MaxObjects, want.MaxObjects);
    EXPECT_EQ(got.BindingIndex, want.BindingIndex);
    EXPECT_EQ(got.ProfileMode, want.ProfileMode);
    EXPECT_EQ(got.AspectRatio, want.AspectRatio);
    EXPECT_EQ(got.CameraWatchdog, want.CameraWatchdog);
    EXPECT_EQ(got.DisturbanceSize, want.DisturbanceSize);
    EXPECT_EQ(got.InterpretObjectDimensions, want.InterpretObjectDimensions);
    EXPECT_EQ(got.StatisticDecay, want.StatisticDecay);
    EXPECT_EQ(got.Morphing, want.Morphing);
    EXPECT_EQ(got.EdgeZone, want.EdgeZone);
    EXPECT_EQ(got.StatisticsOn, want.StatisticsOn);
    EXPECT_EQ(got.InputContactMode, want.InputContactMode);
    for (int k = 0; k < 2; ++k) {
        EXPECT_TRUE(sameBytes(got.AlarmOnString[k], want.AlarmOnString[k])) << "AlarmOnString " << k;
        EXPECT_TRUE(sameBytes(got.AlarmOffString[k], want.AlarmOffString[k])) << "AlarmOffString " << k;
    }
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(got.SendString[k], want.SendString[k]) << "SendString " << k;
        EXPECT_EQ(got.Logic[k].Source, want.Logic[k].Source) << "Logic " << k;
        EXPECT_EQ(got.Logic[k].State, want.Logic[k].State) << "Logic " << k;
    }
}

}  // namespace

TEST(CameraImageRoundTrip, EveryFieldSurvives) {
    auto source = freshStore();
    changeEveryCameraField(*source, 2);
    EncodeCameraImage(*source, 2);

    auto target = freshStore();
    markUntouchables(*target);
    const auto before = snapshot(*target);
    target->RxImage[2] = source->TxImage[2];
    DecodeCameraImage(*target, 2);

    for (int tz = 0; tz < kTimeZones; ++tz) {
        SCOPED_TRACE("time zone " + std::to_string(tz));
        const TCameraSetup& got = target->camera(tz, 2);
        expectSameCamera(got, source->camera(tz, 2));
        // the last area (n = tz x 4 + 3) decides the camera's perspective flag
        EXPECT_EQ(got.PerspectiveActive, ((tz * 4 + 3) % 3) != 0 ? 1 : 0);
        EXPECT_TRUE(sameBytes(target->PersonSetup[tz][2], source->PersonSetup[tz][2]));
        for (int cam : {0, 1, 3}) {
            EXPECT_TRUE(sameBytes(target->camera(tz, cam), before->zones[tz].Camera[cam])) << "camera " << cam;
            EXPECT_TRUE(sameBytes(target->PersonSetup[tz][cam], before->person[tz][cam])) << "camera " << cam;
        }
    }
    expectUntouchablesKept(*target, *before);
    EXPECT_TRUE(sameBytes(target->Global, before->global));
    EXPECT_TRUE(sameBytes(target->Vds, before->vds));
    EXPECT_TRUE(sameBytes(target->AlarmLan, before->alarmLan));
}

// A rectangle goes out as its rounded centre and its size. The decoder's truncation toward zero
// gives the corner back for corners at 0 or beyond, whatever the size; a corner left of or
// above the picture moves by one cell.
TEST(CameraImageRoundTrip, RectangleCorners) {
    struct Case {
        int32_t corner, size, centre, cornerBack;
    };
    const std::vector<Case> cases = {{10, 5, 13, 10}, {10, 6, 13, 10}, {11, 7, 15, 11}, {20, 3, 22, 20},
                                     {0, 1, 1, 0},    {-3, 3, -1, -2}, {-4, 4, -1, -3}};
    auto store = freshStore();
    for (const auto& c : cases) {
        SCOPED_TRACE("corner " + std::to_string(c.corner) + " size " + std::to_string(c.size));
        reset(*store);
        TAreaGeometry& g = store->camera(0, 0).Geometry[0];
        g.FrontLeft = c.corner;
        g.FrontWidth = c.size;
        g.BackTop = c.corner;
        g.BackHeight = c.size;
        EncodeCameraImage(*store, 0);
        EXPECT_EQ(store->TxImage[0][13120], c.centre);  // front centre column
        EXPECT_EQ(store->TxImage[0][13128], c.centre);  // back centre row
        store->RxImage[0] = store->TxImage[0];
        DecodeCameraImage(*store, 0);
        EXPECT_EQ(g.FrontLeft, c.cornerBack);
        EXPECT_EQ(g.BackTop, c.cornerBack);
    }
}

// ---------------------------------------------------------------------------------------------
// Camera image: bad words and bad arguments

TEST(CameraImageDecode, RandomWordsAreSafe) {
    std::mt19937 rng(4711);
    auto store = freshStore();
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        reset(*store);
        markUntouchables(*store);
        const auto before = snapshot(*store);
        for (int cam = 0; cam < kCameras; ++cam) {
            TDeviceImage& image = store->RxImage[cam];
            for (auto& w : image) {
                switch (round) {
                case 0: w = std::numeric_limits<int32_t>::min(); break;
                case 1: w = std::numeric_limits<int32_t>::max(); break;
                case 2: w = -1; break;
                case 3: w = static_cast<int32_t>(rng() % 512) - 256; break;
                default: w = static_cast<int32_t>(rng()); break;
                }
            }
            DecodeCameraImage(*store, cam);
        }
        expectUntouchablesKept(*store, *before);
        for (int tz = 0; tz < kTimeZones; ++tz)
            for (int cam = 0; cam < kCameras; ++cam) {
                const TCameraSetup& c = store->camera(tz, cam);
                for (int a = 0; a < kAreas; ++a) {
                    const TAreaSetup& area = c.Areas[a];
                    ASSERT_TRUE(std::all_of(std::begin(area.Cells.Cell), std::end(area.Cells.Cell),
                                            [](uint8_t v) { return v <= 1; }));
                    EXPECT_GE(area.ResetTimeIndex, 0);
                    EXPECT_LE(area.ResetTimeIndex, 10);
                    EXPECT_GE(area.MaxTimeoutIndex, 0);
                    EXPECT_LE(area.MaxTimeoutIndex, 10);
                    EXPECT_GE(area.DetectionCountIndex, 0);
                    EXPECT_LE(area.DetectionCountIndex, 4);
                    EXPECT_LE(area.ObjectDetection, 1);
                    EXPECT_LE(area.PerspectiveMode, 1);
                    const TAreaGeometry& g = c.Geometry[a];
                    EXPECT_NE(g.FrontWidth, 0);
                    EXPECT_LE(g.FrontWidth, 90);
                    EXPECT_NE(g.BackHeight, 0);
                    EXPECT_LE(g.BackHeight, 72);
                    EXPECT_LE(g.FrontMaxVolume, 6480);
                    EXPECT_NE(g.BackMinVolume, 0);
                    EXPECT_LE(g.FrontSensitivityIndex, 9);
                }
                EXPECT_GE(c.CameraResetTimeIndex, 0);
                EXPECT_LE(c.CameraResetTimeIndex, 10);
                EXPECT_LE(c.MaxObjects, 32);
                EXPECT_LE(c.SpeedIndex, 2);
                const TPersonSetup& p = store->PersonSetup[tz][cam];
                EXPECT_LE(p.Contrast, 2);
                EXPECT_LE(p.ShadowFilter, 1);
            }
        // and the records so decoded encode again without trouble
        for (int cam = 0; cam < kCameras; ++cam) EncodeCameraImage(*store, cam);
    }
}

TEST(CameraImageDecode, RefusesShortImagesAndBadCameras) {
    auto store = freshStore();
    const auto before = snapshot(*store);
    TDeviceImage shortImage(kCameraImageWords - 1, 1);
    EXPECT_FALSE(DecodeCameraImage(shortImage, 0, *store));
    EXPECT_FALSE(DecodeCameraImage(TDeviceImage{}, 0, *store));
    TDeviceImage full(kCameraImageWords, 1);
    EXPECT_FALSE(DecodeCameraImage(full, 4, *store));
    EXPECT_FALSE(DecodeCameraImage(full, -1, *store));
    store->RxImage[0].clear();
    DecodeCameraImage(*store, 0);
    DecodeCameraImage(*store, 7);
    EXPECT_TRUE(sameBytes(store->TimeZoneBlocks, before->zones));
    EXPECT_TRUE(sameBytes(store->PersonSetup, before->person));
    EXPECT_TRUE(DecodeCameraImage(full, 0, *store));  // exactly the words that carry data is enough
}

TEST(CameraImageEncode, ExplicitImageAndBadCameras) {
    auto store = freshStore();
    TDeviceImage out;  // grows to a full image
    EXPECT_TRUE(EncodeCameraImage(*store, 3, out));
    ASSERT_EQ(out.size(), static_cast<size_t>(kDeviceImageWords));
    EXPECT_EQ(out[13033], 32);
    EXPECT_EQ(out[0], 255);
    TDeviceImage untouched(10, 9);
    EXPECT_FALSE(EncodeCameraImage(*store, 4, untouched));
    EXPECT_EQ(untouched, TDeviceImage(10, 9));
    EncodeCameraImage(*store, -1);  // ignored
    EXPECT_EQ(store->TxImage[0], TDeviceImage(kDeviceImageWords, 0));
    // the store's own form fills TxImage exactly as the explicit form fills its image
    EncodeCameraImage(*store, 3);
    EXPECT_EQ(store->TxImage[3], out);
}

// ---------------------------------------------------------------------------------------------
// Global image

namespace {

void changeEveryGlobalField(TSetupStore& s) {
    TGlobalSetup& g = s.Global;
    g.AlarmViaRs232 = 1;
    g.AlarmViaRs485 = 0;
    g.AlarmViaLan = 1;
    g.SabotageViaRs232 = 1;
    g.SabotageViaRs485 = 1;
    g.SabotageViaLan = 0;
    g.SendPeriodically = 1;
    g.Rs232BaudIndex = 9;
    g.Rs232ParityIndex = 2;
    g.Rs232DataBitsIndex = 1;
    g.Rs232TwoStopBits = 1;
    g.Rs232RtsCts = 1;
    g.Rs232DtrDsr = 0;
    g.Rs232XonXoff = 1;
    g.Rs485BaudIndex = 5;
    g.Rs485ParityIndex = 4;
    g.Rs485DataBitsIndex = 2;
    const uint8_t host[4] = {10, 0, 20, 200};
    std::memcpy(g.AlarmHostAddress, host, 4);
    std::memset(g.AlarmHostName, 0, sizeof g.AlarmHostName);
    std::memcpy(g.AlarmHostName, "alarm.example\xE4z", 15);
    g.AlarmHostPort = 251;
    std::memcpy(g.AlarmHostPass, "geHe1", 5);
    for (int d = 0; d < kSpecialDays; ++d) g.SpecialDays[d] = {static_cast<uint8_t>(d + 1), static_cast<uint8_t>(d % 12 + 1),
                                                                static_cast<uint8_t>(d % 4)};
    for (int z = 0; z < kTimeZones; ++z)
        for (int i = 0; i < kWeekPlanBytes; ++i) g.WeekPlan[z][i] = static_cast<uint8_t>(z * 84 + i);
    g.EvaluateTwilightSwitch = 1;
    for (int c = 0; c < kCameras; ++c) {
        TDomeSetup& d = g.Dome[c];
        d.CountdownIndex = 2 + c;
        d.DomeAddress = 30 + c;
        d.HomePosition = 100 + c;
        d.TrackingOn = c % 2;
        for (int i = 0; i < 256; ++i) d.BoxPreset[i] = (i * 7 + c) % 256;
        for (int i = 0; i < kSabotageStringSize; ++i) g.sabotageByte(c, i) = static_cast<uint8_t>(c * 40 + i);
        g.SabotageStringLength[c] = static_cast<uint8_t>(5 + c);
        for (TSabotageMonitor* m : {&g.SignalCharacteristic[c], &g.SignalLevel[c], &g.VideoLoss[c]}) {
            m->Enabled = 1;
            m->SendString = c % 2;
            m->SwitchSabotageRelay = 0;
            m->ChannelAlarm = 1;
        }
        g.SignalCharacteristic[c].Deviation = 10 + c * 10;
        g.SignalLevel[c].Deviation = 200 + c * 10;
        g.VideoLoss[c].Deviation = 250;
        g.ClearStatistics[c] = 1;
    }
    g.GlobalRelayBreakContact = 1;

    const uint8_t lan[15] = {172, 16, 0, 9, 1, 144, 1, 2, 3, 4, 'A', 'l', 'a', 'r', 'm'};
    std::memcpy(&s.AlarmLan, lan, 15);

    TVdsSetup& v = s.Vds;
    for (int i = 0; i < 16; ++i) {
        v.Active[i] = i % 2;
        v.SendGlobalAlarm[i] = (i / 2) % 2;
        v.SendPrealarm[i] = (i / 4) % 2;
    }
    v.ReceiverType = 2;
    v.BaseAddress[0] = 0x12;
    v.BaseAddress[1] = 0xAB;
    v.BaseAddress[2] = 0xFF;
    v.ClientAddressIndex = 7;
    v.SendSabotage = 1;
}

}  // namespace

TEST(GlobalImageEncode, WordPositions) {
    auto store = freshStore();
    changeEveryGlobalField(*store);
    store->Global.Rs232DtrDsr = 5;  // the handshake bytes go out as they are
    EncodeGlobalImage(*store);
    const TDeviceImage& w = store->TxGlobalImage;
    expectWords(w, {
        {0, 1}, {1, 0}, {2, 1},
        {3, 9}, {4, 2}, {5, 1}, {6, 1},
        {7, 1}, {8, 5}, {9, 1},
        {10, 5}, {11, 2}, {12, 4},                     // RS485: baud, data bits, parity
        {13, 10}, {14, 0}, {15, 20}, {16, 200},        // AlarmHostAddress
        {17, 'a'}, {27, 'p'}, {29, 'e'}, {30, 0xE4}, {31, 'z'},   // AlarmHostName characters 0..14
        {32, 251},
        {33, 'g'}, {34, 'e'}, {35, 'H'}, {36, 'e'}, {37, '1'},
        {38, 1}, {39, 1}, {40, 0}, {80, 15}, {81, 3}, {82, 2},  // SpecialDays[0] and [14]
        {83, 0}, {84, 1}, {166, 83}, {167, 84}, {418, 335 % 256},
        {419, 1},
        {420, 2}, {421, 30}, {422, 100}, {423, 0}, {424, 0}, {425, 7},        // Dome[0]
        {680, 3}, {681, 31}, {682, 101}, {683, 1}, {684, 1},                 // Dome[1]
        {424 + 2 * 260 + 5, 37}, {424 + 3 * 260 + 255, (255 * 7 + 3) % 256},  // BoxPreset
        {1460, 0}, {1460 + 39, 39}, {1500, 5},                               // camera 1's sabotage string
        {1460 + 2 * 41 + 3, 83}, {1460 + 2 * 41 + 40, 7}, {1623, 8},
        {1624, 1}, {1625, 0}, {1626, 0}, {1627, 1}, {1628, 10},              // SignalCharacteristic[0]
        {1643, 40},
        {1644, 1}, {1648, 200}, {1663, 230},                                 // SignalLevel
        {1664, 1}, {1665, 0}, {1666, 0}, {1667, 1},                          // VideoLoss[0]: flags only
        {1676, 1}, {1677, 1}, {1678, 0}, {1679, 1},                          // VideoLoss[3]
        {1680, 1},
        {1681, 1}, {1682, 1}, {1683, 1}, {1684, 1},
        {1685, 1}, {1686, 1}, {1687, 0}, {1688, 1},
        {1792, 172}, {1793, 16}, {1794, 0}, {1795, 9}, {1796, 1}, {1797, 144}, {1798, 1}, {1801, 4},
        {1802, 'A'}, {1806, 'm'},
        {1807, 2}, {1808, 7}, {1809, 0x12}, {1810, 0xAB}, {1811, 0xFF},
        {1812, 0}, {1813, 0}, {1814, 0},                                     // time zone 1 camera 1
        {1815, 1}, {1816, 0}, {1817, 0},                                     // time zone 1 camera 2
        {1812 + 9 * 3, 1}, {1812 + 9 * 3 + 1, 0}, {1812 + 9 * 3 + 2, 0},     // time zone 3 camera 2
        {1812 + 6 * 3, 0}, {1812 + 6 * 3 + 1, 1}, {1812 + 6 * 3 + 2, 1},     // time zone 2 camera 3
        {1857, 1}, {1858, 1}, {1859, 1},                                     // time zone 4 camera 4
        {1860, 1},
    });
}

TEST(GlobalImageEncode, FreshStoreWords) {
    auto store = freshStore();
    EncodeGlobalImage(*store);
    const TDeviceImage& w = store->TxGlobalImage;
    expectWords(w, {{3, 3}, {5, 4}, {10, 3}, {11, 4}, {12, 0}, {13, 192}, {14, 168}, {15, 1}, {16, 111}, {17, 0},
                    {32, 80}, {33, 'h'}, {37, 'a'}, {83, 255}, {166, 255}, {167, 0}, {420, 1}, {421, 1}, {1460, 255},
                    {1499, 255}, {1500, 0}, {1626, 1}, {1628, 128}, {1666, 1}, {1792, 192}, {1795, 255}, {1797, 80},
                    {1798, 255}, {1801, 0}, {1802, 'V'}, {1806, 'o'}});
}

TEST(GlobalImageEncode, WritesOnlyTheLayoutsWords) {
    auto store = freshStore();
    constexpr int32_t kMark = 0x5A5A5A5A;
    store->TxGlobalImage.assign(kDeviceImageWords, kMark);
    EncodeGlobalImage(*store);
    for (int word = 0; word < kDeviceImageWords; ++word) {
        const bool unused = (word >= 1689 && word <= 1791) || word >= 1861;
        if (unused)
            ASSERT_EQ(store->TxGlobalImage[word], kMark) << "word " << word;
        else
            ASSERT_NE(store->TxGlobalImage[word], kMark) << "word " << word;
    }
}

TEST(GlobalImageRoundTrip, EveryFieldSurvives) {
    auto source = freshStore();
    changeEveryGlobalField(*source);
    EncodeGlobalImage(*source);

    auto target = freshStore();
    markUntouchables(*target);
    const auto before = snapshot(*target);
    target->RxGlobalImage = source->TxGlobalImage;
    DecodeGlobalImage(*target);

    const TGlobalSetup& g = target->Global;
    const TGlobalSetup& w = source->Global;
    EXPECT_EQ((std::array{g.AlarmViaRs232, g.AlarmViaRs485, g.AlarmViaLan, g.SabotageViaRs232, g.SabotageViaRs485,
                          g.SabotageViaLan, g.SendPeriodically, g.Rs232RtsCts, g.Rs232DtrDsr, g.Rs232XonXoff,
                          g.EvaluateTwilightSwitch, g.GlobalRelayBreakContact}),
              (std::array{w.AlarmViaRs232, w.AlarmViaRs485, w.AlarmViaLan, w.SabotageViaRs232, w.SabotageViaRs485,
                          w.SabotageViaLan, w.SendPeriodically, w.Rs232RtsCts, w.Rs232DtrDsr, w.Rs232XonXoff,
                          w.EvaluateTwilightSwitch, w.GlobalRelayBreakContact}));
    EXPECT_EQ((std::array{g.Rs232BaudIndex, g.Rs232ParityIndex, g.Rs232DataBitsIndex, g.Rs232TwoStopBits,
                          g.Rs485BaudIndex, g.Rs485ParityIndex, g.Rs485DataBitsIndex, g.AlarmHostPort}),
              (std::array{w.Rs232BaudIndex, w.Rs232ParityIndex, w.Rs232DataBitsIndex, w.Rs232TwoStopBits,
                          w.Rs485BaudIndex, w.Rs485ParityIndex, w.Rs485DataBitsIndex, w.AlarmHostPort}));
    EXPECT_TRUE(sameBytes(g.AlarmHostAddress, w.AlarmHostAddress));
    EXPECT_EQ(std::string(g.AlarmHostName, 15), std::string(w.AlarmHostName, 15));
    EXPECT_EQ(std::string(g.AlarmHostPass, 5), std::string(w.AlarmHostPass, 5));
    EXPECT_TRUE(sameBytes(g.SpecialDays, w.SpecialDays));
    EXPECT_TRUE(sameBytes(g.WeekPlan, w.WeekPlan));
    for (int c = 0; c < kCameras; ++c) {
        SCOPED_TRACE("camera " + std::to_string(c));
        EXPECT_EQ(g.Dome[c].CountdownIndex, w.Dome[c].CountdownIndex);
        EXPECT_EQ(g.Dome[c].DomeAddress, w.Dome[c].DomeAddress);
        EXPECT_EQ(g.Dome[c].HomePosition, w.Dome[c].HomePosition);
        EXPECT_EQ(g.Dome[c].TrackingOn, w.Dome[c].TrackingOn);
        EXPECT_TRUE(sameBytes(g.Dome[c].BoxPreset, w.Dome[c].BoxPreset));
        for (int i = 0; i < kSabotageStringSize; ++i) EXPECT_EQ(g.sabotageByte(c, i), w.sabotageByte(c, i)) << i;
        EXPECT_EQ(g.SabotageStringLength[c], w.SabotageStringLength[c]);
        EXPECT_TRUE(sameBytes(g.SignalCharacteristic[c], w.SignalCharacteristic[c]));
        EXPECT_TRUE(sameBytes(g.SignalLevel[c], w.SignalLevel[c]));
        EXPECT_EQ(g.VideoLoss[c].Enabled, w.VideoLoss[c].Enabled);
        EXPECT_EQ(g.VideoLoss[c].SendString, w.VideoLoss[c].SendString);
        EXPECT_EQ(g.VideoLoss[c].SwitchSabotageRelay, w.VideoLoss[c].SwitchSabotageRelay);
        EXPECT_EQ(g.VideoLoss[c].ChannelAlarm, w.VideoLoss[c].ChannelAlarm);
        EXPECT_EQ(g.VideoLoss[c].Deviation, 900 + c);  // not carried: the target's value stays
        EXPECT_EQ(g.ClearStatistics[c], 0);            // a one-off request, never received back
    }
    EXPECT_TRUE(sameBytes(target->AlarmLan, source->AlarmLan));
    EXPECT_TRUE(sameBytes(target->Vds, source->Vds));
    expectUntouchablesKept(*target, *before);
    EXPECT_TRUE(sameBytes(target->TimeZoneBlocks, before->zones));
    EXPECT_TRUE(sameBytes(target->PersonSetup, before->person));
}

struct GlobalDecodeCase {
    const char* name;
    int word;
    int32_t value;
    std::function<int64_t(const TSetupStore&)> field;
    int64_t expected;
};

TEST(GlobalImageDecode, WordsToFields) {
    const std::vector<GlobalDecodeCase> cases = {
        {"alarm via RS232 word 2", 0, 2, [](auto& s) { return s.Global.AlarmViaRs232; }, 0},
        {"alarm via LAN word 1", 2, 1, [](auto& s) { return s.Global.AlarmViaLan; }, 1},
        {"RTS/CTS word 2", 7, 2, [](auto& s) { return s.Global.Rs232RtsCts; }, 1},
        {"XON/XOFF word -1", 9, -1, [](auto& s) { return s.Global.Rs232XonXoff; }, 1},
        {"RS485 data bits", 11, 3, [](auto& s) { return s.Global.Rs485DataBitsIndex; }, 3},
        {"RS485 parity", 12, 2, [](auto& s) { return s.Global.Rs485ParityIndex; }, 2},
        {"host address byte", 16, 0x1FE, [](auto& s) { return s.Global.AlarmHostAddress[3]; }, 0xFE},
        {"host port", 32, 8080, [](auto& s) { return s.Global.AlarmHostPort; }, 8080},
        {"week plan byte", 418, 0x80, [](auto& s) { return s.Global.WeekPlan[3][83]; }, 0x80},
        {"tracking word 2", 423 + 260, 2, [](auto& s) { return s.Global.Dome[1].TrackingOn; }, 0},
        {"box preset", 424 + 2 * 260 + 5, 44, [](auto& s) { return s.Global.Dome[2].BoxPreset[5]; }, 44},
        {"sabotage byte 3 of camera 3", 1460 + 2 * 41 + 3, 0x33, [](auto& s) { return s.Global.SabotageStringBytes[3 * 4 + 2]; }, 0x33},
        {"sabotage length of camera 4", 1623, 40, [](auto& s) { return s.Global.SabotageStringLength[3]; }, 40},
        {"level deviation of camera 2", 1653, 70, [](auto& s) { return s.Global.SignalLevel[1].Deviation; }, 70},
        {"video loss alarm of camera 4", 1679, 1, [](auto& s) { return s.Global.VideoLoss[3].ChannelAlarm; }, 1},
        {"clear statistics word 1", 1682, 1, [](auto& s) { return s.Global.ClearStatistics[1]; }, 0},
        {"send periodically", 1688, 1, [](auto& s) { return s.Global.SendPeriodically; }, 1},
        {"alarm LAN port low byte", 1797, 0x190, [](auto& s) { return s.AlarmLan.Port[1]; }, 0x90},
        {"receiver type 2", 1807, 2, [](auto& s) { return s.Vds.ReceiverType; }, 2},
        {"receiver type 3", 1807, 3, [](auto& s) { return s.Vds.ReceiverType; }, 0},
        {"client address 7", 1808, 7, [](auto& s) { return s.Vds.ClientAddressIndex; }, 7},
        {"client address 8", 1808, 8, [](auto& s) { return s.Vds.ClientAddressIndex; }, 0},
        {"base address 255", 1809, 255, [](auto& s) { return s.Vds.BaseAddress[0]; }, 255},
        {"base address 256", 1811, 256, [](auto& s) { return s.Vds.BaseAddress[2]; }, 0},
        {"active 1", 1812 + 5 * 3, 1, [](auto& s) { return s.Vds.Active[5]; }, 1},
        {"active 2", 1812 + 5 * 3, 2, [](auto& s) { return s.Vds.Active[5]; }, 0},
        {"global alarm 2", 1813 + 15 * 3, 2, [](auto& s) { return s.Vds.SendGlobalAlarm[15]; }, 0},
        {"prealarm 7", 1814, 7, [](auto& s) { return s.Vds.SendPrealarm[0]; }, 0},
        {"prealarm 1", 1814, 1, [](auto& s) { return s.Vds.SendPrealarm[0]; }, 1},
        {"sabotage 2", 1860, 2, [](auto& s) { return s.Vds.SendSabotage; }, 0},
        {"sabotage 1", 1860, 1, [](auto& s) { return s.Vds.SendSabotage; }, 1},
    };
    auto store = freshStore();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset(*store);
        for (auto& f : store->Global.ClearStatistics) f = 1;
        store->Vds.ReceiverType = store->Vds.ClientAddressIndex = 1;
        store->Vds.BaseAddress[0] = store->Vds.BaseAddress[2] = 9;
        store->Vds.Active[5] = store->Vds.SendGlobalAlarm[15] = store->Vds.SendPrealarm[0] = store->Vds.SendSabotage = 1;
        store->RxGlobalImage[c.word] = c.value;
        DecodeGlobalImage(*store);
        EXPECT_EQ(c.field(*store), c.expected);
    }
}

TEST(GlobalImageDecode, RandomWordsAreSafe) {
    std::mt19937 rng(99);
    auto store = freshStore();
    for (int round = 0; round < 4; ++round) {
        reset(*store);
        markUntouchables(*store);
        const auto before = snapshot(*store);
        for (auto& w : store->RxGlobalImage)
            w = round == 0 ? std::numeric_limits<int32_t>::min() : static_cast<int32_t>(rng());
        DecodeGlobalImage(*store);
        expectUntouchablesKept(*store, *before);
        EXPECT_TRUE(sameBytes(store->TimeZoneBlocks, before->zones));
        for (int c = 0; c < kCameras; ++c) EXPECT_EQ(store->Global.ClearStatistics[c], 0);
        // (copies: the packed block may sit at an odd address, and the macros bind references)
        const TVdsSetup vds = store->Vds;
        const int32_t receiverType = vds.ReceiverType, clientAddress = vds.ClientAddressIndex;
        EXPECT_LT(receiverType, 3);
        EXPECT_LT(clientAddress, 8);
        for (int i = 0; i < 16; ++i) {
            const int32_t active = vds.Active[i];
            EXPECT_LE(active, 1);
        }
        EncodeGlobalImage(*store);
    }
}

TEST(GlobalImageDecode, RefusesShortImages) {
    auto store = freshStore();
    const auto before = snapshot(*store);
    EXPECT_FALSE(DecodeGlobalImage(TGlobalImage(kGlobalImageWords - 1, 1), *store));
    store->RxGlobalImage.resize(100);
    DecodeGlobalImage(*store);
    EXPECT_TRUE(sameBytes(store->Global, before->global));
    EXPECT_TRUE(sameBytes(store->Vds, before->vds));
    EXPECT_TRUE(sameBytes(store->AlarmLan, before->alarmLan));
    TGlobalImage out;
    EncodeGlobalImage(*store, out);
    EXPECT_EQ(out.size(), static_cast<size_t>(kDeviceImageWords));
    EXPECT_TRUE(DecodeGlobalImage(TGlobalImage(out.begin(), out.begin() + kGlobalImageWords), *store));
}

// ---------------------------------------------------------------------------------------------
// The reset time list

TEST(ResetSeconds, ListAndLookup) {
    EXPECT_EQ(kResetSeconds, (std::array<int32_t, 12>{1, 2, 3, 4, 5, 7, 10, 20, 30, 60, 120, 0}));
    const std::vector<WordValue> lookups = {{1, 0}, {2, 1}, {5, 4}, {7, 5}, {10, 6}, {20, 7}, {30, 8}, {60, 9},
                                            {120, 10}, {0, 0}, {6, 0}, {121, 0}, {-1, 0}};
    for (const auto& [seconds, index] : lookups) EXPECT_EQ(ResetIndexOf(seconds), index) << seconds << " s";
}
