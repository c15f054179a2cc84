#include "link/device_image.h"

#include <cstring>
#include <limits>

namespace zep4 {

namespace {

constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

// Encoders: arithmetic on whatever the store holds, without overflow. Only the low byte of a
// word travels, and modular arithmetic keeps that byte exact.
int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

// Decoders: arithmetic on received words, saturated to the range of the field.
int32_t saturate(int64_t v) {
    if (v < kInt32Min) return kInt32Min;
    if (v > kInt32Max) return kInt32Max;
    return static_cast<int32_t>(v);
}

// Truncation toward zero of a coordinate computed in floating point.
int32_t truncToInt(double v) {
    if (v >= 2147483648.0) return kInt32Max;
    if (v <= -2147483649.0) return kInt32Min;
    return static_cast<int32_t>(v);
}

int32_t flagWord(uint8_t flag) { return flag != 0 ? 1 : 0; }
uint8_t isOne(int32_t word) { return word == 1 ? 1 : 0; }
uint8_t isSet(int32_t word) { return word != 0 ? 1 : 0; }
uint8_t lowByte(int32_t word) { return static_cast<uint8_t>(static_cast<uint32_t>(word) & 0xFFu); }

// Alarm strings travel as their 41 bytes: 40 content bytes and the length byte.
constexpr int kAlarmStringBytes = sizeof(TAlarmString::Bytes);

void encodeString(const TAlarmString& s, int32_t* w) {
    for (int i = 0; i < kAlarmStringBytes; ++i) w[i] = s.Bytes[i];
    w[kAlarmStringBytes] = s.Length;
}

void decodeString(const int32_t* w, TAlarmString& s) {
    for (int i = 0; i < kAlarmStringBytes; ++i) s.Bytes[i] = lowByte(w[i]);
    s.Length = lowByte(w[kAlarmStringBytes]);
}

// Cells are sent column by column, eight to a word: sequence position q = column x 72 + row
// goes to bit q mod 8 of word q div 8. A column holds 72 = 9 x 8 cells, so word column x 9 + k
// carries rows 8k .. 8k+7 of that column, row 8k + m in bit m.
//
// The grid is row-major, so packing is a transpose of 8 x 8 blocks: eight cell bytes of one row
// (eight neighbouring columns) are read as one 64-bit value, and row m of the block goes to bit m
// of each byte; byte j of the result is then the word of column j. The columns that do not fill
// a block (88, 89) go one at a time.
constexpr int kRowsPerWord = 8;
constexpr int kWordsPerColumn = kCellRows / kRowsPerWord;  // 9
constexpr int kBlockColumns = 8;
constexpr int kBlockedColumns = kCellColumns / kBlockColumns * kBlockColumns;  // 88
static_assert(kCellRows % kRowsPerWord == 0, "a word never spans two columns");

constexpr uint64_t kLow7Bits = 0x7F7F7F7F7F7F7F7FULL;
constexpr uint64_t kByteOnes = 0x0101010101010101ULL;

// 1 in every byte of `x` that is not 0, 0 in the others.
uint64_t nonZeroBytes(uint64_t x) { return ((((x & kLow7Bits) + kLow7Bits) | x) >> 7) & kByteOnes; }

void encodeGrid(const TCellGrid& grid, int32_t* w) {
    for (int k = 0; k < kWordsPerColumn; ++k) {
        const uint8_t* rows = grid.Cell + k * kRowsPerWord * kCellColumns;
        for (int column = 0; column < kBlockedColumns; column += kBlockColumns) {
            uint64_t block = 0;
            for (int m = 0; m < kRowsPerWord; ++m) {
                uint64_t cells;
                std::memcpy(&cells, rows + m * kCellColumns + column, sizeof cells);
                block |= nonZeroBytes(cells) << m;
            }
            for (int j = 0; j < kBlockColumns; ++j)
                w[(column + j) * kWordsPerColumn + k] = static_cast<int32_t>((block >> (8 * j)) & 0xFF);
        }
        for (int column = kBlockedColumns; column < kCellColumns; ++column) {
            int32_t word = 0;
            for (int m = 0; m < kRowsPerWord; ++m)
                word |= static_cast<int32_t>(rows[m * kCellColumns + column] != 0) << m;
            w[column * kWordsPerColumn + k] = word;
        }
    }
}

// The reverse transpose; only the low eight bits of a word carry cells.
void decodeGrid(const int32_t* w, TCellGrid& grid) {
    for (int k = 0; k < kWordsPerColumn; ++k) {
        uint8_t* rows = grid.Cell + k * kRowsPerWord * kCellColumns;
        for (int column = 0; column < kBlockedColumns; column += kBlockColumns) {
            uint64_t block = 0;
            for (int j = 0; j < kBlockColumns; ++j)
                block |= static_cast<uint64_t>(static_cast<uint32_t>(w[(column + j) * kWordsPerColumn + k]) & 0xFFu)
                         << (8 * j);
            for (int m = 0; m < kRowsPerWord; ++m) {
                const uint64_t cells = (block >> m) & kByteOnes;
                std::memcpy(rows + m * kCellColumns + column, &cells, sizeof cells);
            }
        }
        for (int column = kBlockedColumns; column < kCellColumns; ++column) {
            const int32_t word = w[column * kWordsPerColumn + k];
            for (int m = 0; m < kRowsPerWord; ++m)
                rows[m * kCellColumns + column] = static_cast<uint8_t>((word >> m) & 1);
        }
    }
}

// One rectangle (front or back) of an area's geometry, as references into TAreaGeometry, for
// the decoder.
struct TRect {
    int32_t& Left;
    int32_t& Top;
    int32_t& Width;
    int32_t& Height;
    int32_t& Volume;
    int32_t& MinVolume;
    int32_t& MaxVolume;
    int32_t& SensitivityIndex;
};

TRect front(TAreaGeometry& g) {
    return {g.FrontLeft, g.FrontTop, g.FrontWidth, g.FrontHeight,
            g.FrontVolume, g.FrontMinVolume, g.FrontMaxVolume, g.FrontSensitivityIndex};
}
TRect back(TAreaGeometry& g) {
    return {g.BackLeft, g.BackTop, g.BackWidth, g.BackHeight,
            g.BackVolume, g.BackMinVolume, g.BackMaxVolume, g.BackSensitivityIndex};
}

// Word offsets within a time zone's parameter block.
constexpr int kAreaSlotWords = 16;
constexpr int kCameraWords = 64;
constexpr int kLogicWords = 96;
constexpr int kGeometryWords = 160;
constexpr int kGeometrySlotWords = 16;
constexpr int kRectangleWords = 7;
constexpr int kSizeWords = 224;
constexpr int kStringWords = 240;
constexpr int kStringSize = 41;
constexpr int kSendStringWords = 404;

// Centre and size of a rectangle go out; the decoder rebuilds the corner from them.
void encodeRect(int32_t left, int32_t top, int32_t width, int32_t height, int32_t minVolume, int32_t maxVolume,
                int32_t sensitivityIndex, int32_t* w, int32_t* size) {
    w[0] = truncToInt(left + width / 2.0 + 0.5);
    w[1] = truncToInt(top + height / 2.0 + 0.5);
    w[2] = minVolume / 256;
    w[3] = minVolume % 256;
    w[4] = maxVolume / 256;
    w[5] = maxVolume % 256;
    w[6] = wrap(int64_t{sensitivityIndex} + 1);
    size[0] = width;
    size[1] = height;
}

void decodeRect(const int32_t* w, const int32_t* size, TRect r) {
    int32_t width = size[0];
    if (width == 0 || width > kCellColumns) width = 8;
    int32_t height = size[1];
    if (height == 0 || height > kCellRows) height = 16;
    int32_t centreX = w[0];
    if (centreX > 90) centreX = 45;
    int32_t centreY = w[1];
    if (centreY > 90) centreY = 64;

    int32_t minVolume = saturate(int64_t{w[2]} * 256 + w[3]);
    if (minVolume == 0) minVolume = 1;
    int32_t maxVolume = saturate(int64_t{w[4]} * 256 + w[5]);
    if (maxVolume > kCellsPerGrid) maxVolume = kCellsPerGrid;
    int32_t sensitivity = saturate(int64_t{w[6]} - 1);
    if (sensitivity > 9) sensitivity = 5;

    r.Width = width;
    r.Height = height;
    r.Left = truncToInt(centreX - width / 2.0);
    r.Top = truncToInt(centreY - height / 2.0);
    r.Volume = saturate(int64_t{width} * height);
    r.MinVolume = minVolume;
    r.MaxVolume = maxVolume;
    r.SensitivityIndex = sensitivity;
}

void encodeArea(const TAreaSetup& a, int32_t* w) {
    w[0] = ResetSecondsOf(a.ResetTimeIndex);
    // 0 is "off"; an index outside 1..10 counts as 0 and is sent as off too.
    w[1] = (a.MaxTimeoutIndex >= 1 && a.MaxTimeoutIndex <= 10) ? kResetSeconds[a.MaxTimeoutIndex] : 0;
    w[2] = wrap(int64_t{a.SensitivityIndex} + 1);
    w[3] = a.MinCells / 256;
    w[4] = a.MinCells % 256;
    w[5] = a.MaxCells / 256;
    w[6] = a.MaxCells % 256;
    w[7] = flagWord(a.ReferenceArea);
    w[8] = a.SwitchRelay;
    w[9] = flagWord(a.InterpretContact);
    w[10] = flagWord(a.AreaWatchdog);
    // 1..5 detections; an index outside 0..4 counts as 0.
    w[11] = (a.DetectionCountIndex >= 0 && a.DetectionCountIndex <= 4) ? kResetSeconds[a.DetectionCountIndex] : 1;
    w[12] = a.PerspectiveMode == 0 ? 0 : (a.VerticalPerspective == 0 ? 1 : 2);
    w[13] = a.ObjectDetection != 0 ? 0 : 1;
}

void decodeArea(const int32_t* w, TAreaSetup& a, TCameraSetup& camera) {
    a.ResetTimeIndex = ResetIndexOf(w[0]);
    a.MaxTimeoutIndex = ResetIndexOf(w[1]);
    a.SensitivityIndex = w[2] < 11 ? saturate(int64_t{w[2]} - 1) : 5;
    a.MinCells = saturate(int64_t{w[3]} * 256 + w[4]);
    a.MaxCells = saturate(int64_t{w[5]} * 256 + w[6]);
    a.ReferenceArea = isOne(w[7]);
    a.SwitchRelay = w[8];
    a.InterpretContact = isOne(w[9]);
    a.AreaWatchdog = isOne(w[10]);
    // The encoder sends 1..5 for 1..5 detections; anything else is taken as one detection.
    a.DetectionCountIndex = (w[11] >= 1 && w[11] <= 5) ? w[11] - 1 : 0;
    switch (w[12]) {
    case 0:
        a.PerspectiveMode = 0;
        a.VerticalPerspective = 0;
        camera.PerspectiveActive = 0;
        break;
    case 1:
        a.PerspectiveMode = 1;
        a.VerticalPerspective = 0;
        camera.PerspectiveActive = 1;
        break;
    case 2:
        a.PerspectiveMode = 1;
        a.VerticalPerspective = 1;
        camera.PerspectiveActive = 1;
        break;
    default:
        break;  // unknown mode: keep what the record holds
    }
    a.ObjectDetection = w[13] == 0 ? 1 : 0;
}

void encodeCameraBlock(const TCameraSetup& c, int32_t* block) {
    for (int a = 0; a < kAreas; ++a) encodeArea(c.Areas[a], block + a * kAreaSlotWords);

    int32_t* w = block + kCameraWords;  // w[k] is word B + 64 + k
    w[0] = flagWord(c.ChannelActive);
    w[1] = (c.SpeedIndex > 2) ? 0 : c.SpeedIndex;
    w[2] = ResetSecondsOf(c.CameraResetTimeIndex);
    w[3] = flagWord(c.RetriggerRelay);
    w[4] = (c.BinaryFilter > 3) ? 0 : c.BinaryFilter;
    w[5] = (c.TraceFilter > 3) ? 0 : c.TraceFilter;
    w[7] = c.DirectionMask[0];
    w[8] = c.DirectionMask[1];
    w[9] = (c.MaxObjects > 32 || c.MaxObjects < 1) ? 32 : c.MaxObjects;
    w[10] = (c.BindingIndex > 10) ? 0 : c.BindingIndex;
    w[11] = c.ProfileMode;
    w[12] = flagWord(c.CameraWatchdog);
    w[13] = flagWord(c.StatisticsOn);
    w[14] = (c.DisturbanceSize == 0 || c.DisturbanceSize > 255) ? 50 : c.DisturbanceSize;
    w[15] = flagWord(c.InterpretObjectDimensions);
    w[16] = c.StatisticDecay == 0 ? 40 : c.StatisticDecay;
    w[17] = flagWord(c.AspectRatio);
    w[18] = flagWord(c.EdgeZone);
    w[19] = flagWord(c.Morphing);
    w[20] = c.InputContactMode;

    for (int k = 0; k < 8; ++k)
        block[kLogicWords + k] = wrap(int64_t{c.Logic[k].Source} + (c.Logic[k].State > 0 ? 240 : 0));

    for (int a = 0; a < kAreas; ++a) {
        int32_t* g = block + kGeometryWords + a * kGeometrySlotWords;
        int32_t* size = block + kSizeWords + a * 4;
        const TAreaGeometry& r = c.Geometry[a];
        encodeRect(r.FrontLeft, r.FrontTop, r.FrontWidth, r.FrontHeight, r.FrontMinVolume, r.FrontMaxVolume,
                   r.FrontSensitivityIndex, g, size);
        encodeRect(r.BackLeft, r.BackTop, r.BackWidth, r.BackHeight, r.BackMinVolume, r.BackMaxVolume,
                   r.BackSensitivityIndex, g + kRectangleWords, size + 2);
    }

    encodeString(c.AlarmOnString[0], block + kStringWords);
    encodeString(c.AlarmOnString[1], block + kStringWords + kStringSize);
    encodeString(c.AlarmOffString[0], block + kStringWords + 2 * kStringSize);
    encodeString(c.AlarmOffString[1], block + kStringWords + 3 * kStringSize);
    for (int k = 0; k < 8; ++k) block[kSendStringWords + k] = flagWord(c.SendString[k]);
}

void decodeCameraBlock(const int32_t* block, TCameraSetup& c) {
    for (int a = 0; a < kAreas; ++a) decodeArea(block + a * kAreaSlotWords, c.Areas[a], c);

    const int32_t* w = block + kCameraWords;
    c.ChannelActive = isOne(w[0]);
    c.SpeedIndex = w[1] > 2 ? 0 : w[1];
    c.CameraResetTimeIndex = ResetIndexOf(w[2]);
    c.RetriggerRelay = isOne(w[3]);
    c.BinaryFilter = w[4] > 3 ? 0 : w[4];
    c.TraceFilter = w[5] > 3 ? 0 : w[5];
    c.DirectionMask[0] = w[7];
    c.DirectionMask[1] = w[8];
    c.MaxObjects = w[9] > 32 ? 32 : w[9];
    c.BindingIndex = w[10] > 10 ? 0 : w[10];
    c.ProfileMode = w[11];
    c.CameraWatchdog = isOne(w[12]);
    c.StatisticsOn = isSet(w[13]);
    c.DisturbanceSize = w[14] == 0 ? 50 : w[14];
    c.InterpretObjectDimensions = isOne(w[15]);
    c.StatisticDecay = w[16] == 0 ? 40 : lowByte(w[16]);
    c.AspectRatio = isOne(w[17]);
    c.EdgeZone = isOne(w[18]);
    c.Morphing = isOne(w[19]);
    c.InputContactMode = w[20];

    for (int k = 0; k < 8; ++k) {
        const int32_t word = block[kLogicWords + k];
        if (word < 240) {
            c.Logic[k].Source = word;
            c.Logic[k].State = 0;
        } else {
            c.Logic[k].Source = word - 240;
            c.Logic[k].State = 1;
        }
    }

    for (int a = 0; a < kAreas; ++a) {
        const int32_t* g = block + kGeometryWords + a * kGeometrySlotWords;
        const int32_t* size = block + kSizeWords + a * 4;
        decodeRect(g, size, front(c.Geometry[a]));
        decodeRect(g + kRectangleWords, size + 2, back(c.Geometry[a]));
    }

    decodeString(block + kStringWords, c.AlarmOnString[0]);
    decodeString(block + kStringWords + kStringSize, c.AlarmOnString[1]);
    decodeString(block + kStringWords + 2 * kStringSize, c.AlarmOffString[0]);
    decodeString(block + kStringWords + 3 * kStringSize, c.AlarmOffString[1]);
    for (int k = 0; k < 8; ++k) c.SendString[k] = isOne(block[kSendStringWords + k]);
}

void encodePerson(const TPersonSetup& p, int32_t* w) {
    w[0] = flagWord(p.PersonFlagA);
    w[1] = flagWord(p.PersonFlagB);
    w[2] = p.PersonContour;
    w[3] = p.Contrast;
    w[4] = p.ShadowFilter;
    for (int a = 0; a < kAreas; ++a) w[5 + a] = flagWord(p.PersonDetection[a]);
}

void decodePerson(const int32_t* w, TPersonSetup& p) {
    p.PersonFlagA = isSet(w[0]);
    p.PersonFlagB = isSet(w[1]);
    p.PersonContour = w[2] > 100 ? 40 : lowByte(w[2]);
    // The range checks of the two choices apply to the byte that is stored, so that the
    // record always holds one of the choices.
    p.Contrast = lowByte(w[3]) > 2 ? 1 : lowByte(w[3]);
    p.ShadowFilter = lowByte(w[4]) > 1 ? 0 : lowByte(w[4]);
    for (int a = 0; a < kAreas; ++a) p.PersonDetection[a] = isSet(w[5 + a]);
}

void ensureSize(TDeviceImage& image) {
    if (image.size() < static_cast<size_t>(kDeviceImageWords)) image.resize(kDeviceImageWords, 0);
}

// Global image layout.
constexpr int kHostAddressWords = 13;
constexpr int kHostNameWords = 17;
constexpr int kHostNameChars = 15;
constexpr int kHostPortWord = 32;
constexpr int kHostPassWords = 33;
constexpr int kHostPassChars = 5;
constexpr int kSpecialDayWords = 38;
constexpr int kWeekPlanWords = 83;
constexpr int kTwilightWord = 419;
constexpr int kDomeWords = 420;
constexpr int kDomeSlotWords = 260;
constexpr int kSabotageWords = 1460;
constexpr int kSabotageSlotWords = 41;
constexpr int kSignalCharacteristicWords = 1624;
constexpr int kSignalLevelWords = 1644;
constexpr int kMonitorSlotWords = 5;
constexpr int kVideoLossWords = 1664;
constexpr int kVideoLossSlotWords = 4;
constexpr int kGlobalRelayWord = 1680;
constexpr int kClearStatisticsWords = 1681;
constexpr int kSabotageViaWords = 1685;
constexpr int kAlarmLanWords = 1792;
constexpr int kVdsWords = 1807;

void encodeMonitorFlags(const TSabotageMonitor& m, int32_t* w) {
    w[0] = flagWord(m.Enabled);
    w[1] = flagWord(m.SendString);
    w[2] = flagWord(m.SwitchSabotageRelay);
    w[3] = flagWord(m.ChannelAlarm);
}

void decodeMonitorFlags(const int32_t* w, TSabotageMonitor& m) {
    m.Enabled = isOne(w[0]);
    m.SendString = isOne(w[1]);
    m.SwitchSabotageRelay = isOne(w[2]);
    m.ChannelAlarm = isOne(w[3]);
}

int32_t belowOr0(int32_t word, int32_t limit) { return word < limit ? word : 0; }

}  // namespace

int32_t ResetSecondsOf(int32_t index) { return (index >= 0 && index <= 10) ? kResetSeconds[index] : kResetSeconds[0]; }

int32_t ResetIndexOf(int32_t seconds) {
    for (int i = 0; i <= 10; ++i)
        if (kResetSeconds[i] == seconds) return i;
    return 0;
}

bool EncodeCameraImage(const TSetupStore& store, int cam, TDeviceImage& out) {
    if (cam < 0 || cam >= kCameras) return false;
    ensureSize(out);
    int32_t* w = out.data();
    for (int tz = 0; tz < kTimeZones; ++tz) {
        const TCameraSetup& c = store.camera(tz, cam);
        for (int a = 0; a < kAreas; ++a) encodeGrid(c.Areas[a].Cells, w + (tz * kAreas + a) * kGridWords);
        encodeCameraBlock(c, w + kParameterBase + tz * kParameterBlockWords);
        encodePerson(store.PersonSetup[tz][cam], w + kPersonBase + tz * kPersonBlockWords);
    }
    return true;
}

bool DecodeCameraImage(const TDeviceImage& in, int cam, TSetupStore& store) {
    if (cam < 0 || cam >= kCameras || in.size() < static_cast<size_t>(kCameraImageWords)) return false;
    const int32_t* w = in.data();
    for (int tz = 0; tz < kTimeZones; ++tz) {
        TCameraSetup& c = store.camera(tz, cam);
        for (int a = 0; a < kAreas; ++a) decodeGrid(w + (tz * kAreas + a) * kGridWords, c.Areas[a].Cells);
        decodeCameraBlock(w + kParameterBase + tz * kParameterBlockWords, c);
        decodePerson(w + kPersonBase + tz * kPersonBlockWords, store.PersonSetup[tz][cam]);
    }
    return true;
}

void EncodeGlobalImage(const TSetupStore& store, TGlobalImage& out) {
    ensureSize(out);
    int32_t* w = out.data();
    const TGlobalSetup& g = store.Global;

    w[0] = flagWord(g.AlarmViaRs232);
    w[1] = flagWord(g.AlarmViaRs485);
    w[2] = flagWord(g.AlarmViaLan);
    w[3] = g.Rs232BaudIndex;
    w[4] = g.Rs232ParityIndex;
    w[5] = g.Rs232DataBitsIndex;
    w[6] = g.Rs232TwoStopBits;
    w[7] = g.Rs232RtsCts;  // the byte as it is
    w[8] = g.Rs232DtrDsr;
    w[9] = g.Rs232XonXoff;
    w[10] = g.Rs485BaudIndex;
    w[11] = g.Rs485DataBitsIndex;
    w[12] = g.Rs485ParityIndex;
    for (int i = 0; i < 4; ++i) w[kHostAddressWords + i] = g.AlarmHostAddress[i];
    for (int i = 0; i < kHostNameChars; ++i) w[kHostNameWords + i] = static_cast<uint8_t>(g.AlarmHostName[i]);
    w[kHostPortWord] = g.AlarmHostPort;
    for (int i = 0; i < kHostPassChars; ++i) w[kHostPassWords + i] = static_cast<uint8_t>(g.AlarmHostPass[i]);
    for (int d = 0; d < kSpecialDays; ++d) {
        w[kSpecialDayWords + d * 3] = g.SpecialDays[d].Day;
        w[kSpecialDayWords + d * 3 + 1] = g.SpecialDays[d].Month;
        w[kSpecialDayWords + d * 3 + 2] = g.SpecialDays[d].Zone;
    }
    for (int z = 0; z < kTimeZones; ++z)
        for (int i = 0; i < kWeekPlanBytes; ++i) w[kWeekPlanWords + z * kWeekPlanBytes + i] = g.WeekPlan[z][i];
    w[kTwilightWord] = flagWord(g.EvaluateTwilightSwitch);

    for (int c = 0; c < kCameras; ++c) {
        const TDomeSetup& d = g.Dome[c];
        int32_t* dw = w + kDomeWords + c * kDomeSlotWords;
        dw[0] = d.CountdownIndex;
        dw[1] = d.DomeAddress;
        dw[2] = d.HomePosition;
        dw[3] = flagWord(d.TrackingOn);
        for (int i = 0; i < 256; ++i) dw[4 + i] = d.BoxPreset[i];

        int32_t* sw = w + kSabotageWords + c * kSabotageSlotWords;
        for (int i = 0; i < kSabotageStringSize; ++i) sw[i] = g.sabotageByte(c, i);
        sw[kSabotageStringSize] = g.SabotageStringLength[c];

        int32_t* cw = w + kSignalCharacteristicWords + c * kMonitorSlotWords;
        encodeMonitorFlags(g.SignalCharacteristic[c], cw);
        cw[4] = g.SignalCharacteristic[c].Deviation;
        int32_t* lw = w + kSignalLevelWords + c * kMonitorSlotWords;
        encodeMonitorFlags(g.SignalLevel[c], lw);
        lw[4] = g.SignalLevel[c].Deviation;
        encodeMonitorFlags(g.VideoLoss[c], w + kVideoLossWords + c * kVideoLossSlotWords);

        w[kClearStatisticsWords + c] = flagWord(g.ClearStatistics[c]);
    }
    w[kGlobalRelayWord] = flagWord(g.GlobalRelayBreakContact);
    w[kSabotageViaWords] = flagWord(g.SabotageViaRs232);
    w[kSabotageViaWords + 1] = flagWord(g.SabotageViaRs485);
    w[kSabotageViaWords + 2] = flagWord(g.SabotageViaLan);
    w[kSabotageViaWords + 3] = flagWord(g.SendPeriodically);

    const auto* lan = reinterpret_cast<const uint8_t*>(&store.AlarmLan);
    for (size_t i = 0; i < sizeof(TAlarmLanSetup); ++i) w[kAlarmLanWords + i] = lan[i];

    const TVdsSetup& v = store.Vds;
    w[kVdsWords] = v.ReceiverType;
    w[kVdsWords + 1] = v.ClientAddressIndex;
    for (int i = 0; i < 3; ++i) w[kVdsWords + 2 + i] = v.BaseAddress[i];
    for (int i = 0; i < kTimeZones * kCameras; ++i) {
        w[kVdsWords + 5 + i * 3] = v.Active[i];
        w[kVdsWords + 6 + i * 3] = v.SendGlobalAlarm[i];
        w[kVdsWords + 7 + i * 3] = v.SendPrealarm[i];
    }
    w[kVdsWords + 53] = v.SendSabotage;
}

bool DecodeGlobalImage(const TGlobalImage& in, TSetupStore& store) {
    if (in.size() < static_cast<size_t>(kGlobalImageWords)) return false;
    const int32_t* w = in.data();
    TGlobalSetup& g = store.Global;

    g.AlarmViaRs232 = isOne(w[0]);
    g.AlarmViaRs485 = isOne(w[1]);
    g.AlarmViaLan = isOne(w[2]);
    g.Rs232BaudIndex = w[3];
    g.Rs232ParityIndex = w[4];
    g.Rs232DataBitsIndex = w[5];
    g.Rs232TwoStopBits = w[6];
    g.Rs232RtsCts = isSet(w[7]);
    g.Rs232DtrDsr = isSet(w[8]);
    g.Rs232XonXoff = isSet(w[9]);
    g.Rs485BaudIndex = w[10];
    g.Rs485DataBitsIndex = w[11];
    g.Rs485ParityIndex = w[12];
    for (int i = 0; i < 4; ++i) g.AlarmHostAddress[i] = lowByte(w[kHostAddressWords + i]);
    for (int i = 0; i < kHostNameChars; ++i) g.AlarmHostName[i] = static_cast<char>(lowByte(w[kHostNameWords + i]));
    g.AlarmHostPort = w[kHostPortWord];
    for (int i = 0; i < kHostPassChars; ++i) g.AlarmHostPass[i] = static_cast<char>(lowByte(w[kHostPassWords + i]));
    for (int d = 0; d < kSpecialDays; ++d) {
        g.SpecialDays[d].Day = lowByte(w[kSpecialDayWords + d * 3]);
        g.SpecialDays[d].Month = lowByte(w[kSpecialDayWords + d * 3 + 1]);
        g.SpecialDays[d].Zone = lowByte(w[kSpecialDayWords + d * 3 + 2]);
    }
    for (int z = 0; z < kTimeZones; ++z)
        for (int i = 0; i < kWeekPlanBytes; ++i) g.WeekPlan[z][i] = lowByte(w[kWeekPlanWords + z * kWeekPlanBytes + i]);
    g.EvaluateTwilightSwitch = isOne(w[kTwilightWord]);

    for (int c = 0; c < kCameras; ++c) {
        TDomeSetup& d = g.Dome[c];
        const int32_t* dw = w + kDomeWords + c * kDomeSlotWords;
        d.CountdownIndex = dw[0];
        d.DomeAddress = dw[1];
        d.HomePosition = dw[2];
        d.TrackingOn = isOne(dw[3]);
        for (int i = 0; i < 256; ++i) d.BoxPreset[i] = dw[4 + i];

        const int32_t* sw = w + kSabotageWords + c * kSabotageSlotWords;
        for (int i = 0; i < kSabotageStringSize; ++i) g.sabotageByte(c, i) = lowByte(sw[i]);
        g.SabotageStringLength[c] = lowByte(sw[kSabotageStringSize]);

        const int32_t* cw = w + kSignalCharacteristicWords + c * kMonitorSlotWords;
        decodeMonitorFlags(cw, g.SignalCharacteristic[c]);
        g.SignalCharacteristic[c].Deviation = cw[4];
        const int32_t* lw = w + kSignalLevelWords + c * kMonitorSlotWords;
        decodeMonitorFlags(lw, g.SignalLevel[c]);
        g.SignalLevel[c].Deviation = lw[4];
        decodeMonitorFlags(w + kVideoLossWords + c * kVideoLossSlotWords, g.VideoLoss[c]);

        // A request to clear the statistics is a one-off of a transmission, never kept.
        g.ClearStatistics[c] = 0;
    }
    g.GlobalRelayBreakContact = isOne(w[kGlobalRelayWord]);
    g.SabotageViaRs232 = isOne(w[kSabotageViaWords]);
    g.SabotageViaRs485 = isOne(w[kSabotageViaWords + 1]);
    g.SabotageViaLan = isOne(w[kSabotageViaWords + 2]);
    g.SendPeriodically = isOne(w[kSabotageViaWords + 3]);

    auto* lan = reinterpret_cast<uint8_t*>(&store.AlarmLan);
    for (size_t i = 0; i < sizeof(TAlarmLanSetup); ++i) lan[i] = lowByte(w[kAlarmLanWords + i]);

    TVdsSetup& v = store.Vds;
    v.ReceiverType = belowOr0(w[kVdsWords], 3);
    v.ClientAddressIndex = belowOr0(w[kVdsWords + 1], 8);
    for (int i = 0; i < 3; ++i) v.BaseAddress[i] = belowOr0(w[kVdsWords + 2 + i], 256);
    for (int i = 0; i < kTimeZones * kCameras; ++i) {
        v.Active[i] = w[kVdsWords + 5 + i * 3] > 1 ? 0 : w[kVdsWords + 5 + i * 3];
        v.SendGlobalAlarm[i] = w[kVdsWords + 6 + i * 3] > 1 ? 0 : w[kVdsWords + 6 + i * 3];
        v.SendPrealarm[i] = w[kVdsWords + 7 + i * 3] > 1 ? 0 : w[kVdsWords + 7 + i * 3];
    }
    v.SendSabotage = w[kVdsWords + 53] > 1 ? 0 : w[kVdsWords + 53];
    return true;
}

void EncodeCameraImage(TSetupStore& store, int cam) {
    if (cam < 0 || cam >= kCameras) return;
    EncodeCameraImage(static_cast<const TSetupStore&>(store), cam, store.TxImage[cam]);
}

void EncodeGlobalImage(TSetupStore& store) {
    EncodeGlobalImage(static_cast<const TSetupStore&>(store), store.TxGlobalImage);
}

void DecodeCameraImage(TSetupStore& store, int cam) {
    if (cam < 0 || cam >= kCameras) return;
    DecodeCameraImage(store.RxImage[cam], cam, store);
}

void DecodeGlobalImage(TSetupStore& store) { DecodeGlobalImage(store.RxGlobalImage, store); }

}  // namespace zep4
