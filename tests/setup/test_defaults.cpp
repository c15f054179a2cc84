// Factory state of a fresh setup and of a reset.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "setup/setup_defaults.h"

using namespace zep4;

namespace {

std::unique_ptr<TSetupStore> resetStore(const std::string& cameraWord) {
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, cameraWord);
    return store;
}

int countSet(const TCellGrid& grid) {
    int n = 0;
    for (uint8_t c : grid.Cell) n += c != 0;
    return n;
}

}  // namespace

TEST(Defaults, EveryCameraRecordInEveryTimeZone) {
    auto store = resetStore("Camera");
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam) {
            SCOPED_TRACE("time zone " + std::to_string(tz + 1) + " camera " + std::to_string(cam + 1));
            const TCameraSetup& c = store->camera(tz, cam);
            EXPECT_EQ(c.ChannelActive, 1);
            EXPECT_STREQ(c.CameraName, ("Camera " + std::to_string(cam + 1)).c_str());
            EXPECT_EQ(c.MaxObjects, 32);
            EXPECT_EQ(c.DisturbanceSize, 50);
            EXPECT_EQ(c.StatisticDecay, 80);
            EXPECT_EQ(c.reserved26616, -1);
            for (int a = 0; a < kAreas; ++a) {
                const TAreaSetup& area = c.Areas[a];
                EXPECT_EQ(area.ObjectDetection, 1);
                EXPECT_EQ(area.MinCells, 1);
                EXPECT_EQ(area.SensitivityIndex, 5);
                EXPECT_EQ(area.DetectionCountIndex, 1);
                const int expectedCells = a == 0 ? kCellsPerGrid : 0;
                EXPECT_EQ(countSet(area.Cells), expectedCells);
                EXPECT_EQ(area.CellCount, expectedCells);
                EXPECT_EQ(area.MaxCells, expectedCells);
                EXPECT_EQ(area.SwitchRelay, a == 0 ? 1 : 0);
                const TAreaGeometry& g = c.Geometry[a];
                EXPECT_EQ((std::array{g.FrontLeft, g.FrontTop, g.FrontWidth, g.FrontHeight, g.FrontVolume,
                                      g.FrontMinVolume, g.FrontMaxVolume, g.FrontSensitivityIndex}),
                          (std::array{13, 30, 10, 20, 200, 59, 500, 5}));
                EXPECT_EQ((std::array{g.BackLeft, g.BackTop, g.BackWidth, g.BackHeight, g.BackVolume,
                                      g.BackMinVolume, g.BackMaxVolume, g.BackSensitivityIndex}),
                          (std::array{50, 8, 5, 10, 50, 14, 125, 6}));
            }
            for (const TAlarmString* s : {&c.AlarmOnString[0], &c.AlarmOnString[1], &c.AlarmOffString[0],
                                          &c.AlarmOffString[1]}) {
                EXPECT_EQ(s->Length, 0);
                for (uint8_t b : s->Bytes) ASSERT_EQ(b, 0);
            }
            const TPersonSetup& p = store->PersonSetup[tz][cam];
            EXPECT_EQ(p.PersonContour, 40);
            EXPECT_EQ(p.Contrast, 1);
        }
}

TEST(Defaults, GlobalBlocks) {
    auto store = resetStore("Camera");
    const TGlobalSetup& g = store->Global;
    for (int cam = 0; cam < kCameras; ++cam) {
        EXPECT_EQ(g.SabotageStringLength[cam], 0);
        for (int i = 0; i < kSabotageStringSize; ++i) ASSERT_EQ(g.sabotageByte(cam, i), 255);
        for (const TSabotageMonitor* m : {&g.SignalCharacteristic[cam], &g.SignalLevel[cam], &g.VideoLoss[cam]}) {
            EXPECT_EQ(m->SwitchSabotageRelay, 1);
            EXPECT_EQ(m->Deviation, 128);
            EXPECT_EQ(m->Enabled, 0);
        }
        EXPECT_EQ(g.Dome[cam].CountdownIndex, 1);
        EXPECT_EQ(g.Dome[cam].DomeAddress, 1);
    }
    EXPECT_EQ(g.Rs232BaudIndex, 3);
    EXPECT_EQ(g.Rs232DataBitsIndex, 4);
    EXPECT_EQ(g.AlarmHostAddress[0], 192);
    EXPECT_EQ(g.AlarmHostAddress[3], 111);
    EXPECT_EQ(g.AlarmHostPort, 80);
    EXPECT_STREQ(g.AlarmHostPass, "halda");
    for (int b = 0; b < kWeekPlanBytes; ++b) {
        ASSERT_EQ(g.WeekPlan[0][b], 255);
        for (int z = 1; z < kTimeZones; ++z) ASSERT_EQ(g.WeekPlan[z][b], 0);
    }
    EXPECT_EQ(store->AlarmLan.port(), 80);
    EXPECT_EQ(std::string(store->AlarmLan.AuxText, 5), "Video");
    EXPECT_EQ(store->AlarmLan.Ip[3], 255);
}

TEST(Defaults, CameraNameWithoutLanguageIsBlankAndNumber) {
    auto store = resetStore("");
    EXPECT_STREQ(store->camera(2, 3).CameraName, " 4");
}

TEST(Defaults, LongCameraWordIsCutToTheNameField) {
    auto store = resetStore("Überwachungskameraanlage Nord");  // UTF-8, stored as Windows-1252
    const TCameraSetup& c = store->camera(0, 0);
    EXPECT_EQ(std::strlen(c.CameraName), 24u);
    EXPECT_EQ(static_cast<uint8_t>(c.CameraName[0]), 0xDC);  // 'Ü' in Windows-1252
    EXPECT_EQ(c.CameraName[24], '\0');
}

TEST(Defaults, ResetSelectsFirstCameraTimeZoneAndAreaAndKeepsPictures) {
    auto store = std::make_unique<TSetupStore>();
    store->CurrentCamera = 2;
    store->CurrentTimeZone = 1;
    store->CurrentArea = 3;
    store->CameraPicture[1] = TPicture::Filled(720, 540, 10, 20, 30);
    store->FileHeader.VersionMajor = 2;
    store->camera(1, 2).Areas[3].Cells.at(5, 5) = 1;
    store->camera(1, 2).reserved26267 = 7;  // not touched by a reset
    ResetSetupRecords(*store, "Camera");
    EXPECT_EQ(store->CurrentCamera, 0);
    EXPECT_EQ(store->CurrentTimeZone, 0);
    EXPECT_EQ(store->CurrentArea, 0);
    EXPECT_EQ(store->CameraPicture[1], TPicture::Filled(720, 540, 10, 20, 30));
    EXPECT_EQ(store->FileHeader.VersionMajor, 2);
    EXPECT_EQ(store->camera(1, 2).Areas[3].Cells.at(5, 5), 0);
    EXPECT_EQ(store->camera(1, 2).reserved26267, 7);
}

TEST(Defaults, NewStoreHoldsBlackPicturesAndProgramVersion) {
    TSetupStore store;
    EXPECT_EQ(store.VersionText, "V3.30");
    EXPECT_EQ(store.FileHeader.VersionMajor, 3);
    EXPECT_EQ(store.FileHeader.VersionMinor, 3);
    EXPECT_EQ(store.FileHeader.VersionSub, 0);
    for (const auto& picture : store.CameraPicture) EXPECT_EQ(picture, TPicture::Black(720, 540));
    for (const auto& block : store.TimeZoneBlocks)
        for (const auto& cam : block.Camera)
            for (const auto& area : cam.Areas) ASSERT_EQ(countSet(area.Cells), 0);
}
