// The setup file (*.zep): a 9-byte header, the four time-zone blocks, the global block, the
// four reference pictures as JPEG, and, depending on the version in the header, the person
// and alarm LAN records (part 6) and the VdS block (part 7).
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "setup/setup_store.h"

namespace zep4 {

// Everything a setup file holds, exactly as it holds it: the pictures stay JPEG bytes.
struct TSetupFileImage {
    TFileHeader Header{};
    std::array<TTimeZoneBlock, kTimeZones> TimeZoneBlocks{};
    TGlobalSetup Global{};
    std::array<std::vector<uint8_t>, kCameras> Jpeg;
    TPersonSetup PersonSetup[kTimeZones][kCameras]{};
    // The file repeats the alarm LAN block after each time zone's person records; the last
    // copy is the one that counts.
    std::array<TAlarmLanSetup, kTimeZones> AlarmLanCopies{};
    TVdsSetup Vds{};
    // Bytes after the last part; ignored when opening, kept so that a file can be rebuilt
    // exactly.
    std::vector<uint8_t> Trailing;

    bool hasPersonPart() const { return Header.VersionMajor > 2; }
    bool hasVdsPart() const { return Header.VersionMajor > 2 && Header.VersionMinor > 2; }
};

constexpr size_t kHeaderSize = sizeof(TFileHeader);
constexpr size_t kPersonPartSize = kTimeZones * (kCameras * sizeof(TPersonSetup) + sizeof(TAlarmLanSetup));
static_assert(kPersonPartSize == 204);

// Parses a whole file. On failure returns false and says in `error` what is wrong (which part
// is missing or damaged); `image` may then hold parts of the file and must be thrown away.
bool ParseSetupFile(const uint8_t* data, size_t size, TSetupFileImage& image, std::string& error);

// The bytes of a file; the header's version decides whether parts 6 and 7 are written.
std::vector<uint8_t> BuildSetupFile(const TSetupFileImage& image);

// Header for a save at the given local time: two-digit year, and the program's own version
// 3, 3, 0, so that parts 6 and 7, which every save writes, are read again on the next open.
TFileHeader MakeSaveHeader(const std::tm& localTime);

// The system's local date and time now.
std::tm LocalTimeNow();

// The file image of the store: its records and its pictures encoded as JPEG.
std::unique_ptr<TSetupFileImage> ImageFromStore(const TSetupStore& store, const TFileHeader& header);

// Puts a parsed file into the store: header, blocks, pictures, and parts 6 and 7 where the
// version has them (blocks the file lacks keep their values); selects camera 1, time zone 1,
// area 1. It cannot fail once the file is parsed: a picture that cannot be decoded leaves
// that camera black and adds a warning naming the camera.
void ApplyImageToStore(const TSetupFileImage& image, TSetupStore& store, std::vector<std::string>& warnings);

// Reads and parses a file. On failure returns nullptr with a message naming the file and
// what is wrong.
std::unique_ptr<TSetupFileImage> ReadSetupFile(const std::filesystem::path& file, std::string& error);

// Opens a file into the store: nothing in the store changes unless the whole file is sound.
bool OpenSetupFile(const std::filesystem::path& file, TSetupStore& store, std::vector<std::string>& warnings,
                   std::string& error);

// Saves the store with the given header (which also becomes the store's FileHeader once the
// file is written). Writes to a temporary file and renames it over the target.
bool SaveSetupFile(const std::filesystem::path& file, TSetupStore& store, const TFileHeader& header,
                   std::string& error);

}  // namespace zep4
