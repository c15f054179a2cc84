#include "setup/setup_json.h"

#include <cstring>
#include <limits>
#include <memory>

#include <nlohmann/json.hpp>

#include "setup/record_fields.h"
#include "setup/text1252.h"

namespace zep4 {
namespace {

// Key of the list of cells whose byte is neither 0 nor 1, next to the Cells field.
constexpr const char* kCellValuesKey = "CellValues";
// Top-level keys.
constexpr const char* kFileHeaderKey = "FileHeader";
constexpr const char* kTimeZoneBlocksKey = "TimeZoneBlocks";
constexpr const char* kGlobalKey = "Global";
constexpr const char* kPicturesKey = "Pictures";
constexpr const char* kPersonSetupKey = "PersonSetup";
constexpr const char* kAlarmLanKey = "AlarmLan";
constexpr const char* kAlarmLanEarlierKey = "AlarmLanEarlierCopies";
constexpr const char* kVdsKey = "Vds";
constexpr const char* kTrailingKey = "Trailing";
constexpr const char* kTopLevelKeys[] = {kFileHeaderKey, kTimeZoneBlocksKey, kGlobalKey, kPicturesKey,
                                         kPersonSetupKey, kAlarmLanKey, kAlarmLanEarlierKey, kVdsKey,
                                         kTrailingKey};

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Where a value stands in the document, e.g. TimeZoneBlocks[1][2].Areas[0].MinCells. A chain
// of links on the stack, turned into text only for a message.
struct TPath {
    const TPath* parent = nullptr;  // nullptr: the document itself
    const char* key = nullptr;      // member name; nullptr for an array element
    size_t index = 0;

    TPath member(const char* name) const { return {this, name}; }
    TPath element(size_t i) const { return {this, nullptr, i}; }
    std::string text() const {
        if (!parent) return {};
        std::string head = parent->text();
        if (!key) return head + "[" + std::to_string(index) + "]";
        return head.empty() ? std::string(key) : head + "." + key;
    }
};
const TPath kDocument{};

// A refusal; caught at the top and turned into the error text.
struct TJsonRefusal {
    std::string message;
};

[[noreturn]] void refuse(const TPath& path, const std::string& what) {
    const std::string where = path.text();
    throw TJsonRefusal{(where.empty() ? std::string("the JSON document") : where) + ": " + what};
}

// A short description of a JSON value for a message: what was found instead.
template <class J>
std::string describe(const J& j) {
    if (j.is_object()) return "an object";
    if (j.is_array()) return "an array of " + std::to_string(j.size()) + " elements";
    if (j.is_string()) {
        const auto& s = j.template get_ref<const typename J::string_t&>();
        if (s.size() > 40) return "a string of " + std::to_string(s.size()) + " bytes";
    }
    return j.dump(-1, ' ', false, J::error_handler_t::replace);
}

int32_t loadI32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// ---------------------------------------------------------------- record -> JSON

template <class J>
J cellsToJson(const uint8_t* cells) {
    J rows = J::array();
    for (int r = 0; r < kCellRows; ++r) {
        std::string row(kCellColumns, '0');
        for (int c = 0; c < kCellColumns; ++c)
            if (cells[r * kCellColumns + c] != 0) row[c] = '1';
        rows.push_back(std::move(row));
    }
    return rows;
}

// Cells whose byte is neither 0 nor 1, as [row, column, value]; their row string shows '1'.
template <class J>
J cellValuesToJson(const uint8_t* cells) {
    J list = J::array();
    for (int i = 0; i < kCellsPerGrid; ++i)
        if (cells[i] > 1) list.push_back(J::array({i / kCellColumns, i % kCellColumns, int(cells[i])}));
    return list;
}

std::string hexText(const uint8_t* p, size_t n) {
    std::string s(2 * n, '0');
    for (size_t i = 0; i < n; ++i) {
        s[2 * i] = kHexDigits[p[i] >> 4];
        s[2 * i + 1] = kHexDigits[p[i] & 15];
    }
    return s;
}

// Text of a chars field: its bytes without the trailing zeros, as Windows-1252.
std::string charsText(const uint8_t* p, size_t n) {
    while (n > 0 && p[n - 1] == 0) --n;
    return cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(p), n));
}

template <class J>
J recordToJson(const TRecordDesc& record, const uint8_t* base);

template <class J>
J elementToJson(const TFieldDesc& f, const uint8_t* p) {
    switch (f.kind) {
    case FieldKind::I32: return loadI32(p);
    case FieldKind::U8: return int(*p);
    case FieldKind::Chars: return charsText(p, f.width);
    case FieldKind::Hex: return hexText(p, f.width);
    case FieldKind::Cells: return cellsToJson<J>(p);
    case FieldKind::Record: return recordToJson<J>(*f.record, p);
    }
    return nullptr;
}

template <class J>
J recordToJson(const TRecordDesc& record, const uint8_t* base) {
    J obj = J::object();
    for (const TFieldDesc& f : record.fields) {
        const uint8_t* p = base + f.offset;
        if (f.count == 0) {
            obj[f.name] = elementToJson<J>(f, p);
        } else {
            J list = J::array();
            for (int i = 0; i < f.count; ++i) list.push_back(elementToJson<J>(f, p + i * f.width));
            obj[f.name] = std::move(list);
        }
        if (f.kind == FieldKind::Cells) {
            J extra = cellValuesToJson<J>(p);
            if (!extra.empty()) obj[kCellValuesKey] = std::move(extra);
        }
    }
    return obj;
}

template <class J, class T>
J toJson(const TRecordDesc& record, const T& value) {
    return recordToJson<J>(record, reinterpret_cast<const uint8_t*>(&value));
}

std::string versionText(const TFileHeader& h) {
    return std::to_string(h.VersionMajor) + "." + std::to_string(h.VersionMinor) + "." + std::to_string(h.VersionSub);
}

template <class J>
J imageToJson(const TSetupFileImage& image) {
    J root = J::object();
    root[kFileHeaderKey] = toJson<J>(kFileHeaderDesc, image.Header);
    J zones = J::array();
    for (const TTimeZoneBlock& block : image.TimeZoneBlocks) {
        J cameras = J::array();
        for (const TCameraSetup& camera : block.Camera) cameras.push_back(toJson<J>(kCameraSetupDesc, camera));
        zones.push_back(std::move(cameras));
    }
    root[kTimeZoneBlocksKey] = std::move(zones);
    root[kGlobalKey] = toJson<J>(kGlobalSetupDesc, image.Global);
    J pictures = J::array();
    for (const auto& jpeg : image.Jpeg) pictures.push_back(EncodeBase64(jpeg.data(), jpeg.size()));
    root[kPicturesKey] = std::move(pictures);
    if (image.hasPersonPart()) {
        J persons = J::array();
        for (const auto& zone : image.PersonSetup) {
            J cameras = J::array();
            for (const TPersonSetup& person : zone) cameras.push_back(toJson<J>(kPersonSetupDesc, person));
            persons.push_back(std::move(cameras));
        }
        root[kPersonSetupKey] = std::move(persons);
        const TAlarmLanSetup& last = image.AlarmLanCopies[kTimeZones - 1];
        root[kAlarmLanKey] = toJson<J>(kAlarmLanSetupDesc, last);
        bool differ = false;
        for (int tz = 0; tz + 1 < kTimeZones; ++tz)
            differ = differ || std::memcmp(&image.AlarmLanCopies[tz], &last, sizeof last) != 0;
        if (differ) {
            J earlier = J::array();
            for (int tz = 0; tz + 1 < kTimeZones; ++tz)
                earlier.push_back(toJson<J>(kAlarmLanSetupDesc, image.AlarmLanCopies[tz]));
            root[kAlarmLanEarlierKey] = std::move(earlier);
        }
    }
    if (image.hasVdsPart()) root[kVdsKey] = toJson<J>(kVdsSetupDesc, image.Vds);
    if (!image.Trailing.empty())
        root[kTrailingKey] = EncodeBase64(image.Trailing.data(), image.Trailing.size());
    return root;
}

// ---------------------------------------------------------------- JSON -> record

// The member `key` of an object (whose path is `path`).
template <class J>
const J& need(const J& obj, const char* key, const TPath& path) {
    const auto it = obj.find(key);
    if (it == obj.end()) refuse(path.member(key), "missing");
    return *it;
}

template <class J>
void needArray(const J& j, size_t count, const TPath& path, const char* of) {
    if (!j.is_array() || j.size() != count)
        refuse(path, "must be an array of " + std::to_string(count) + " " + of + ", not " + describe(j));
}

template <class J>
int64_t integerIn(const J& j, int64_t low, int64_t high, const TPath& path) {
    bool ok = j.is_number_integer();
    int64_t v = 0;
    if (ok && j.is_number_unsigned()) {
        const uint64_t u = j.template get<uint64_t>();
        ok = u <= static_cast<uint64_t>(high);
        v = static_cast<int64_t>(u);
        ok = ok && v >= low;
    } else if (ok) {
        v = j.template get<int64_t>();
        ok = v >= low && v <= high;
    }
    if (!ok)
        refuse(path, "must be an integer from " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
                         describe(j));
    return v;
}

// `what` is called only to word a refusal.
template <class J, class What>
const std::string& needString(const J& j, const TPath& path, const What& what) {
    if (!j.is_string()) refuse(path, "must be " + what() + ", not " + describe(j));
    return j.template get_ref<const std::string&>();
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <class J>
void cellsFromJson(const J& j, uint8_t* cells, const TPath& path) {
    needArray(j, kCellRows, path, "strings of 90 characters 0 or 1");
    static_assert(kCellColumns == 90);
    const auto what = [] { return std::string("a string of 90 characters 0 or 1"); };
    for (int r = 0; r < kCellRows; ++r) {
        const TPath rowPath = path.element(r);
        const std::string& row = needString(j[r], rowPath, what);
        if (row.size() != static_cast<size_t>(kCellColumns) || row.find_first_not_of("01") != std::string::npos)
            refuse(rowPath, "must be " + what() + ", not " + describe(j[r]));
        for (int c = 0; c < kCellColumns; ++c) cells[r * kCellColumns + c] = row[c] == '1' ? 1 : 0;
    }
}

template <class J>
void cellValuesFromJson(const J& j, uint8_t* cells, const TPath& path) {
    if (!j.is_array()) refuse(path, "must be an array of [row, column, value] entries, not " + describe(j));
    for (size_t i = 0; i < j.size(); ++i) {
        const TPath entryPath = path.element(i);
        const J& entry = j[i];
        needArray(entry, 3, entryPath, "integers [row, column, value]");
        const auto row = integerIn(entry[size_t{0}], 0, kCellRows - 1, entryPath.element(0));
        const auto column = integerIn(entry[size_t{1}], 0, kCellColumns - 1, entryPath.element(1));
        // 0 and 1 are written in the row strings; this list only carries the other values.
        const auto value = integerIn(entry[size_t{2}], 2, 255, entryPath.element(2));
        uint8_t& cell = cells[row * kCellColumns + column];
        if (cell == 0)
            refuse(entryPath, "the cell at row " + std::to_string(row) + ", column " + std::to_string(column) +
                                  " is 0 in the row strings; a cell listed here must be 1 there");
        if (cell > 1)
            refuse(entryPath, "the cell at row " + std::to_string(row) + ", column " + std::to_string(column) +
                                  " is listed twice");
        cell = static_cast<uint8_t>(value);
    }
}

template <class J>
void recordFromJson(const TRecordDesc& record, const J& j, uint8_t* base, const TPath& path);

template <class J>
void elementFromJson(const TFieldDesc& f, const J& j, uint8_t* p, const TPath& path) {
    switch (f.kind) {
    case FieldKind::I32: {
        const auto v = static_cast<int32_t>(integerIn(j, std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max(), path));
        std::memcpy(p, &v, sizeof v);
        return;
    }
    case FieldKind::U8:
        *p = static_cast<uint8_t>(integerIn(j, 0, 255, path));
        return;
    case FieldKind::Chars: {
        const auto what = [&f] { return "a text of at most " + std::to_string(f.width) + " characters"; };
        const std::string& text = needString(j, path, what);
        const std::string bytes = utf8ToCp1252(text);
        if (cp1252ToUtf8(bytes) != text) refuse(path, "holds a character that Windows-1252 cannot represent");
        if (bytes.size() > f.width)
            refuse(path, "must be " + what() + ", not " + std::to_string(bytes.size()) + " characters");
        std::memset(p, 0, f.width);
        std::memcpy(p, bytes.data(), bytes.size());
        return;
    }
    case FieldKind::Hex: {
        const auto what = [&f] { return "a string of " + std::to_string(2 * f.width) + " hexadecimal digits"; };
        const std::string& text = needString(j, path, what);
        bool ok = text.size() == 2 * f.width;
        for (size_t i = 0; ok && i < f.width; ++i) {
            const int hi = hexValue(text[2 * i]), lo = hexValue(text[2 * i + 1]);
            ok = hi >= 0 && lo >= 0;
            p[i] = static_cast<uint8_t>(hi * 16 + lo);
        }
        if (!ok) refuse(path, "must be " + what() + ", not " + describe(j));
        return;
    }
    case FieldKind::Cells:
        cellsFromJson(j, p, path);
        return;
    case FieldKind::Record:
        recordFromJson(*f.record, j, p, path);
        return;
    }
}

template <class J>
void recordFromJson(const TRecordDesc& record, const J& j, uint8_t* base, const TPath& path) {
    if (!j.is_object()) refuse(path, "must be an object (" + std::string(record.name) + "), not " + describe(j));
    const TFieldDesc* cellsField = nullptr;
    for (const TFieldDesc& f : record.fields)
        if (f.kind == FieldKind::Cells) cellsField = &f;
    for (auto it = j.begin(); it != j.end(); ++it)
        if (!record.find(it.key()) && !(cellsField && it.key() == kCellValuesKey))
            refuse(path.member(it.key().c_str()), "unknown key");
    for (const TFieldDesc& f : record.fields) {
        const TPath fieldPath = path.member(f.name);
        const J& value = need(j, f.name, path);
        uint8_t* p = base + f.offset;
        if (f.count == 0) {
            elementFromJson(f, value, p, fieldPath);
        } else {
            needArray(value, static_cast<size_t>(f.count), fieldPath, "elements");
            for (int i = 0; i < f.count; ++i) elementFromJson(f, value[i], p + i * f.width, fieldPath.element(i));
        }
    }
    if (cellsField) {
        const auto it = j.find(kCellValuesKey);
        if (it != j.end()) cellValuesFromJson(*it, base + cellsField->offset, path.member(kCellValuesKey));
    }
}

template <class J, class T>
void fromJson(const TRecordDesc& record, const J& j, T& value, const TPath& path) {
    static_assert(std::is_trivially_copyable_v<T>);
    recordFromJson(record, j, reinterpret_cast<uint8_t*>(&value), path);
}

template <class J>
std::vector<uint8_t> base64FromJson(const J& j, const TPath& path) {
    const auto what = [] { return std::string("base64 text (A-Z, a-z, 0-9, + and /, padded with =)"); };
    std::vector<uint8_t> bytes;
    if (!DecodeBase64(needString(j, path, what), bytes)) refuse(path, "is not " + what());
    return bytes;
}

// A member of the document that holds one record per time zone and camera; at(tz, c) is the
// record to fill.
template <class J, class At>
void zoneCameraGridFromJson(const J& root, const char* key, const TRecordDesc& record, At at) {
    const TPath path = kDocument.member(key);
    const J& zones = need(root, key, kDocument);
    needArray(zones, kTimeZones, path, "time zones");
    for (int tz = 0; tz < kTimeZones; ++tz) {
        const TPath zonePath = path.element(tz);
        needArray(zones[tz], kCameras, zonePath, "cameras");
        for (int c = 0; c < kCameras; ++c) fromJson(record, zones[tz][c], at(tz, c), zonePath.element(c));
    }
}

template <class J, class T>
void recordMemberFromJson(const J& root, const char* key, const TRecordDesc& record, T& value) {
    fromJson(record, need(root, key, kDocument), value, kDocument.member(key));
}

template <class J>
void imageFromJson(const J& root, TSetupFileImage& image) {
    if (!root.is_object()) refuse(kDocument, "must be an object, not " + describe(root));
    for (auto it = root.begin(); it != root.end(); ++it) {
        bool known = false;
        for (const char* key : kTopLevelKeys) known = known || it.key() == key;
        if (!known) refuse(kDocument.member(it.key().c_str()), "unknown key");
    }
    recordMemberFromJson(root, kFileHeaderKey, kFileHeaderDesc, image.Header);
    zoneCameraGridFromJson(root, kTimeZoneBlocksKey, kCameraSetupDesc,
                           [&](int tz, int c) -> TCameraSetup& { return image.TimeZoneBlocks[tz].Camera[c]; });
    recordMemberFromJson(root, kGlobalKey, kGlobalSetupDesc, image.Global);

    const TPath picturesPath = kDocument.member(kPicturesKey);
    const J& pictures = need(root, kPicturesKey, kDocument);
    needArray(pictures, kCameras, picturesPath, "pictures");
    for (int c = 0; c < kCameras; ++c) {
        image.Jpeg[c] = base64FromJson(pictures[c], picturesPath.element(c));
        if (image.Jpeg[c].size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
            refuse(picturesPath.element(c), "is longer than a setup file can hold");
    }

    // Parts 6 and 7 are present exactly when the header's version has them.
    const auto absentPart = [&](const char* key, const char* why) {
        if (root.contains(key))
            refuse(kDocument.member(key), "a file of version " + versionText(image.Header) +
                                              " does not hold this part (" + why +
                                              "); remove the key or change FileHeader");
    };
    if (image.hasPersonPart()) {
        zoneCameraGridFromJson(root, kPersonSetupKey, kPersonSetupDesc,
                               [&](int tz, int c) -> TPersonSetup& { return image.PersonSetup[tz][c]; });
        TAlarmLanSetup& last = image.AlarmLanCopies[kTimeZones - 1];
        recordMemberFromJson(root, kAlarmLanKey, kAlarmLanSetupDesc, last);
        for (int tz = 0; tz + 1 < kTimeZones; ++tz) image.AlarmLanCopies[tz] = last;
        const auto earlier = root.find(kAlarmLanEarlierKey);
        if (earlier != root.end()) {
            const TPath path = kDocument.member(kAlarmLanEarlierKey);
            needArray(*earlier, kTimeZones - 1, path, "alarm LAN blocks");
            for (int tz = 0; tz + 1 < kTimeZones; ++tz)
                fromJson(kAlarmLanSetupDesc, (*earlier)[tz], image.AlarmLanCopies[tz], path.element(tz));
        }
    } else {
        const char* why = "VersionMajor is not above 2";
        absentPart(kPersonSetupKey, why);
        absentPart(kAlarmLanKey, why);
        absentPart(kAlarmLanEarlierKey, why);
    }
    if (image.hasVdsPart())
        recordMemberFromJson(root, kVdsKey, kVdsSetupDesc, image.Vds);
    else
        absentPart(kVdsKey, "it needs VersionMajor and VersionMinor both above 2");

    const auto trailing = root.find(kTrailingKey);
    if (trailing != root.end()) image.Trailing = base64FromJson(*trailing, kDocument.member(kTrailingKey));
}

template <class J>
bool imageFromJsonChecked(const J& json, TSetupFileImage& image, std::string& error) {
    auto decoded = std::make_unique<TSetupFileImage>();
    try {
        imageFromJson(json, *decoded);
    } catch (const TJsonRefusal& refusal) {
        error = refusal.message;
        return false;
    }
    image = std::move(*decoded);
    return true;
}

}  // namespace

nlohmann::json SetupFileToJson(const TSetupFileImage& image) { return imageToJson<nlohmann::json>(image); }

nlohmann::ordered_json SetupFileToOrderedJson(const TSetupFileImage& image) {
    return imageToJson<nlohmann::ordered_json>(image);
}

bool SetupFileFromJson(const nlohmann::json& json, TSetupFileImage& image, std::string& error) {
    return imageFromJsonChecked(json, image, error);
}

bool SetupFileFromJson(const nlohmann::ordered_json& json, TSetupFileImage& image, std::string& error) {
    return imageFromJsonChecked(json, image, error);
}

std::string EncodeBase64(const uint8_t* data, size_t size) {
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const size_t n = std::min<size_t>(3, size - i);
        uint32_t v = uint32_t(data[i]) << 16;
        if (n > 1) v |= uint32_t(data[i + 1]) << 8;
        if (n > 2) v |= data[i + 2];
        out += kBase64Digits[(v >> 18) & 63];
        out += kBase64Digits[(v >> 12) & 63];
        out += n > 1 ? kBase64Digits[(v >> 6) & 63] : '=';
        out += n > 2 ? kBase64Digits[v & 63] : '=';
    }
    return out;
}

bool DecodeBase64(const std::string& text, std::vector<uint8_t>& out) {
    out.clear();
    if (text.size() % 4 != 0) return false;
    out.reserve(text.size() / 4 * 3);
    const auto digit = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool lastGroup = i + 4 == text.size();
        // '=' may only end the text: "xx==" or "xxx=".
        const int pad = lastGroup ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k) {
            const int d = k >= 4 - pad ? 0 : digit(text[i + k]);
            if (d < 0) return false;
            v = (v << 6) | uint32_t(d);
        }
        out.push_back(uint8_t(v >> 16));
        if (pad < 2) out.push_back(uint8_t(v >> 8));
        if (pad < 1) out.push_back(uint8_t(v));
    }
    return true;
}

}  // namespace zep4
