// Field descriptors of the setup records: for every field of every record its name, offset,
// kind and element count. This table is the one place that knows the field names; the JSON
// form of a setup file walks it in both directions and takes its range checks from it.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace zep4 {

enum class FieldKind {
    I32,     // little-endian signed 32-bit integer
    U8,      // one unsigned byte
    Chars,   // `width` bytes of Windows-1252 text
    Hex,     // `width` bytes carried as they are (byte strings, reserved bytes)
    Cells,   // a 72 x 90 cell grid
    Record,  // a nested record, described by `record`
};

struct TRecordDesc;

struct TFieldDesc {
    const char* name;
    size_t offset;                         // of the first element, from the start of the record
    FieldKind kind;
    size_t width;                          // bytes of one element
    int count;                             // 0: a single element; n > 0: an array of n elements
    const TRecordDesc* record = nullptr;   // FieldKind::Record only

    size_t size() const { return width * static_cast<size_t>(count > 0 ? count : 1); }
};

struct TRecordDesc {
    const char* name;  // the struct's name, e.g. "TCameraSetup"
    size_t size;       // sizeof the struct
    std::span<const TFieldDesc> fields;  // in the order of their offsets

    const TFieldDesc* find(std::string_view fieldName) const;
};

extern const TRecordDesc kAreaGeometryDesc;
extern const TRecordDesc kAreaSetupDesc;
extern const TRecordDesc kAlarmStringDesc;
extern const TRecordDesc kLogicInputDesc;
extern const TRecordDesc kCameraSetupDesc;
extern const TRecordDesc kSpecialDayDesc;
extern const TRecordDesc kDomeSetupDesc;
extern const TRecordDesc kSabotageMonitorDesc;
extern const TRecordDesc kGlobalSetupDesc;
extern const TRecordDesc kAlarmLanSetupDesc;
extern const TRecordDesc kVdsSetupDesc;
extern const TRecordDesc kPersonSetupDesc;
extern const TRecordDesc kFileHeaderDesc;

// Every record described above.
std::span<const TRecordDesc* const> AllRecordDescs();

}  // namespace zep4
