// The setup file: layout, version rules, round trips, and damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <memory>

#include "setup/jpeg_codec.h"
#include "setup/setup_defaults.h"
#include "setup/setup_file.h"
#include "test_support.h"

using namespace zep4;
using zep4::test::TempDir;

namespace {

std::unique_ptr<TSetupStore> defaultStore() {
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, "Camera");
    return store;
}

// A store whose every block differs from the defaults, reserved bytes included.
std::unique_ptr<TSetupStore> changedStore() {
    auto store = defaultStore();
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam) {
            TCameraSetup& c = store->camera(tz, cam);
            c.reserved26267 = static_cast<uint8_t>(0xA0 + tz * 4 + cam);
            c.reserved26325[2] = 0x5A;
            c.Areas[2].reserved6559 = 0x33;
            c.Areas[1].Cells.at(tz, cam) = 1;
            c.Geometry[3].reserved17 = 1234567;
            c.MaxObjects = tz * 4 + cam + 1;
            store->PersonSetup[tz][cam].PersonContour = static_cast<uint8_t>(10 + tz * 4 + cam);
        }
    store->Global.reserved4889[1] = 0x77;
    store->Global.Dome[2].BoxPreset[255] = 42;
    store->AlarmLan.AuxBytes[3] = 9;
    store->Vds.SendSabotage = 1;
    store->Vds.BaseAddress[2] = 0xAB;
    store->CameraPicture[1] = TPicture::Filled(720, 540, 200, 40, 40);
    return store;
}

std::tm someTime() {
    std::tm t{};
    t.tm_year = 2004 - 1900;
    t.tm_mon = 5;
    t.tm_mday = 7;
    t.tm_hour = 13;
    t.tm_min = 45;
    t.tm_sec = 9;
    return t;
}

// The blocks a file carries, compared byte for byte.
void expectSameRecords(const TSetupStore& a, const TSetupStore& b) {
    EXPECT_EQ(0, std::memcmp(a.TimeZoneBlocks.data(), b.TimeZoneBlocks.data(), sizeof a.TimeZoneBlocks));
    EXPECT_EQ(0, std::memcmp(&a.Global, &b.Global, sizeof a.Global));
    EXPECT_EQ(0, std::memcmp(&a.AlarmLan, &b.AlarmLan, sizeof a.AlarmLan));
    EXPECT_EQ(0, std::memcmp(&a.Vds, &b.Vds, sizeof a.Vds));
    EXPECT_EQ(0, std::memcmp(a.PersonSetup, b.PersonSetup, sizeof a.PersonSetup));
}

std::vector<uint8_t> fileBytesOf(const TSetupStore& store, uint8_t major, uint8_t minor) {
    TFileHeader h = MakeSaveHeader(someTime());
    h.VersionMajor = major;
    h.VersionMinor = minor;
    return BuildSetupFile(*ImageFromStore(store, h));
}

}  // namespace

TEST(SetupFile, SaveAndOpenRoundTripKeepsEveryByte) {
    TempDir dir;
    auto saved = changedStore();
    std::string error;
    ASSERT_TRUE(SaveSetupFile(dir / "a.zep", *saved, MakeSaveHeader(someTime()), error)) << error;

    auto opened = defaultStore();
    opened->CurrentCamera = 3;
    opened->CurrentArea = 2;
    std::vector<std::string> warnings;
    ASSERT_TRUE(OpenSetupFile(dir / "a.zep", *opened, warnings, error)) << error;
    EXPECT_TRUE(warnings.empty());
    expectSameRecords(*saved, *opened);
    EXPECT_EQ(opened->CurrentCamera, 0);
    EXPECT_EQ(opened->CurrentArea, 0);
    EXPECT_EQ(opened->FileHeader.Year, 4);
    EXPECT_EQ(opened->FileHeader.Second, 9);
    // JPEG is lossy: the red picture comes back close to red.
    const TPicture& p = opened->CameraPicture[1];
    ASSERT_EQ(p.Width, 720);
    ASSERT_EQ(p.Height, 540);
    EXPECT_NEAR(p.Rgb[3 * (270 * 720 + 360)], 200, 6);
    EXPECT_NEAR(p.Rgb[3 * (270 * 720 + 360) + 1], 40, 6);
}

TEST(SetupFile, LayoutOfADefaultFile) {
    auto store = defaultStore();
    const auto bytes = fileBytesOf(*store, 3, 3);
    const auto jpeg = EncodeJpeg(TPicture::Black(720, 540));
    ASSERT_EQ(bytes.size(), 9 + 429760 + 4892 + 16 + 4 * jpeg.size() + 204 + 216);
    const uint8_t header[9] = {4, 6, 7, 13, 45, 9, 3, 3, 0};
    EXPECT_EQ(0, std::memcmp(bytes.data(), header, 9));
    int32_t len0;
    std::memcpy(&len0, bytes.data() + 9 + 429760 + 4892, 4);
    EXPECT_EQ(static_cast<size_t>(len0), jpeg.size());
    // Camera 2 of time zone 1 starts at 9 + 26860; its ChannelActive byte at +26240.
    EXPECT_EQ(bytes[9 + 26860 + 26240], 1);
    // The four alarm LAN copies follow each time zone's person records.
    const size_t part6 = 9 + 429760 + 4892 + 16 + 4 * jpeg.size();
    for (int tz = 0; tz < 4; ++tz) {
        EXPECT_EQ(bytes[part6 + tz * 51 + 2], 40) << "PersonContour of tz " << tz;
        EXPECT_EQ(bytes[part6 + tz * 51 + 36], 192) << "AlarmLan copy " << tz;
    }
}

TEST(SetupFile, SavingTwiceDiffersOnlyInTheTime) {
    auto store = changedStore();
    auto a = fileBytesOf(*store, 3, 3);
    TFileHeader later = MakeSaveHeader(someTime());
    later.Minute = 59;
    auto b = BuildSetupFile(*ImageFromStore(*store, later));
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        if (i != 4) ASSERT_EQ(a[i], b[i]) << "byte " << i;
    }
}

struct VersionCase {
    uint8_t major, minor;
    bool personPart, vdsPart;
};

class SetupFileVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(SetupFileVersions, TrailingPartsFollowTheVersion) {
    const VersionCase v = GetParam();
    TempDir dir;
    auto written = changedStore();
    test::writeFileBytes(dir / "old.zep", fileBytesOf(*written, v.major, v.minor));

    auto before = defaultStore();
    auto opened = defaultStore();
    std::vector<std::string> warnings;
    std::string error;
    ASSERT_TRUE(OpenSetupFile(dir / "old.zep", *opened, warnings, error)) << error;
    EXPECT_EQ(0, std::memcmp(opened->TimeZoneBlocks.data(), written->TimeZoneBlocks.data(),
                             sizeof written->TimeZoneBlocks));
    const TSetupStore& personFrom = v.personPart ? *written : *before;
    EXPECT_EQ(0, std::memcmp(opened->PersonSetup, personFrom.PersonSetup, sizeof opened->PersonSetup));
    EXPECT_EQ(0, std::memcmp(&opened->AlarmLan, &personFrom.AlarmLan, sizeof opened->AlarmLan));
    const TSetupStore& vdsFrom = v.vdsPart ? *written : *before;
    EXPECT_EQ(0, std::memcmp(&opened->Vds, &vdsFrom.Vds, sizeof opened->Vds));
    EXPECT_EQ(opened->FileHeader.VersionMajor, v.major);
    EXPECT_EQ(opened->FileHeader.VersionMinor, v.minor);
}

INSTANTIATE_TEST_SUITE_P(, SetupFileVersions,
                         ::testing::Values(VersionCase{2, 0, false, false}, VersionCase{2, 9, false, false},
                                           VersionCase{3, 0, true, false}, VersionCase{3, 1, true, false},
                                           VersionCase{3, 2, true, false}, VersionCase{3, 3, true, true},
                                           VersionCase{200, 250, true, true}));

TEST(SetupFile, SaveAfterOpeningAnOldFileWritesTheProgramVersion) {
    TempDir dir;
    auto store = changedStore();
    test::writeFileBytes(dir / "old.zep", fileBytesOf(*store, 2, 1));
    std::vector<std::string> warnings;
    std::string error;
    ASSERT_TRUE(OpenSetupFile(dir / "old.zep", *store, warnings, error));
    store->Vds.ReceiverType = 2;
    ASSERT_TRUE(SaveSetupFile(dir / "new.zep", *store, MakeSaveHeader(someTime()), error));
    EXPECT_EQ(store->FileHeader.VersionMajor, 3);

    auto reopened = defaultStore();
    ASSERT_TRUE(OpenSetupFile(dir / "new.zep", *reopened, warnings, error));
    EXPECT_EQ(int32_t{reopened->Vds.ReceiverType}, 2);  // a copy: the packed field is unaligned
}

TEST(SetupFile, LastAlarmLanCopyWins) {
    auto store = defaultStore();
    auto image = ImageFromStore(*store, MakeSaveHeader(someTime()));
    image->AlarmLanCopies[0].Ip[0] = 1;
    image->AlarmLanCopies[3].Ip[0] = 4;
    const auto bytes = BuildSetupFile(*image);
    TSetupFileImage parsed;
    std::string error;
    ASSERT_TRUE(ParseSetupFile(bytes.data(), bytes.size(), parsed, error));
    std::vector<std::string> warnings;
    ApplyImageToStore(parsed, *store, warnings);
    EXPECT_EQ(store->AlarmLan.Ip[0], 4);
}

struct CutCase {
    const char* name;
    size_t keep;  // bytes of the file kept, counted from its start (SIZE_MAX-n: n bytes cut off the end)
    const char* part;
};

class TruncatedSetupFile : public ::testing::TestWithParam<CutCase> {};

TEST_P(TruncatedSetupFile, IsRefusedAndTheStoreStaysAsItWas) {
    const CutCase c = GetParam();
    TempDir dir;
    auto source = changedStore();
    auto bytes = fileBytesOf(*source, 3, 3);
    const size_t keep = c.keep > bytes.size() ? bytes.size() - (SIZE_MAX - c.keep) : c.keep;
    bytes.resize(keep);
    test::writeFileBytes(dir / "cut.zep", bytes);

    auto store = defaultStore();
    store->CurrentCamera = 2;
    store->CurrentTimeZone = 1;
    store->CurrentArea = 3;
    store->CameraPicture[0] = TPicture::Filled(720, 540, 1, 2, 3);
    auto before = std::make_unique<TSetupStore>(*store);

    std::vector<std::string> warnings;
    std::string error;
    EXPECT_FALSE(OpenSetupFile(dir / "cut.zep", *store, warnings, error));
    EXPECT_NE(error.find("cut.zep"), std::string::npos) << error;
    EXPECT_NE(error.find(c.part), std::string::npos) << error;
    expectSameRecords(*before, *store);
    EXPECT_EQ(store->CameraPicture[0], before->CameraPicture[0]);
    EXPECT_EQ(0, std::memcmp(&store->FileHeader, &before->FileHeader, sizeof store->FileHeader));
    EXPECT_EQ(store->CurrentCamera, 2);
    EXPECT_EQ(store->CurrentTimeZone, 1);
    EXPECT_EQ(store->CurrentArea, 3);
}

INSTANTIATE_TEST_SUITE_P(
    , TruncatedSetupFile,
    ::testing::Values(CutCase{"Empty", 0, "the file header"}, CutCase{"InHeader", 5, "the file header"},
                      CutCase{"InTimeZone1", 9 + 100, "time zone 1"},
                      CutCase{"InTimeZone4", 9 + 3 * 107440 + 5, "time zone 4"},
                      CutCase{"InGlobal", 9 + 429760 + 4000, "the global setup"},
                      CutCase{"InLengths", 9 + 429760 + 4892 + 6, "the picture lengths"},
                      CutCase{"InPicture1", 9 + 429760 + 4892 + 16 + 10, "picture of camera 1"},
                      CutCase{"InPersonPart", SIZE_MAX - 216 - 20, "time zone 4"},
                      CutCase{"InVds", SIZE_MAX - 1, "VdS"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SetupFile, NegativePictureLengthIsRefused) {
    auto bytes = fileBytesOf(*defaultStore(), 3, 3);
    const int32_t bad = -5;
    std::memcpy(bytes.data() + 9 + 429760 + 4892 + 8, &bad, 4);
    TSetupFileImage image;
    std::string error;
    EXPECT_FALSE(ParseSetupFile(bytes.data(), bytes.size(), image, error));
    EXPECT_NE(error.find("camera 3"), std::string::npos) << error;
}

TEST(SetupFile, UndecodablePictureOpensTheSetupWithABlackPictureAndAWarning) {
    TempDir dir;
    auto source = changedStore();
    auto image = ImageFromStore(*source, MakeSaveHeader(someTime()));
    image->Jpeg[2].assign(300, 0x42);
    test::writeFileBytes(dir / "bad.zep", BuildSetupFile(*image));

    auto store = defaultStore();
    store->CameraPicture[2] = TPicture::Filled(720, 540, 9, 9, 9);
    std::vector<std::string> warnings;
    std::string error;
    ASSERT_TRUE(OpenSetupFile(dir / "bad.zep", *store, warnings, error)) << error;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("camera 3"), std::string::npos) << warnings[0];
    EXPECT_EQ(store->CameraPicture[2], TPicture::Black(720, 540));
    EXPECT_EQ(store->camera(0, 0).MaxObjects, 1);  // the setup itself was taken
}

TEST(SetupFile, PictureLengthZeroMeansNoPicture) {
    auto image = ImageFromStore(*defaultStore(), MakeSaveHeader(someTime()));
    image->Jpeg[1].clear();
    const auto bytes = BuildSetupFile(*image);
    TSetupFileImage parsed;
    std::string error;
    ASSERT_TRUE(ParseSetupFile(bytes.data(), bytes.size(), parsed, error)) << error;
    EXPECT_TRUE(parsed.Jpeg[1].empty());
    EXPECT_EQ(parsed.Jpeg[2], image->Jpeg[2]);
    auto store = defaultStore();
    std::vector<std::string> warnings;
    ApplyImageToStore(parsed, *store, warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(store->CameraPicture[1], TPicture::Black(720, 540));
}

TEST(SetupFile, FailedSaveLeavesTheOldFileAndNoLeftovers) {
    TempDir dir;
    auto store = defaultStore();
    std::string error;
    EXPECT_FALSE(SaveSetupFile(dir / "missing-folder" / "x.zep", *store, MakeSaveHeader(someTime()), error));
    EXPECT_NE(error.find("x.zep"), std::string::npos);

    // A folder standing where the file should go: the rename fails, the temporary file goes.
    std::filesystem::create_directory(dir / "taken.zep");
    test::writeFileText(dir / "taken.zep" / "keep", "x");
    EXPECT_FALSE(SaveSetupFile(dir / "taken.zep", *store, MakeSaveHeader(someTime()), error));
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(store->FileHeader.Year, TSetupStore().FileHeader.Year);  // header kept on failure
}

TEST(SetupFile, OpenReportsAMissingFileByName) {
    TempDir dir;
    auto store = defaultStore();
    std::vector<std::string> warnings;
    std::string error;
    EXPECT_FALSE(OpenSetupFile(dir / "nowhere.zep", *store, warnings, error));
    EXPECT_NE(error.find("nowhere.zep"), std::string::npos);
}

// A damaged picture must not spoil the decoder for the pictures after it.
TEST(JpegCodec, DecodesAGoodPictureAfterDamagedOnes) {
    TPicture scene = TPicture::Filled(720, 540, 30, 120, 200);
    for (size_t i = 0; i < scene.Rgb.size(); i += 7) scene.Rgb[i] = uint8_t(i);
    const std::vector<uint8_t> good = EncodeJpeg(scene);
    std::vector<uint8_t> half(good.begin(), good.begin() + long(good.size() / 2));
    std::vector<uint8_t> scrambled = good;
    for (size_t i = 600; i < scrambled.size() - 2; i += 5) scrambled[i] = 0xFF;
    std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 200);
    for (const auto* damaged : {&half, &scrambled, &headerOnly}) {
        TPicture out;
        std::string error;
        (void)DecodeJpeg(*damaged, out, error);
        TPicture again;
        ASSERT_TRUE(DecodeJpeg(good, again, error)) << error;
        EXPECT_EQ(again.Width, 720);
        EXPECT_EQ(again.Height, 540);
    }
}
