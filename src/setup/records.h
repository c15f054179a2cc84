// Fixed-layout setup records. These structs are the setup file's and the sensor's byte
// layout: every field sits at the offset the file format gives it, reserved bytes are named
// fields so that copies, saves and transfers carry them unchanged. Plain C++, no Qt.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the setup records are little-endian byte images; a big-endian host needs converters");

namespace zep4 {

constexpr int kCameras = 4;
constexpr int kTimeZones = 4;
constexpr int kAreas = 4;
constexpr int kCellRows = 72;
constexpr int kCellColumns = 90;
constexpr int kCellsPerGrid = kCellRows * kCellColumns;  // 6480
constexpr int kPictureWidth = 720;
constexpr int kPictureHeight = 540;

#pragma pack(push, 1)

// 72 x 90 detection cells, row-major; 0 free, 1 set.
struct TCellGrid {
    uint8_t Cell[kCellsPerGrid];

    uint8_t& at(int row, int column) { return Cell[row * kCellColumns + column]; }
    uint8_t at(int row, int column) const { return Cell[row * kCellColumns + column]; }
};

// Object segment (object mode) or front rectangle (perspective mode), then the back
// rectangle; coordinates in cells.
struct TAreaGeometry {
    int32_t FrontLeft;
    int32_t FrontTop;
    int32_t FrontWidth;
    int32_t FrontHeight;
    int32_t FrontVolume;
    int32_t FrontMinVolume;
    int32_t FrontMaxVolume;
    int32_t FrontSensitivityIndex;
    int32_t reserved8;
    int32_t BackLeft;
    int32_t BackTop;
    int32_t BackWidth;
    int32_t BackHeight;
    int32_t BackVolume;
    int32_t BackMinVolume;
    int32_t BackMaxVolume;
    int32_t BackSensitivityIndex;
    int32_t reserved17;
};

struct TAreaSetup {
    int32_t CellCount;
    int32_t MaxCells;
    int32_t MinCells;
    int32_t ResetTimeIndex;
    int32_t SensitivityIndex;
    TCellGrid Cells;
    int32_t reserved6500[9];
    int32_t MaxTimeoutIndex;
    uint8_t ReferenceArea;
    uint8_t reserved6541[3];
    int32_t SwitchRelay;
    uint8_t InterpretContact;
    uint8_t AreaWatchdog;
    uint8_t reserved6550[2];
    int32_t DetectionCountIndex;
    uint8_t ObjectDetection;
    uint8_t PerspectiveMode;
    uint8_t VerticalPerspective;
    uint8_t reserved6559;
};

// An alarm byte string: the first Length of the 40 bytes are the string.
struct TAlarmString {
    uint8_t Bytes[40];
    uint8_t Length;
};

struct TLogicInput {
    int32_t Source;  // 0 none, 1..4 channel 1..4, 5..7 area 2..4
    int32_t State;   // 0 triggered, 1 not triggered
};

constexpr int kCameraNameSize = 25;  // 24 characters and the terminating zero

struct TCameraSetup {
    TAreaSetup Areas[kAreas];
    uint8_t ChannelActive;
    char CameraName[kCameraNameSize];
    uint8_t RetriggerRelay;
    uint8_t reserved26267;
    int32_t CameraResetTimeIndex;
    int32_t DirectionMask[2];
    int32_t BinaryFilter;
    int32_t TraceFilter;
    int32_t SpeedIndex;
    int32_t MaxObjects;
    int32_t BindingIndex;
    int32_t ProfileMode;
    uint8_t AspectRatio;
    uint8_t CameraWatchdog;
    uint8_t reserved26306[2];
    int32_t reserved26308;
    int32_t DisturbanceSize;
    int32_t PerspectiveActive;
    uint8_t InterpretObjectDimensions;
    uint8_t StatisticDecay;
    uint8_t Morphing;
    uint8_t EdgeZone;
    uint8_t StatisticsOn;
    uint8_t reserved26325[3];
    TAreaGeometry Geometry[kAreas];
    int32_t reserved26616;
    int32_t InputContactMode;
    TAlarmString AlarmOnString[2];
    TAlarmString AlarmOffString[2];
    uint8_t SendString[8];
    TLogicInput Logic[8];
};

struct TTimeZoneBlock {
    TCameraSetup Camera[kCameras];
};

struct TSpecialDay {
    uint8_t Day;  // 0 ends the list
    uint8_t Month;
    uint8_t Zone;
};

struct TDomeSetup {
    int32_t CountdownIndex;
    int32_t DomeAddress;
    int32_t HomePosition;
    uint8_t TrackingOn;
    uint8_t reserved13[3];
    int32_t BoxPreset[256];  // box index = row x 16 + column
};

struct TSabotageMonitor {
    uint8_t Enabled;
    uint8_t SendString;
    uint8_t SwitchSabotageRelay;
    uint8_t ChannelAlarm;
    int32_t Deviation;
};

constexpr int kWeekPlanBytes = 84;  // 7 days x 12 bytes, one bit per quarter hour
constexpr int kSpecialDays = 15;
constexpr int kSabotageStringSize = 40;

struct TGlobalSetup {
    uint8_t AlarmViaRs232;
    uint8_t AlarmViaRs485;
    uint8_t AlarmViaLan;
    uint8_t SabotageViaRs232;
    uint8_t SabotageViaRs485;
    uint8_t SabotageViaLan;
    uint8_t SendPeriodically;
    uint8_t reserved7;
    int32_t Rs232BaudIndex;
    int32_t Rs232ParityIndex;
    int32_t Rs232DataBitsIndex;
    int32_t Rs232TwoStopBits;
    uint8_t Rs232RtsCts;
    uint8_t Rs232DtrDsr;
    uint8_t Rs232XonXoff;
    uint8_t reserved27;
    int32_t Rs485BaudIndex;
    int32_t Rs485ParityIndex;
    int32_t Rs485DataBitsIndex;
    uint8_t reserved40[8];
    uint8_t AlarmHostAddress[4];
    char AlarmHostName[16];
    int32_t AlarmHostPort;
    char AlarmHostPass[8];
    TSpecialDay SpecialDays[kSpecialDays];
    uint8_t WeekPlan[kTimeZones][kWeekPlanBytes];
    uint8_t EvaluateTwilightSwitch;
    uint8_t reserved462[2];
    TDomeSetup Dome[kCameras];
    // Byte i of camera c's sabotage string is at i x 4 + c (interleaved by camera).
    uint8_t SabotageStringBytes[kSabotageStringSize * kCameras];
    uint8_t SabotageStringLength[kCameras];
    TSabotageMonitor SignalCharacteristic[kCameras];
    TSabotageMonitor SignalLevel[kCameras];
    TSabotageMonitor VideoLoss[kCameras];
    uint8_t GlobalRelayBreakContact;
    uint8_t ClearStatistics[kCameras];
    uint8_t reserved4889[3];

    uint8_t& sabotageByte(int camera, int index) { return SabotageStringBytes[index * kCameras + camera]; }
    uint8_t sabotageByte(int camera, int index) const { return SabotageStringBytes[index * kCameras + camera]; }
};

struct TAlarmLanSetup {
    uint8_t Ip[4];
    uint8_t Port[2];  // big-endian
    uint8_t AuxBytes[4];
    char AuxText[5];  // no terminating zero

    int port() const { return Port[0] * 256 + Port[1]; }
};

struct TVdsSetup {
    int32_t Active[kTimeZones * kCameras];  // index tz x 4 + cam
    int32_t ReceiverType;
    int32_t BaseAddress[3];
    int32_t SendGlobalAlarm[kTimeZones * kCameras];
    int32_t SendPrealarm[kTimeZones * kCameras];
    int32_t ClientAddressIndex;
    int32_t SendSabotage;
};

struct TPersonSetup {
    uint8_t PersonFlagA;
    uint8_t PersonFlagB;
    uint8_t PersonContour;
    uint8_t Contrast;
    uint8_t ShadowFilter;
    uint8_t PersonDetection[kAreas];
};

// The 9-byte header of a setup file.
struct TFileHeader {
    uint8_t Year;  // last two decimal digits
    uint8_t Month;
    uint8_t Day;
    uint8_t Hour;
    uint8_t Minute;
    uint8_t Second;
    uint8_t VersionMajor;
    uint8_t VersionMinor;
    uint8_t VersionSub;
};

#pragma pack(pop)

static_assert(sizeof(TCellGrid) == 6480);
static_assert(sizeof(TAreaGeometry) == 72);
static_assert(sizeof(TAreaSetup) == 6560);
static_assert(sizeof(TAlarmString) == 41);
static_assert(sizeof(TLogicInput) == 8);
static_assert(sizeof(TCameraSetup) == 26860);
static_assert(sizeof(TTimeZoneBlock) == 107440);
static_assert(sizeof(TSpecialDay) == 3);
static_assert(sizeof(TDomeSetup) == 1040);
static_assert(sizeof(TSabotageMonitor) == 8);
static_assert(sizeof(TGlobalSetup) == 4892);
static_assert(sizeof(TAlarmLanSetup) == 15);
static_assert(sizeof(TVdsSetup) == 216);
static_assert(sizeof(TPersonSetup) == 9);
static_assert(sizeof(TFileHeader) == 9);

#define ZEP4_AT(type, field, off) static_assert(offsetof(type, field) == (off), #type "::" #field)

ZEP4_AT(TAreaGeometry, BackLeft, 36);
ZEP4_AT(TAreaGeometry, BackSensitivityIndex, 64);
ZEP4_AT(TAreaGeometry, reserved17, 68);

ZEP4_AT(TAreaSetup, CellCount, 0);
ZEP4_AT(TAreaSetup, MaxCells, 4);
ZEP4_AT(TAreaSetup, MinCells, 8);
ZEP4_AT(TAreaSetup, ResetTimeIndex, 12);
ZEP4_AT(TAreaSetup, SensitivityIndex, 16);
ZEP4_AT(TAreaSetup, Cells, 20);
ZEP4_AT(TAreaSetup, reserved6500, 6500);
ZEP4_AT(TAreaSetup, MaxTimeoutIndex, 6536);
ZEP4_AT(TAreaSetup, ReferenceArea, 6540);
ZEP4_AT(TAreaSetup, reserved6541, 6541);
ZEP4_AT(TAreaSetup, SwitchRelay, 6544);
ZEP4_AT(TAreaSetup, InterpretContact, 6548);
ZEP4_AT(TAreaSetup, AreaWatchdog, 6549);
ZEP4_AT(TAreaSetup, reserved6550, 6550);
ZEP4_AT(TAreaSetup, DetectionCountIndex, 6552);
ZEP4_AT(TAreaSetup, ObjectDetection, 6556);
ZEP4_AT(TAreaSetup, PerspectiveMode, 6557);
ZEP4_AT(TAreaSetup, VerticalPerspective, 6558);
ZEP4_AT(TAreaSetup, reserved6559, 6559);

ZEP4_AT(TCameraSetup, Areas, 0);
ZEP4_AT(TCameraSetup, ChannelActive, 26240);
ZEP4_AT(TCameraSetup, CameraName, 26241);
ZEP4_AT(TCameraSetup, RetriggerRelay, 26266);
ZEP4_AT(TCameraSetup, reserved26267, 26267);
ZEP4_AT(TCameraSetup, CameraResetTimeIndex, 26268);
ZEP4_AT(TCameraSetup, DirectionMask, 26272);
ZEP4_AT(TCameraSetup, BinaryFilter, 26280);
ZEP4_AT(TCameraSetup, TraceFilter, 26284);
ZEP4_AT(TCameraSetup, SpeedIndex, 26288);
ZEP4_AT(TCameraSetup, MaxObjects, 26292);
ZEP4_AT(TCameraSetup, BindingIndex, 26296);
ZEP4_AT(TCameraSetup, ProfileMode, 26300);
ZEP4_AT(TCameraSetup, AspectRatio, 26304);
ZEP4_AT(TCameraSetup, CameraWatchdog, 26305);
ZEP4_AT(TCameraSetup, reserved26306, 26306);
ZEP4_AT(TCameraSetup, reserved26308, 26308);
ZEP4_AT(TCameraSetup, DisturbanceSize, 26312);
ZEP4_AT(TCameraSetup, PerspectiveActive, 26316);
ZEP4_AT(TCameraSetup, InterpretObjectDimensions, 26320);
ZEP4_AT(TCameraSetup, StatisticDecay, 26321);
ZEP4_AT(TCameraSetup, Morphing, 26322);
ZEP4_AT(TCameraSetup, EdgeZone, 26323);
ZEP4_AT(TCameraSetup, StatisticsOn, 26324);
ZEP4_AT(TCameraSetup, reserved26325, 26325);
ZEP4_AT(TCameraSetup, Geometry, 26328);
ZEP4_AT(TCameraSetup, reserved26616, 26616);
ZEP4_AT(TCameraSetup, InputContactMode, 26620);
ZEP4_AT(TCameraSetup, AlarmOnString, 26624);
ZEP4_AT(TCameraSetup, AlarmOffString, 26706);
ZEP4_AT(TCameraSetup, SendString, 26788);
ZEP4_AT(TCameraSetup, Logic, 26796);

ZEP4_AT(TGlobalSetup, AlarmViaRs232, 0);
ZEP4_AT(TGlobalSetup, SendPeriodically, 6);
ZEP4_AT(TGlobalSetup, reserved7, 7);
ZEP4_AT(TGlobalSetup, Rs232BaudIndex, 8);
ZEP4_AT(TGlobalSetup, Rs232ParityIndex, 12);
ZEP4_AT(TGlobalSetup, Rs232DataBitsIndex, 16);
ZEP4_AT(TGlobalSetup, Rs232TwoStopBits, 20);
ZEP4_AT(TGlobalSetup, Rs232RtsCts, 24);
ZEP4_AT(TGlobalSetup, Rs232DtrDsr, 25);
ZEP4_AT(TGlobalSetup, Rs232XonXoff, 26);
ZEP4_AT(TGlobalSetup, reserved27, 27);
ZEP4_AT(TGlobalSetup, Rs485BaudIndex, 28);
ZEP4_AT(TGlobalSetup, Rs485ParityIndex, 32);
ZEP4_AT(TGlobalSetup, Rs485DataBitsIndex, 36);
ZEP4_AT(TGlobalSetup, reserved40, 40);
ZEP4_AT(TGlobalSetup, AlarmHostAddress, 48);
ZEP4_AT(TGlobalSetup, AlarmHostName, 52);
ZEP4_AT(TGlobalSetup, AlarmHostPort, 68);
ZEP4_AT(TGlobalSetup, AlarmHostPass, 72);
ZEP4_AT(TGlobalSetup, SpecialDays, 80);
ZEP4_AT(TGlobalSetup, WeekPlan, 125);
ZEP4_AT(TGlobalSetup, EvaluateTwilightSwitch, 461);
ZEP4_AT(TGlobalSetup, reserved462, 462);
ZEP4_AT(TGlobalSetup, Dome, 464);
ZEP4_AT(TGlobalSetup, SabotageStringBytes, 4624);
ZEP4_AT(TGlobalSetup, SabotageStringLength, 4784);
ZEP4_AT(TGlobalSetup, SignalCharacteristic, 4788);
ZEP4_AT(TGlobalSetup, SignalLevel, 4820);
ZEP4_AT(TGlobalSetup, VideoLoss, 4852);
ZEP4_AT(TGlobalSetup, GlobalRelayBreakContact, 4884);
ZEP4_AT(TGlobalSetup, ClearStatistics, 4885);
ZEP4_AT(TGlobalSetup, reserved4889, 4889);

ZEP4_AT(TDomeSetup, CountdownIndex, 0);
ZEP4_AT(TDomeSetup, DomeAddress, 4);
ZEP4_AT(TDomeSetup, HomePosition, 8);
ZEP4_AT(TDomeSetup, TrackingOn, 12);
ZEP4_AT(TDomeSetup, reserved13, 13);
ZEP4_AT(TDomeSetup, BoxPreset, 16);

ZEP4_AT(TSabotageMonitor, Deviation, 4);

ZEP4_AT(TAlarmLanSetup, Port, 4);
ZEP4_AT(TAlarmLanSetup, AuxBytes, 6);
ZEP4_AT(TAlarmLanSetup, AuxText, 10);

ZEP4_AT(TVdsSetup, ReceiverType, 16 * 4);
ZEP4_AT(TVdsSetup, BaseAddress, 17 * 4);
ZEP4_AT(TVdsSetup, SendGlobalAlarm, 20 * 4);
ZEP4_AT(TVdsSetup, SendPrealarm, 36 * 4);
ZEP4_AT(TVdsSetup, ClientAddressIndex, 52 * 4);
ZEP4_AT(TVdsSetup, SendSabotage, 53 * 4);

ZEP4_AT(TPersonSetup, PersonContour, 2);
ZEP4_AT(TPersonSetup, Contrast, 3);
ZEP4_AT(TPersonSetup, ShadowFilter, 4);
ZEP4_AT(TPersonSetup, PersonDetection, 5);

#undef ZEP4_AT

}  // namespace zep4
