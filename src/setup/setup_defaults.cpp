#include "setup/setup_defaults.h"

#include <algorithm>
#include <cstring>

#include "setup/text1252.h"

namespace zep4 {

void SetDefaultGeometry(TAreaGeometry& g) {
    g.FrontLeft = 13;
    g.FrontTop = 30;
    g.FrontWidth = 10;
    g.FrontHeight = 20;
    g.FrontVolume = 200;
    g.FrontMinVolume = 59;
    g.FrontMaxVolume = 500;
    g.FrontSensitivityIndex = 5;
    g.BackLeft = 50;
    g.BackTop = 8;
    g.BackWidth = 5;
    g.BackHeight = 10;
    g.BackVolume = 50;
    g.BackMinVolume = 14;
    g.BackMaxVolume = 125;
    g.BackSensitivityIndex = 6;
}

void SetDefaultCameraName(TCameraSetup& camera, const std::string& cameraWord, int cameraIndex) {
    const std::string name = utf8ToCp1252(cameraWord) + " " + std::to_string(cameraIndex + 1);
    std::memset(camera.CameraName, 0, sizeof camera.CameraName);
    std::memcpy(camera.CameraName, name.data(), std::min(name.size(), sizeof camera.CameraName - 1));
}

namespace {

void resetMonitor(TSabotageMonitor& m) {
    m.Enabled = 0;
    m.SendString = 0;
    m.SwitchSabotageRelay = 1;
    m.ChannelAlarm = 0;
    m.Deviation = 128;
}

void resetArea(TAreaSetup& area) {
    std::memset(area.Cells.Cell, 0, sizeof area.Cells.Cell);
    area.CellCount = 0;
    area.MaxCells = 0;
    area.ObjectDetection = 1;
    area.MinCells = 1;
    area.ResetTimeIndex = 0;
    area.SensitivityIndex = 5;
    std::fill(std::begin(area.reserved6500), std::end(area.reserved6500), 0);
    area.MaxTimeoutIndex = 0;
    area.ReferenceArea = 0;
    area.SwitchRelay = 0;
    area.InterpretContact = 0;
    area.AreaWatchdog = 0;
    area.DetectionCountIndex = 1;
    area.PerspectiveMode = 0;
    area.VerticalPerspective = 0;
}

void resetCamera(TSetupStore& store, int tz, int cam, const std::string& cameraWord) {
    TCameraSetup& c = store.camera(tz, cam);
    c.ChannelActive = 1;
    SetDefaultCameraName(c, cameraWord, cam);
    c.RetriggerRelay = 1;
    c.CameraResetTimeIndex = 0;
    c.DirectionMask[0] = 0;
    c.DirectionMask[1] = 0;
    c.BinaryFilter = 1;
    c.TraceFilter = 1;
    c.SpeedIndex = 0;
    c.MaxObjects = 32;
    c.BindingIndex = 1;
    c.ProfileMode = 0;
    c.CameraWatchdog = 0;
    c.reserved26308 = 0;
    c.DisturbanceSize = 50;
    c.PerspectiveActive = 0;
    c.InterpretObjectDimensions = 1;
    c.StatisticDecay = 80;
    c.AspectRatio = 0;
    c.reserved26616 = -1;
    c.Morphing = 0;
    c.EdgeZone = 0;
    c.InputContactMode = 0;
    c.StatisticsOn = 0;

    TPersonSetup& p = store.PersonSetup[tz][cam];
    p.PersonFlagA = 0;
    p.PersonFlagB = 0;
    p.PersonContour = 40;
    p.Contrast = 1;
    p.ShadowFilter = 0;
    std::fill(std::begin(p.PersonDetection), std::end(p.PersonDetection), 0);

    TGlobalSetup& g = store.Global;
    resetMonitor(g.SignalCharacteristic[cam]);
    resetMonitor(g.SignalLevel[cam]);
    resetMonitor(g.VideoLoss[cam]);
    std::fill(std::begin(g.Dome[cam].BoxPreset), std::end(g.Dome[cam].BoxPreset), 0);
    for (int i = 0; i < kSabotageStringSize; ++i) g.sabotageByte(cam, i) = 255;
    g.SabotageStringLength[cam] = 0;

    for (auto& logic : c.Logic) logic = TLogicInput{0, 0};
    for (auto* s : {&c.AlarmOnString[0], &c.AlarmOnString[1], &c.AlarmOffString[0], &c.AlarmOffString[1]})
        *s = TAlarmString{};
    std::fill(std::begin(c.SendString), std::end(c.SendString), 0);

    for (int a = 0; a < kAreas; ++a) {
        resetArea(c.Areas[a]);
        SetDefaultGeometry(c.Geometry[a]);
    }
    c.Areas[0].SwitchRelay = 1;
}

void copyText(char* field, size_t size, const char* text) {
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

}  // namespace

void ResetSetupRecords(TSetupStore& store, const std::string& cameraWord) {
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam) resetCamera(store, tz, cam, cameraWord);

    TGlobalSetup& g = store.Global;
    g.AlarmViaRs232 = g.AlarmViaRs485 = g.AlarmViaLan = 0;
    g.SabotageViaRs232 = g.SabotageViaRs485 = g.SabotageViaLan = 0;
    g.SendPeriodically = 0;
    g.Rs232BaudIndex = 3;
    g.Rs232ParityIndex = 0;
    g.Rs232DataBitsIndex = 4;
    g.Rs232TwoStopBits = 0;
    g.Rs232RtsCts = g.Rs232DtrDsr = g.Rs232XonXoff = 0;
    g.Rs485BaudIndex = 3;
    g.Rs485ParityIndex = 0;
    g.Rs485DataBitsIndex = 4;
    const uint8_t host[4] = {192, 168, 1, 111};
    std::memcpy(g.AlarmHostAddress, host, 4);

    for (auto& dome : g.Dome) {
        dome.CountdownIndex = 1;
        dome.DomeAddress = 1;
        dome.HomePosition = 0;
        dome.TrackingOn = 0;
    }

    std::memset(g.WeekPlan[0], 255, kWeekPlanBytes);
    for (int z = 1; z < kTimeZones; ++z) std::memset(g.WeekPlan[z], 0, kWeekPlanBytes);
    std::memset(g.SpecialDays, 0, sizeof g.SpecialDays);
    g.EvaluateTwilightSwitch = 0;
    g.GlobalRelayBreakContact = 0;
    std::fill(std::begin(g.ClearStatistics), std::end(g.ClearStatistics), 0);

    copyText(g.AlarmHostName, sizeof g.AlarmHostName, "");
    g.AlarmHostPort = 80;
    copyText(g.AlarmHostPass, sizeof g.AlarmHostPass, "halda");

    store.AlarmLan = TAlarmLanSetup{{192, 168, 1, 255}, {0, 80}, {255, 255, 255, 0}, {'V', 'i', 'd', 'e', 'o'}};
    store.Vds = TVdsSetup{};

    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam) {
            TAreaSetup& area = store.camera(tz, cam).Areas[0];
            std::memset(area.Cells.Cell, 1, sizeof area.Cells.Cell);
            area.MaxCells = kCellsPerGrid;
            area.CellCount = kCellsPerGrid;
        }

    store.CurrentTimeZone = 0;
    store.CurrentCamera = 0;
    store.CurrentArea = 0;
}

}  // namespace zep4
