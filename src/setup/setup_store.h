// The whole setup of one sensor as the program holds it in memory.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/picture.h"
#include "setup/records.h"

namespace zep4 {

constexpr int kDeviceImageWords = 100000;
constexpr uint8_t kProgramVersionMajor = 3;
constexpr uint8_t kProgramVersionMinor = 3;
constexpr uint8_t kProgramVersionSub = 0;

using TDeviceImage = std::vector<int32_t>;

// "V" + major + "." + minor + sub, e.g. "V3.30".
std::string MakeVersionText(uint8_t major, uint8_t minor, uint8_t sub);

class TSetupStore {
public:
    TSetupStore();

    int32_t CurrentCamera = 0;
    int32_t CurrentTimeZone = 0;
    int32_t CurrentArea = 0;
    std::string StartDirectory;
    std::array<TTimeZoneBlock, kTimeZones> TimeZoneBlocks{};
    TGlobalSetup Global{};
    TAlarmLanSetup AlarmLan{};
    TVdsSetup Vds{};
    TPersonSetup PersonSetup[kTimeZones][kCameras]{};
    std::array<TDeviceImage, kCameras> TxImage;
    TDeviceImage TxGlobalImage;
    std::array<TDeviceImage, kCameras> RxImage;
    TDeviceImage RxGlobalImage;
    TFileHeader FileHeader{};
    std::string VersionText;
    std::array<TPicture, kCameras> CameraPicture;

    TCameraSetup& camera(int timeZone, int camera) { return TimeZoneBlocks[timeZone].Camera[camera]; }
    const TCameraSetup& camera(int timeZone, int camera) const { return TimeZoneBlocks[timeZone].Camera[camera]; }
    TCameraSetup& currentCamera() { return camera(CurrentTimeZone, CurrentCamera); }
    TAreaSetup& currentArea() { return currentCamera().Areas[CurrentArea]; }
};

static_assert(sizeof(TSetupStore::PersonSetup) == 144);

}  // namespace zep4
