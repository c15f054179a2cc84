// The connection manager's address, port and version rules, the address book file, and the
// frames the link builds.
#include <gtest/gtest.h>

#include "link/address_book.h"
#include "link/frames.h"
#include "test_support.h"

using namespace zep4;

TEST(SensorAddress, IsNormalizedOrRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"192.168.2.230", "192.168.2.230"}, {"192.168.002.230", "192.168.2.230"}, {"0.0.0.0", "0.0.0.0"},
        {"255.255.255.255", "255.255.255.255"}, {"192.168.1", ""},  // two dots
        {"192.168.1.256", ""}, {"1.2.3.4.5", ""}, {"1..3.4", ""}, {"a.b.c.d", ""}, {"", ""},
        {"1.2.3.-4", ""}, {"1.2.3.99999999999999", ""}, {" 1.2.3.4", ""},
    };
    for (auto [in, out] : cases) EXPECT_EQ(NormalizeSensorAddress(in), out) << in;
}

TEST(SensorPort, FallsBackTo81) {
    const std::pair<const char*, int> cases[] = {{"81", 81}, {"4081", 4081}, {"abc", 81}, {"", 81},
                                                 {"0", 81},   {"65536", 81},  {"12x", 81}, {" 82 ", 82}};
    for (auto [in, out] : cases) EXPECT_EQ(ParseSensorPort(in), out) << in;
}

TEST(FirmwareVersion, OlderThan350IsReportedAsANumber) {
    const std::pair<const char*, bool> cases[] = {
        {"V3.49", true}, {"V3.50", false}, {"V3.60", false}, {"V4.00", false}, {"V10.0", false}, {"V3.5", false},
        {"V2.99", true}, {"V3.4", true},   {"Vx.yz", true},  {"", true},       {"V3.5a", true},  {"3.51 ", false},
    };
    for (auto [in, old] : cases) EXPECT_EQ(IsOldFirmware(in), old) << in;
}

TEST(AddressBook, ReadingStopsAtAnEmptyNameAndKeepsLongFields) {
    const std::string longName(40, 'x');
    const auto entries = ParseAddressBook(longName +
                                          "\r\n10.0.0.1  \r\n81\r\nsensor.local\r\nuser\r\n"
                                          "\r\n10.0.0.2\r\n82\r\n\r\n\r\n"
                                          "third\n10.0.0.3\n83\n\n\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (TAddressEntry{longName, "10.0.0.1", "81", "sensor.local", "user"}));
}

TEST(AddressBook, RoundTripThroughTheFile) {
    test::TempDir dir;
    const std::vector<TAddressEntry> entries = {{"Halle Süd", "192.168.1.20", "81", "", ""},
                                                {"Simulator", "127.0.0.1", "4081", "", ""}};
    std::string error;
    ASSERT_TRUE(SaveAddressBook(dir.path(), entries, error)) << error;
    EXPECT_EQ(LoadAddressBook(dir.path()), entries);
    // A file written by the design's program in Windows-1252 reads as well.
    test::writeFileText(dir / "Network.ini", "Halle S\xFC" "d\r\n1.2.3.4\r\n81\r\n\r\n\r\n");
    EXPECT_EQ(LoadAddressBook(dir.path())[0].Name, "Halle Süd");
    EXPECT_TRUE(LoadAddressBook(dir / "missing").empty());
}

TEST(AddressBook, LineBreaksInsideAFieldDoNotShiftTheFile) {
    const auto text = FormatAddressBook({{"a\nb", "1.2.3.4", "81", "", ""}, {"next", "", "", "", ""}});
    const auto back = ParseAddressBook(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].Name, "next");
}

TEST(Frames, CheckBytesOfTheCommandTable) {
    const std::tuple<uint8_t, uint8_t, uint8_t, uint8_t> cases[] = {
        {cmd::Login, 0, 0, 0x2B},          {cmd::PasswordChange, 0x16, 0, 0x3C}, {cmd::VersionQuery, 0, 0, 0x29},
        {cmd::ReadDateTime, 0, 0, 0x5B},   {cmd::SetDateTime, 0x08, 0, 0x52},    {cmd::ReadIp, 0, 0, 0x5E},
        {cmd::WriteIp, 0x0E, 0, 0x53},     {cmd::DomeOrder, 0, 0x04, 0x56},      {cmd::BeginTransfer, 0, 0, 0x4B},
        {cmd::EndTransfer, 0, 0, 0x4A},    {cmd::DataBlock, 0x82, 0, 0xCA},      {cmd::FirmwareStart, 0x40, 0, 0x3B},
        {cmd::FirmwareData, 0x40, 0, 0x3A}, {cmd::ServiceTestStart, 0, 0, 0x8B}, {cmd::ServiceTestValues, 0, 0, 0x8A},
    };
    for (auto [code, p2, p3, check] : cases) {
        const auto f = CommandFrame(code, 0, p2, p3);
        EXPECT_EQ(f[0], 0x1B);
        EXPECT_EQ(f[5], check) << std::hex << int(code);
    }
    EXPECT_EQ(CommandFrame(cmd::RequestFirstBlock, 1, 1, 0)[5], 0x70);
    EXPECT_EQ(CommandFrame(cmd::RequestNextBlock, 6, 0, 0)[5], 0x71);
    EXPECT_EQ(Acknowledgement(cmd::BeginTransfer)[5], 0x4D);
    EXPECT_EQ(Acknowledgement(cmd::DataBlock)[5], 0x4E);
    EXPECT_EQ(Acknowledgement(cmd::EndTransfer)[5], 0x4C);
}

TEST(Frames, LoginFrameCarriesTenCharactersAndTheFullLength) {
    struct Case {
        const char* password;
        size_t carried;
        uint8_t length;
    };
    for (const Case c : {Case{"abc", 3, 3}, Case{"0123456789", 10, 10}, Case{"0123456789AB", 10, 12}}) {
        const auto f = LoginFrame(c.password);
        EXPECT_EQ((std::vector<uint8_t>(f.begin(), f.begin() + 6)),
                  (std::vector<uint8_t>{0x1B, 0x30, 0x00, 0x00, 0x00, 0x2B}));
        EXPECT_EQ(std::string(f.begin() + 6, f.begin() + 6 + c.carried), std::string(c.password, c.carried));
        EXPECT_EQ(f[16], c.length) << c.password;
    }
}
