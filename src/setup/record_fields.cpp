#include "setup/record_fields.h"


#include "setup/records.h"

namespace zep4 {

// One macro per kind. The element count of an array follows from the member's size, so a
// field given the wrong kind leaves a gap or an overlap that the tiling test reports.
#define ZF(T, f, kind, width, count) TFieldDesc{#f, offsetof(T, f), FieldKind::kind, (width), (count)}
#define ZF_I32(T, f) ZF(T, f, I32, 4, 0)
#define ZF_I32S(T, f) ZF(T, f, I32, 4, int(sizeof(T::f) / 4))
#define ZF_U8(T, f) ZF(T, f, U8, 1, 0)
#define ZF_U8S(T, f) ZF(T, f, U8, 1, int(sizeof(T::f)))
#define ZF_CHARS(T, f) ZF(T, f, Chars, sizeof(T::f), 0)
#define ZF_HEX(T, f) ZF(T, f, Hex, sizeof(T::f), 0)
#define ZF_HEXS(T, f, n) ZF(T, f, Hex, sizeof(T::f) / (n), (n))
#define ZF_CELLS(T, f) ZF(T, f, Cells, sizeof(TCellGrid), 0)
#define ZF_RECS(T, f, R, desc) \
    TFieldDesc{#f, offsetof(T, f), FieldKind::Record, sizeof(R), int(sizeof(T::f) / sizeof(R)), &desc}

namespace {

using G = TAreaGeometry;
const TFieldDesc kAreaGeometryFields[] = {
    ZF_I32(G, FrontLeft),      ZF_I32(G, FrontTop),       ZF_I32(G, FrontWidth),
    ZF_I32(G, FrontHeight),    ZF_I32(G, FrontVolume),    ZF_I32(G, FrontMinVolume),
    ZF_I32(G, FrontMaxVolume), ZF_I32(G, FrontSensitivityIndex), ZF_I32(G, reserved8),
    ZF_I32(G, BackLeft),       ZF_I32(G, BackTop),        ZF_I32(G, BackWidth),
    ZF_I32(G, BackHeight),     ZF_I32(G, BackVolume),     ZF_I32(G, BackMinVolume),
    ZF_I32(G, BackMaxVolume),  ZF_I32(G, BackSensitivityIndex), ZF_I32(G, reserved17),
};

using A = TAreaSetup;
const TFieldDesc kAreaSetupFields[] = {
    ZF_I32(A, CellCount),
    ZF_I32(A, MaxCells),
    ZF_I32(A, MinCells),
    ZF_I32(A, ResetTimeIndex),
    ZF_I32(A, SensitivityIndex),
    ZF_CELLS(A, Cells),
    ZF_I32S(A, reserved6500),
    ZF_I32(A, MaxTimeoutIndex),
    ZF_U8(A, ReferenceArea),
    ZF_HEX(A, reserved6541),
    ZF_I32(A, SwitchRelay),
    ZF_U8(A, InterpretContact),
    ZF_U8(A, AreaWatchdog),
    ZF_HEX(A, reserved6550),
    ZF_I32(A, DetectionCountIndex),
    ZF_U8(A, ObjectDetection),
    ZF_U8(A, PerspectiveMode),
    ZF_U8(A, VerticalPerspective),
    ZF_HEX(A, reserved6559),
};

const TFieldDesc kAlarmStringFields[] = {
    ZF_HEX(TAlarmString, Bytes),
    ZF_U8(TAlarmString, Length),
};

const TFieldDesc kLogicInputFields[] = {
    ZF_I32(TLogicInput, Source),
    ZF_I32(TLogicInput, State),
};

using C = TCameraSetup;
const TFieldDesc kCameraSetupFields[] = {
    ZF_RECS(C, Areas, TAreaSetup, kAreaSetupDesc),
    ZF_U8(C, ChannelActive),
    ZF_CHARS(C, CameraName),
    ZF_U8(C, RetriggerRelay),
    ZF_HEX(C, reserved26267),
    ZF_I32(C, CameraResetTimeIndex),
    ZF_I32S(C, DirectionMask),
    ZF_I32(C, BinaryFilter),
    ZF_I32(C, TraceFilter),
    ZF_I32(C, SpeedIndex),
    ZF_I32(C, MaxObjects),
    ZF_I32(C, BindingIndex),
    ZF_I32(C, ProfileMode),
    ZF_U8(C, AspectRatio),
    ZF_U8(C, CameraWatchdog),
    ZF_HEX(C, reserved26306),
    ZF_I32(C, reserved26308),
    ZF_I32(C, DisturbanceSize),
    ZF_I32(C, PerspectiveActive),
    ZF_U8(C, InterpretObjectDimensions),
    ZF_U8(C, StatisticDecay),
    ZF_U8(C, Morphing),
    ZF_U8(C, EdgeZone),
    ZF_U8(C, StatisticsOn),
    ZF_HEX(C, reserved26325),
    ZF_RECS(C, Geometry, TAreaGeometry, kAreaGeometryDesc),
    ZF_I32(C, reserved26616),
    ZF_I32(C, InputContactMode),
    ZF_RECS(C, AlarmOnString, TAlarmString, kAlarmStringDesc),
    ZF_RECS(C, AlarmOffString, TAlarmString, kAlarmStringDesc),
    ZF_U8S(C, SendString),
    ZF_RECS(C, Logic, TLogicInput, kLogicInputDesc),
};

const TFieldDesc kSpecialDayFields[] = {
    ZF_U8(TSpecialDay, Day),
    ZF_U8(TSpecialDay, Month),
    ZF_U8(TSpecialDay, Zone),
};

const TFieldDesc kDomeSetupFields[] = {
    ZF_I32(TDomeSetup, CountdownIndex),
    ZF_I32(TDomeSetup, DomeAddress),
    ZF_I32(TDomeSetup, HomePosition),
    ZF_U8(TDomeSetup, TrackingOn),
    ZF_HEX(TDomeSetup, reserved13),
    ZF_I32S(TDomeSetup, BoxPreset),
};

const TFieldDesc kSabotageMonitorFields[] = {
    ZF_U8(TSabotageMonitor, Enabled),
    ZF_U8(TSabotageMonitor, SendString),
    ZF_U8(TSabotageMonitor, SwitchSabotageRelay),
    ZF_U8(TSabotageMonitor, ChannelAlarm),
    ZF_I32(TSabotageMonitor, Deviation),
};

using S = TGlobalSetup;
const TFieldDesc kGlobalSetupFields[] = {
    ZF_U8(S, AlarmViaRs232),
    ZF_U8(S, AlarmViaRs485),
    ZF_U8(S, AlarmViaLan),
    ZF_U8(S, SabotageViaRs232),
    ZF_U8(S, SabotageViaRs485),
    ZF_U8(S, SabotageViaLan),
    ZF_U8(S, SendPeriodically),
    ZF_HEX(S, reserved7),
    ZF_I32(S, Rs232BaudIndex),
    ZF_I32(S, Rs232ParityIndex),
    ZF_I32(S, Rs232DataBitsIndex),
    ZF_I32(S, Rs232TwoStopBits),
    ZF_U8(S, Rs232RtsCts),
    ZF_U8(S, Rs232DtrDsr),
    ZF_U8(S, Rs232XonXoff),
    ZF_HEX(S, reserved27),
    ZF_I32(S, Rs485BaudIndex),
    ZF_I32(S, Rs485ParityIndex),
    ZF_I32(S, Rs485DataBitsIndex),
    ZF_HEX(S, reserved40),
    ZF_U8S(S, AlarmHostAddress),
    ZF_CHARS(S, AlarmHostName),
    ZF_I32(S, AlarmHostPort),
    ZF_CHARS(S, AlarmHostPass),
    ZF_RECS(S, SpecialDays, TSpecialDay, kSpecialDayDesc),
    ZF_HEXS(S, WeekPlan, kTimeZones),
    ZF_U8(S, EvaluateTwilightSwitch),
    ZF_HEX(S, reserved462),
    ZF_RECS(S, Dome, TDomeSetup, kDomeSetupDesc),
    ZF_HEX(S, SabotageStringBytes),
    ZF_U8S(S, SabotageStringLength),
    ZF_RECS(S, SignalCharacteristic, TSabotageMonitor, kSabotageMonitorDesc),
    ZF_RECS(S, SignalLevel, TSabotageMonitor, kSabotageMonitorDesc),
    ZF_RECS(S, VideoLoss, TSabotageMonitor, kSabotageMonitorDesc),
    ZF_U8(S, GlobalRelayBreakContact),
    ZF_U8S(S, ClearStatistics),
    ZF_HEX(S, reserved4889),
};

const TFieldDesc kAlarmLanSetupFields[] = {
    ZF_U8S(TAlarmLanSetup, Ip),
    ZF_U8S(TAlarmLanSetup, Port),
    ZF_U8S(TAlarmLanSetup, AuxBytes),
    ZF_CHARS(TAlarmLanSetup, AuxText),
};

const TFieldDesc kVdsSetupFields[] = {
    ZF_I32S(TVdsSetup, Active),
    ZF_I32(TVdsSetup, ReceiverType),
    ZF_I32S(TVdsSetup, BaseAddress),
    ZF_I32S(TVdsSetup, SendGlobalAlarm),
    ZF_I32S(TVdsSetup, SendPrealarm),
    ZF_I32(TVdsSetup, ClientAddressIndex),
    ZF_I32(TVdsSetup, SendSabotage),
};

const TFieldDesc kPersonSetupFields[] = {
    ZF_U8(TPersonSetup, PersonFlagA),
    ZF_U8(TPersonSetup, PersonFlagB),
    ZF_U8(TPersonSetup, PersonContour),
    ZF_U8(TPersonSetup, Contrast),
    ZF_U8(TPersonSetup, ShadowFilter),
    ZF_U8S(TPersonSetup, PersonDetection),
};

const TFieldDesc kFileHeaderFields[] = {
    ZF_U8(TFileHeader, Year),         ZF_U8(TFileHeader, Month),        ZF_U8(TFileHeader, Day),
    ZF_U8(TFileHeader, Hour),         ZF_U8(TFileHeader, Minute),       ZF_U8(TFileHeader, Second),
    ZF_U8(TFileHeader, VersionMajor), ZF_U8(TFileHeader, VersionMinor), ZF_U8(TFileHeader, VersionSub),
};

}  // namespace

#define ZEP4_RECORD(desc, T, fields) const TRecordDesc desc{#T, sizeof(T), fields}
ZEP4_RECORD(kAreaGeometryDesc, TAreaGeometry, kAreaGeometryFields);
ZEP4_RECORD(kAreaSetupDesc, TAreaSetup, kAreaSetupFields);
ZEP4_RECORD(kAlarmStringDesc, TAlarmString, kAlarmStringFields);
ZEP4_RECORD(kLogicInputDesc, TLogicInput, kLogicInputFields);
ZEP4_RECORD(kCameraSetupDesc, TCameraSetup, kCameraSetupFields);
ZEP4_RECORD(kSpecialDayDesc, TSpecialDay, kSpecialDayFields);
ZEP4_RECORD(kDomeSetupDesc, TDomeSetup, kDomeSetupFields);
ZEP4_RECORD(kSabotageMonitorDesc, TSabotageMonitor, kSabotageMonitorFields);
ZEP4_RECORD(kGlobalSetupDesc, TGlobalSetup, kGlobalSetupFields);
ZEP4_RECORD(kAlarmLanSetupDesc, TAlarmLanSetup, kAlarmLanSetupFields);
ZEP4_RECORD(kVdsSetupDesc, TVdsSetup, kVdsSetupFields);
ZEP4_RECORD(kPersonSetupDesc, TPersonSetup, kPersonSetupFields);
ZEP4_RECORD(kFileHeaderDesc, TFileHeader, kFileHeaderFields);

const TFieldDesc* TRecordDesc::find(std::string_view fieldName) const {
    for (const TFieldDesc& f : fields)
        if (fieldName == f.name) return &f;
    return nullptr;
}

std::span<const TRecordDesc* const> AllRecordDescs() {
    static const TRecordDesc* const all[] = {
        &kAreaGeometryDesc, &kAreaSetupDesc,     &kAlarmStringDesc,     &kLogicInputDesc, &kCameraSetupDesc,
        &kSpecialDayDesc,   &kDomeSetupDesc,     &kSabotageMonitorDesc, &kGlobalSetupDesc,
        &kAlarmLanSetupDesc, &kVdsSetupDesc,     &kPersonSetupDesc,     &kFileHeaderDesc,
    };
    return all;
}

}  // namespace zep4
