// The JSON form of a setup file: the field table covers every record byte, export then
// import gives back the same file byte for byte, the encodings are the documented ones, and
// bad JSON is refused with the path of the offending field.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <set>

#include <nlohmann/json.hpp>

#include "setup/record_fields.h"
#include "setup/setup_defaults.h"
#include "setup/setup_file.h"
#include "setup/setup_json.h"
#include "setup/setup_store.h"

namespace zep4 {
namespace {

using nlohmann::json;

TEST(RecordFields, EachRecordIsTiledExactlyByItsFields) {
    for (const TRecordDesc* record : AllRecordDescs()) {
        SCOPED_TRACE(record->name);
        size_t expected = 0;
        std::set<std::string> names;
        for (const TFieldDesc& f : record->fields) {
            SCOPED_TRACE(f.name);
            EXPECT_EQ(f.offset, expected) << (f.offset > expected ? "gap before the field" : "overlap");
            EXPECT_TRUE(names.insert(f.name).second) << "name used twice";
            EXPECT_GE(f.count, 0);
            switch (f.kind) {
            case FieldKind::I32: EXPECT_EQ(f.width, 4u); break;
            case FieldKind::U8: EXPECT_EQ(f.width, 1u); break;
            case FieldKind::Cells: EXPECT_EQ(f.width, size_t(kCellsPerGrid)); EXPECT_EQ(f.count, 0); break;
            case FieldKind::Record:
                ASSERT_NE(f.record, nullptr);
                EXPECT_EQ(f.width, f.record->size);
                break;
            default: EXPECT_GT(f.width, 0u);
            }
            expected = f.offset + f.size();
        }
        EXPECT_EQ(expected, record->size) << "the fields do not reach the end of the record";
    }
}

TEST(RecordFields, SizesAreTheRecordSizes) {
    EXPECT_EQ(kCameraSetupDesc.size, sizeof(TCameraSetup));
    EXPECT_EQ(kGlobalSetupDesc.size, sizeof(TGlobalSetup));
    EXPECT_EQ(kAreaSetupDesc.size, sizeof(TAreaSetup));
    EXPECT_EQ(kVdsSetupDesc.size, sizeof(TVdsSetup));
    EXPECT_EQ(AllRecordDescs().size(), 13u);
}

// ---------------------------------------------------------------- fixtures

constexpr TFileHeader kHeader33{24, 5, 17, 14, 3, 9, 3, 3, 0};

std::unique_ptr<TSetupFileImage> DefaultImage(const TFileHeader& header = kHeader33) {
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, "Kamera");
    return ImageFromStore(*store, header);
}

// Every record byte and every picture byte pseudo-random: every field at every value its
// bytes can hold, cells of any value, chars with embedded zeros and every Windows-1252 byte.
std::unique_ptr<TSetupFileImage> RandomImage(uint32_t seed, const TFileHeader& header) {
    std::mt19937 rng(seed);
    auto image = std::make_unique<TSetupFileImage>();
    const auto fill = [&](void* p, size_t n) {
        auto* b = static_cast<uint8_t*>(p);
        for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(rng());
    };
    fill(image->TimeZoneBlocks.data(), sizeof image->TimeZoneBlocks);
    // Cells of any value in one area; 0 and 1 in the others, which keeps the test fast.
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int c = 0; c < kCameras; ++c)
            for (int a = 0; a < kAreas; ++a)
                if (tz + c + a != 3)
                    for (uint8_t& cell : image->TimeZoneBlocks[tz].Camera[c].Areas[a].Cells.Cell) cell &= 1;
    fill(&image->Global, sizeof image->Global);
    fill(image->PersonSetup, sizeof image->PersonSetup);
    fill(image->AlarmLanCopies.data(), sizeof image->AlarmLanCopies);
    fill(&image->Vds, sizeof image->Vds);
    const size_t pictureSizes[kCameras] = {0, 1, 2, 1000};  // all base64 padding cases, and none
    for (int c = 0; c < kCameras; ++c) {
        image->Jpeg[c].resize(pictureSizes[c]);
        fill(image->Jpeg[c].data(), pictureSizes[c]);
    }
    image->Header = header;
    return image;
}

// Parses the file bytes, exports them, passes the JSON through its text form, imports it and
// builds the file again.
template <class J>
std::vector<uint8_t> ThroughJson(const std::vector<uint8_t>& file, std::string& error) {
    auto parsed = std::make_unique<TSetupFileImage>();
    if (!ParseSetupFile(file.data(), file.size(), *parsed, error)) return {};
    J exported;
    if constexpr (std::is_same_v<J, json>)
        exported = SetupFileToJson(*parsed);
    else
        exported = SetupFileToOrderedJson(*parsed);
    const J reread = J::parse(exported.dump(1));
    auto imported = std::make_unique<TSetupFileImage>();
    if (!SetupFileFromJson(reread, *imported, error)) return {};
    return BuildSetupFile(*imported);
}

void ExpectRoundTrip(const TSetupFileImage& image, bool alsoOrdered = false) {
    const std::vector<uint8_t> file = BuildSetupFile(image);
    std::string error;
    EXPECT_EQ(ThroughJson<json>(file, error), file) << error;
    if (alsoOrdered) {
        EXPECT_EQ(ThroughJson<nlohmann::ordered_json>(file, error), file) << error;
    }
}

TSetupFileImage& Reparsed(const TSetupFileImage& image) {
    static TSetupFileImage parsed;
    const auto file = BuildSetupFile(image);
    std::string error;
    EXPECT_TRUE(ParseSetupFile(file.data(), file.size(), parsed, error)) << error;
    return parsed;
}

// ---------------------------------------------------------------- round trips

TEST(SetupJsonRoundTrip, DefaultSetupWithPictures) {
    const auto image = DefaultImage();
    ASSERT_FALSE(image->Jpeg[0].empty());
    ExpectRoundTrip(*image, true);
}

TEST(SetupJsonRoundTrip, OddBytesEverywhere) {
    struct Case {
        const char* name;
        std::function<void(TSetupFileImage&)> change;
    };
    const Case cases[] = {
        {"reserved bytes", [](TSetupFileImage& im) {
             auto& cam = im.TimeZoneBlocks[2].Camera[1];
             cam.reserved26267 = 0xA5;
             cam.reserved26306[1] = 0xFF;
             cam.reserved26308 = -123456789;
             cam.Areas[3].reserved6500[8] = INT32_MIN;
             cam.Areas[0].reserved6559 = 7;
             cam.Geometry[2].reserved17 = INT32_MAX;
             im.Global.reserved40[7] = 0x80;
             im.Global.reserved4889[2] = 1;
         }},
        {"cell bytes other than 0 and 1", [](TSetupFileImage& im) {
             im.TimeZoneBlocks[0].Camera[0].Areas[1].Cells.at(3, 4) = 2;
             im.TimeZoneBlocks[3].Camera[3].Areas[0].Cells.at(71, 89) = 255;
         }},
        {"alarm LAN copies differ", [](TSetupFileImage& im) {
             im.AlarmLanCopies[0].Ip[3] = 1;
             im.AlarmLanCopies[2].AuxText[4] = '\x81';
         }},
        {"only the last alarm LAN copy differs", [](TSetupFileImage& im) { im.AlarmLanCopies[3].Port[1] = 81; }},
        {"trailing bytes", [](TSetupFileImage& im) { im.Trailing = {0, 1, 2, 0xFE, 0xFF}; }},
        {"chars with embedded zeros and high bytes", [](TSetupFileImage& im) {
             auto& name = im.TimeZoneBlocks[1].Camera[2].CameraName;
             std::memset(name, 0, sizeof name);
             std::memcpy(name, "A\0\x80\x81\xE4\xFF", 6);
             std::memset(im.Global.AlarmHostName, 'x', sizeof im.Global.AlarmHostName);  // no terminator
         }},
        {"an empty picture", [](TSetupFileImage& im) { im.Jpeg[2].clear(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = DefaultImage();
        c.change(*image);
        ExpectRoundTrip(*image);
    }
}

TEST(SetupJsonRoundTrip, RandomBytesInEveryRecordAndVersion) {
    const TFileHeader headers[] = {
        {99, 12, 31, 23, 59, 59, 3, 3, 0},
        {4, 1, 1, 0, 0, 0, 2, 9, 9},     // 2.x: no parts 6 and 7
        {4, 1, 1, 0, 0, 0, 3, 1, 0},     // 3.1: part 6 but not part 7
        {255, 255, 255, 255, 255, 255, 255, 255, 255},
    };
    uint32_t seed = 1;
    for (const TFileHeader& h : headers) {
        SCOPED_TRACE("version " + std::to_string(h.VersionMajor) + "." + std::to_string(h.VersionMinor));
        auto image = RandomImage(seed, h);
        if (seed++ == 1) image->Trailing = {9, 8, 7};
        ExpectRoundTrip(*image, seed == 2);
    }
}

TEST(SetupJsonRoundTrip, PartsOfOlderVersionsAreLeftOutOfTheJson) {
    struct Case {
        uint8_t major, minor;
        bool person, vds;
    };
    for (const Case& c : {Case{2, 5, false, false}, Case{2, 0, false, false}, Case{3, 0, true, false},
                          Case{3, 1, true, false}, Case{3, 2, true, false}, Case{3, 3, true, true}}) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        TFileHeader h = kHeader33;
        h.VersionMajor = c.major;
        h.VersionMinor = c.minor;
        const json j = SetupFileToJson(Reparsed(*DefaultImage(h)));
        EXPECT_EQ(j.contains("PersonSetup"), c.person);
        EXPECT_EQ(j.contains("AlarmLan"), c.person);
        EXPECT_EQ(j.contains("Vds"), c.vds);
        EXPECT_FALSE(j.contains("AlarmLanEarlierCopies"));
        EXPECT_FALSE(j.contains("Trailing"));
        ExpectRoundTrip(*DefaultImage(h));
    }
}

// ---------------------------------------------------------------- encodings

TEST(SetupJsonEncoding, FieldsAreWrittenInTheDocumentedForms) {
    auto image = DefaultImage();
    auto& cam = image->TimeZoneBlocks[1].Camera[2];
    cam.reserved26267 = 0xAB;
    cam.Areas[0].Cells.at(3, 4) = 2;
    cam.Areas[1].Cells.at(0, 0) = 1;
    std::memset(cam.CameraName, 0, sizeof cam.CameraName);
    std::memcpy(cam.CameraName, "\x80 A\0B\xE4", 6);
    cam.reserved26308 = -5;
    image->AlarmLanCopies[1].Ip[0] = 10;
    image->Trailing = {1, 2, 3};
    image->Jpeg[3] = {'M', 'a', 'n'};

    const json j = SetupFileToJson(*image);
    EXPECT_EQ(j["FileHeader"]["Year"], 24);
    EXPECT_EQ(j["FileHeader"]["VersionMinor"], 3);
    const json& c = j["TimeZoneBlocks"][1][2];
    EXPECT_EQ(c["CameraName"], std::string("\u20AC A\0B\u00E4", 9));
    EXPECT_EQ(j["TimeZoneBlocks"][0][0]["CameraName"], "Kamera 1");
    EXPECT_EQ(c["reserved26267"], "ab");
    EXPECT_EQ(c["reserved26306"], "0000");
    EXPECT_EQ(c["reserved26308"], -5);
    EXPECT_EQ(c["DirectionMask"], json::array({0, 0}));
    EXPECT_EQ(c["Areas"].size(), 4u);
    EXPECT_EQ(c["Geometry"][0]["FrontLeft"], 13);
    EXPECT_EQ(c["Logic"].size(), 8u);
    EXPECT_EQ(c["AlarmOnString"][1]["Bytes"], std::string(80, '0'));

    const json& cells = c["Areas"][0]["Cells"];
    ASSERT_EQ(cells.size(), 72u);
    EXPECT_EQ(cells[3], std::string(90, '1'));
    EXPECT_EQ(c["Areas"][0]["CellValues"], json::parse("[[3, 4, 2]]"));
    EXPECT_EQ(c["Areas"][1]["Cells"][0], "1" + std::string(89, '0'));
    EXPECT_EQ(c["Areas"][1]["Cells"][1], std::string(90, '0'));
    EXPECT_FALSE(c["Areas"][1].contains("CellValues"));

    EXPECT_EQ(j["Global"]["AlarmHostPass"], "halda");
    EXPECT_EQ(j["Global"]["AlarmHostName"], "");
    EXPECT_EQ(j["Global"]["AlarmHostAddress"], json::array({192, 168, 1, 111}));
    EXPECT_EQ(j["Global"]["WeekPlan"][0], std::string(168, 'f'));
    EXPECT_EQ(j["Global"]["WeekPlan"][3], std::string(168, '0'));
    EXPECT_EQ(j["Global"]["Dome"][3]["BoxPreset"].size(), 256u);
    EXPECT_EQ(j["Global"]["SpecialDays"][14]["Day"], 0);
    EXPECT_EQ(j["Global"]["SabotageStringBytes"], std::string(320, 'f'));

    EXPECT_EQ(j["Pictures"][3], "TWFu");
    EXPECT_EQ(j["Trailing"], "AQID");
    EXPECT_EQ(j["AlarmLan"]["AuxText"], "Video");
    EXPECT_EQ(j["AlarmLan"]["Port"], json::array({0, 80}));
    ASSERT_EQ(j["AlarmLanEarlierCopies"].size(), 3u);
    EXPECT_EQ(j["AlarmLanEarlierCopies"][1]["Ip"], json::array({10, 168, 1, 255}));
    EXPECT_EQ(j["AlarmLanEarlierCopies"][0]["Ip"], json::array({192, 168, 1, 255}));
    EXPECT_EQ(j["PersonSetup"][3][3]["PersonContour"], 40);
    EXPECT_EQ(j["Vds"]["Active"].size(), 16u);
}

TEST(SetupJsonEncoding, OrderedFormKeepsTheFileOrder) {
    const auto j = SetupFileToOrderedJson(*DefaultImage());
    std::vector<std::string> top;
    for (auto it = j.begin(); it != j.end(); ++it) top.push_back(it.key());
    EXPECT_EQ(top, (std::vector<std::string>{"FileHeader", "TimeZoneBlocks", "Global", "Pictures", "PersonSetup",
                                             "AlarmLan", "Vds"}));
    EXPECT_EQ(j["FileHeader"].begin().key(), "Year");
    EXPECT_EQ(j["TimeZoneBlocks"][0][0].begin().key(), "Areas");
}

TEST(SetupJsonEncoding, ImportPadsCharsWithZerosAndFillsAllAlarmLanCopies) {
    auto image = DefaultImage();
    json j = SetupFileToJson(*image);
    j["TimeZoneBlocks"][0][1]["CameraName"] = "Tor \u00C4";
    j["AlarmLan"]["Ip"][3] = 7;
    auto back = std::make_unique<TSetupFileImage>();
    std::string error;
    ASSERT_TRUE(SetupFileFromJson(j, *back, error)) << error;
    const char expected[kCameraNameSize] = "Tor \xC4";
    EXPECT_EQ(std::memcmp(back->TimeZoneBlocks[0].Camera[1].CameraName, expected, kCameraNameSize), 0);
    for (const auto& copy : back->AlarmLanCopies) EXPECT_EQ(copy.Ip[3], 7);
    // A name that fills the whole field, without a terminating zero, is accepted.
    j["TimeZoneBlocks"][0][1]["CameraName"] = std::string(kCameraNameSize, 'N');
    EXPECT_TRUE(SetupFileFromJson(j, *back, error)) << error;
}

TEST(SetupJsonBase64, DecodesStrictly) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(DecodeBase64("", out));
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(DecodeBase64("TWE=", out));
    EXPECT_EQ(out, (std::vector<uint8_t>{'M', 'a'}));
    ASSERT_TRUE(DecodeBase64("+/8=", out));
    EXPECT_EQ(out, (std::vector<uint8_t>{0xFB, 0xFF}));
    for (const char* bad : {"TWE", "TW=E", "T===", "====", "TWE=TWFu", "TW\nFu", "TW-u", "TWFu "})
        EXPECT_FALSE(DecodeBase64(bad, out)) << bad;
}

// ---------------------------------------------------------------- refusals

TEST(SetupJsonRefusal, BadFieldsAreNamedByTheirPath) {
    struct Case {
        const char* name;
        std::function<void(json&)> mutate;
        std::string expected;  // the start of the message
    };
    const auto tz12 = [](json& j) -> json& { return j["TimeZoneBlocks"][1][2]; };
    const Case cases[] = {
        {"missing field", [&](json& j) { tz12(j)["Areas"][0].erase("MinCells"); },
         "TimeZoneBlocks[1][2].Areas[0].MinCells: missing"},
        {"missing top-level key", [](json& j) { j.erase("Global"); }, "Global: missing"},
        {"missing nested record field", [](json& j) { j["Global"]["SpecialDays"][3].erase("Zone"); },
         "Global.SpecialDays[3].Zone: missing"},
        {"u8 of 256", [](json& j) { j["Global"]["AlarmViaRs232"] = 256; },
         "Global.AlarmViaRs232: must be an integer from 0 to 255, not 256"},
        {"u8 of -1", [](json& j) { j["PersonSetup"][2][1]["PersonDetection"][3] = -1; },
         "PersonSetup[2][1].PersonDetection[3]: must be an integer from 0 to 255, not -1"},
        {"header byte as text", [](json& j) { j["FileHeader"]["Month"] = "5"; },
         "FileHeader.Month: must be an integer from 0 to 255, not \"5\""},
        {"i32 beyond 32 bits", [&](json& j) { tz12(j)["MaxObjects"] = 2147483648LL; },
         "TimeZoneBlocks[1][2].MaxObjects: must be an integer from -2147483648 to 2147483647, not 2147483648"},
        {"i32 below 32 bits", [](json& j) { j["Vds"]["SendSabotage"] = -2147483649LL; },
         "Vds.SendSabotage: must be an integer from -2147483648"},
        {"i32 as a fraction", [](json& j) { j["Global"]["Dome"][1]["DomeAddress"] = 1.5; },
         "Global.Dome[1].DomeAddress: must be an integer"},
        {"i32 as a boolean", [&](json& j) { tz12(j)["Geometry"][3]["BackTop"] = true; },
         "TimeZoneBlocks[1][2].Geometry[3].BackTop: must be an integer"},
        {"i32 as null", [](json& j) { j["Global"]["Rs232BaudIndex"] = nullptr; },
         "Global.Rs232BaudIndex: must be an integer"},
        {"array too short", [](json& j) { j["Global"]["Dome"][0]["BoxPreset"].erase(0); },
         "Global.Dome[0].BoxPreset: must be an array of 256 elements, not an array of 255 elements"},
        {"array instead of a number", [&](json& j) { tz12(j)["BinaryFilter"] = json::array({1}); },
         "TimeZoneBlocks[1][2].BinaryFilter: must be an integer"},
        {"number instead of an array", [&](json& j) { tz12(j)["DirectionMask"] = 0; },
         "TimeZoneBlocks[1][2].DirectionMask: must be an array of 2 elements"},
        {"three time zones", [](json& j) { j["TimeZoneBlocks"].erase(3); },
         "TimeZoneBlocks: must be an array of 4 time zones"},
        {"five cameras", [](json& j) { j["TimeZoneBlocks"][2].push_back(j["TimeZoneBlocks"][2][0]); },
         "TimeZoneBlocks[2]: must be an array of 4 cameras"},
        {"record not an object", [](json& j) { j["Global"] = json::array(); },
         "Global: must be an object (TGlobalSetup)"},
        {"cells row too short", [&](json& j) { tz12(j)["Areas"][1]["Cells"][5] = std::string(89, '0'); },
         "TimeZoneBlocks[1][2].Areas[1].Cells[5]: must be a string of 90 characters 0 or 1"},
        {"cells row with a 2", [&](json& j) { tz12(j)["Areas"][1]["Cells"][71] = std::string(89, '0') + "2"; },
         "TimeZoneBlocks[1][2].Areas[1].Cells[71]: must be a string of 90 characters 0 or 1"},
        {"cells with 71 rows", [&](json& j) { tz12(j)["Areas"][2]["Cells"].erase(0); },
         "TimeZoneBlocks[1][2].Areas[2].Cells: must be an array of 72 strings"},
        {"cell value 1 in the list", [&](json& j) { tz12(j)["Areas"][0]["CellValues"] = json::parse("[[0,0,1]]"); },
         "TimeZoneBlocks[1][2].Areas[0].CellValues[0][2]: must be an integer from 2 to 255, not 1"},
        {"cell value beyond the grid", [&](json& j) { tz12(j)["Areas"][0]["CellValues"] = json::parse("[[72,0,5]]"); },
         "TimeZoneBlocks[1][2].Areas[0].CellValues[0][0]: must be an integer from 0 to 71, not 72"},
        {"cell value on a free cell", [&](json& j) { tz12(j)["Areas"][1]["CellValues"] = json::parse("[[1,2,5]]"); },
         "TimeZoneBlocks[1][2].Areas[1].CellValues[0]: the cell at row 1, column 2 is 0"},
        {"cell value listed twice",
         [&](json& j) { tz12(j)["Areas"][0]["CellValues"] = json::parse("[[1,2,5],[1,2,6]]"); },
         "TimeZoneBlocks[1][2].Areas[0].CellValues[1]: the cell at row 1, column 2 is listed twice"},
        {"cell value entry too short", [&](json& j) { tz12(j)["Areas"][0]["CellValues"] = json::parse("[[1,2]]"); },
         "TimeZoneBlocks[1][2].Areas[0].CellValues[0]: must be an array of 3 integers"},
        {"bad base64 length", [](json& j) { j["Pictures"][2] = "abc"; }, "Pictures[2]: is not base64 text"},
        {"bad base64 character", [](json& j) { j["Pictures"][0] = "ab!d"; }, "Pictures[0]: is not base64 text"},
        {"picture as a number", [](json& j) { j["Pictures"][1] = 5; }, "Pictures[1]: must be base64 text"},
        {"bad trailing base64", [](json& j) { j["Trailing"] = "x"; }, "Trailing: is not base64 text"},
        {"unknown key in an area", [](json& j) { j["TimeZoneBlocks"][0][3]["Areas"][2]["MinCels"] = 1; },
         "TimeZoneBlocks[0][3].Areas[2].MinCels: unknown key"},
        {"unknown top-level key", [](json& j) { j["Extra"] = 1; }, "Extra: unknown key"},
        {"cell values outside an area", [](json& j) { j["Global"]["CellValues"] = json::array(); },
         "Global.CellValues: unknown key"},
        {"chars too long", [&](json& j) { tz12(j)["CameraName"] = std::string(26, 'x'); },
         "TimeZoneBlocks[1][2].CameraName: must be a text of at most 25 characters, not 26 characters"},
        {"chars too long in Windows-1252", [](json& j) { j["AlarmLan"]["AuxText"] = "\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC"; },
         "AlarmLan.AuxText: must be a text of at most 5 characters, not 6"},
        {"chars outside Windows-1252", [](json& j) { j["Global"]["AlarmHostPass"] = "\u2603"; },
         "Global.AlarmHostPass: holds a character that Windows-1252 cannot represent"},
        {"chars as a number", [&](json& j) { tz12(j)["CameraName"] = 1; },
         "TimeZoneBlocks[1][2].CameraName: must be a text of at most 25 characters, not 1"},
        {"hex with a non-digit", [&](json& j) { tz12(j)["reserved26267"] = "g0"; },
         "TimeZoneBlocks[1][2].reserved26267: must be a string of 2 hexadecimal digits, not \"g0\""},
        {"hex too long", [&](json& j) { tz12(j)["reserved26306"] = "00000"; },
         "TimeZoneBlocks[1][2].reserved26306: must be a string of 4 hexadecimal digits"},
        {"week plan of 83 bytes", [](json& j) { j["Global"]["WeekPlan"][2] = std::string(166, '0'); },
         "Global.WeekPlan[2]: must be a string of 168 hexadecimal digits"},
        {"earlier alarm LAN copies: four", [](json& j) { j["AlarmLanEarlierCopies"] = json::array({j["AlarmLan"], j["AlarmLan"], j["AlarmLan"], j["AlarmLan"]}); },
         "AlarmLanEarlierCopies: must be an array of 3 alarm LAN blocks"},
        {"earlier alarm LAN copy with a bad field", [](json& j) {
             j["AlarmLanEarlierCopies"] = json::array({j["AlarmLan"], j["AlarmLan"], j["AlarmLan"]});
             j["AlarmLanEarlierCopies"][1]["Port"][0] = 300;
         },
         "AlarmLanEarlierCopies[1].Port[0]: must be an integer from 0 to 255, not 300"},
        {"VdS missing in version 3.3", [](json& j) { j.erase("Vds"); }, "Vds: missing"},
        {"VdS in version 3.2", [](json& j) { j["FileHeader"]["VersionMinor"] = 2; },
         "Vds: a file of version 3.2.0 does not hold this part"},
        {"person setup in version 2.3", [](json& j) { j["FileHeader"]["VersionMajor"] = 2; },
         "PersonSetup: a file of version 2.3.0 does not hold this part"},
        {"alarm LAN in version 2.3", [](json& j) {
             j["FileHeader"]["VersionMajor"] = 2;
             j.erase("PersonSetup");
         },
         "AlarmLan: a file of version 2.3.0 does not hold this part"},
        {"not an object at all", [](json& j) { j = json::array(); }, "the JSON document: must be an object"},
    };
    const json good = SetupFileToJson(*DefaultImage());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        json j = good;
        c.mutate(j);
        auto image = std::make_unique<TSetupFileImage>();
        image->Header.Year = 77;  // left as it was on failure
        std::string error;
        EXPECT_FALSE(SetupFileFromJson(j, *image, error));
        EXPECT_EQ(error.substr(0, c.expected.size()), c.expected) << error;
        EXPECT_EQ(image->Header.Year, 77);
    }
}

}  // namespace
}  // namespace zep4
