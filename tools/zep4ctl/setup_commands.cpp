// Setup-file commands: new, check, export, import. The work is done by the model code; these
// functions only read arguments, call it and report.
#include <cstring>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>

#include <nlohmann/json.hpp>

#include "camera_word.h"
#include "commands.h"
#include "setup/file_io.h"
#include "setup/jpeg_codec.h"
#include "setup/setup_defaults.h"
#include "setup/setup_file.h"
#include "setup/setup_json.h"
#include "setup/setup_store.h"

namespace zep4ctl {
namespace {

namespace fs = std::filesystem;

bool WriteSetup(const fs::path& file, const zep4::TSetupFileImage& image, std::string& error) {
    std::string why;
    if (!zep4::WriteFileAtomically(file, zep4::BuildSetupFile(image), why)) {
        error = "The setup file \"" + file.string() + "\" cannot be written: " + why + ".";
        return false;
    }
    return true;
}

bool WriteStdout(const std::string& text) {
    std::cout << text;
    std::cout.flush();
    return static_cast<bool>(std::cout);
}

int RunNew(const QCommandLineParser&, const QStringList& args) {
    const fs::path file = ToPath(args[0]);
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    const std::string cameraWord = ec ? std::string() : CameraWordFromLanguageIni(here);

    auto store = std::make_unique<zep4::TSetupStore>();
    zep4::ResetSetupRecords(*store, cameraWord);
    const auto image = zep4::ImageFromStore(*store, zep4::MakeSaveHeader(zep4::LocalTimeNow()));
    std::string error;
    if (!WriteSetup(file, *image, error)) return Fail(error);
    return kExitOk;
}

std::string TwoDigits(int v) {
    std::ostringstream s;
    s << std::setw(2) << std::setfill('0') << v;
    return s.str();
}

int RunCheck(const QCommandLineParser&, const QStringList& args) {
    const fs::path file = ToPath(args[0]);
    std::string error;
    const auto image = zep4::ReadSetupFile(file, error);
    if (!image) return Fail(error);
    const zep4::TFileHeader& h = image->Header;

    std::ostringstream out;
    const auto row = [&out](const std::string& label, const std::string& value) {
        out << std::left << std::setw(20) << label << value << '\n';
    };
    size_t total = zep4::kHeaderSize + sizeof image->TimeZoneBlocks + sizeof image->Global + 16;
    out << "version " << int(h.VersionMajor) << '.' << int(h.VersionMinor) << '.' << int(h.VersionSub) << '\n';
    out << "date " << TwoDigits(h.Day) << '.' << TwoDigits(h.Month) << '.' << TwoDigits(h.Year) << '\n';
    out << "time " << TwoDigits(h.Hour) << ':' << TwoDigits(h.Minute) << ':' << TwoDigits(h.Second) << '\n';
    row("header", std::to_string(zep4::kHeaderSize) + " bytes");
    row("time zones", std::to_string(zep4::kTimeZones) + " x " + std::to_string(sizeof(zep4::TTimeZoneBlock)) + " bytes");
    row("global setup", std::to_string(sizeof(zep4::TGlobalSetup)) + " bytes");
    row("picture lengths", "16 bytes");
    std::vector<std::string> warnings;
    for (int c = 0; c < zep4::kCameras; ++c) {
        const auto& jpeg = image->Jpeg[c];
        total += jpeg.size();
        std::string value = std::to_string(jpeg.size()) + " bytes";
        zep4::TPicture picture;
        std::string why;
        if (jpeg.empty()) {
            value += ", no picture";
        } else if (zep4::DecodeJpeg(jpeg, picture, why)) {
            value += ", JPEG " + std::to_string(picture.Width) + " x " + std::to_string(picture.Height);
        } else {
            value += ", cannot be decoded";
            warnings.push_back("the picture of camera " + std::to_string(c + 1) + " cannot be decoded: " + why);
        }
        row("picture " + std::to_string(c + 1), value);
    }
    if (image->hasPersonPart()) {
        total += zep4::kPersonPartSize;
        row("part 6", std::to_string(zep4::kPersonPartSize) + " bytes (person and alarm LAN setup)");
        for (int tz = 0; tz + 1 < zep4::kTimeZones; ++tz)
            if (std::memcmp(&image->AlarmLanCopies[tz], &image->AlarmLanCopies[zep4::kTimeZones - 1],
                            sizeof(zep4::TAlarmLanSetup)) != 0) {
                out << "note: the four copies of the alarm LAN setup differ; the last one counts\n";
                break;
            }
    } else {
        row("part 6", "absent");
    }
    if (image->hasVdsPart()) {
        total += sizeof(zep4::TVdsSetup);
        row("part 7", std::to_string(sizeof(zep4::TVdsSetup)) + " bytes (VdS setup)");
    } else {
        row("part 7", "absent");
    }
    if (!image->Trailing.empty()) {
        total += image->Trailing.size();
        row("trailing bytes", std::to_string(image->Trailing.size()));
    }
    row("total", std::to_string(total) + " bytes");
    if (!WriteStdout(out.str())) return Fail("cannot write to the standard output");
    for (const auto& w : warnings) Warn(w);
    return kExitOk;
}

int RunExport(const QCommandLineParser&, const QStringList& args) {
    const fs::path file = ToPath(args[0]);
    std::string error;
    const auto image = zep4::ReadSetupFile(file, error);
    if (!image) return Fail(error);
    if (!WriteStdout(zep4::SetupFileToOrderedJson(*image).dump(2) + "\n"))
        return Fail("cannot write to the standard output");
    return kExitOk;
}

// nlohmann's messages start with "[json.exception.parse_error.101] "; the rest is plain.
std::string PlainJsonMessage(const std::string& what) {
    const size_t end = what.rfind("] ", what.find(' '));
    return (what.starts_with("[json.exception.") && end != std::string::npos) ? what.substr(end + 2) : what;
}

int RunImport(const QCommandLineParser&, const QStringList& args) {
    const fs::path input = ToPath(args[0]);
    const fs::path output = ToPath(args[1]);
    std::vector<uint8_t> bytes;
    std::string why;
    if (!zep4::ReadWholeFile(input, bytes, why))
        return Fail("The JSON file \"" + input.string() + "\" cannot be opened: " + why + ".");
    nlohmann::ordered_json json;
    try {
        json = nlohmann::ordered_json::parse(bytes.begin(), bytes.end());
    } catch (const nlohmann::json::exception& e) {
        return Fail("The JSON file \"" + input.string() + "\" cannot be read: " + PlainJsonMessage(e.what()) + ".");
    }
    auto image = std::make_unique<zep4::TSetupFileImage>();
    if (!zep4::SetupFileFromJson(json, *image, why))
        return Fail("The JSON file \"" + input.string() + "\" is not a valid setup: " + why + ".");
    std::string error;
    if (!WriteSetup(output, *image, error)) return Fail(error);
    return kExitOk;
}

const TArgument kSetupFile{"FILE.zep", "The setup file."};

const TCommand kSetupFileCommands[] = {
    {"new",
     {{"FILE.zep", "The setup file to write (replaced if it exists)."}},
     "Write a new setup file with the factory setup and black pictures.",
     {},
     RunNew},
    {"check",
     {kSetupFile},
     "Check a setup file and show its version, date and the sizes of its parts.",
     {},
     RunCheck},
    {"export", {kSetupFile}, "Print a setup file as JSON on the standard output.", {}, RunExport},
    {"import",
     {{"FILE.json", "The JSON form of a setup (as export writes it)."},
      {"OUT.zep", "The setup file to write (replaced if it exists)."}},
     "Write the setup file described by a JSON file.",
     {},
     RunImport},
};

}  // namespace

std::span<const TCommand> SetupFileCommands() { return kSetupFileCommands; }

}  // namespace zep4ctl
