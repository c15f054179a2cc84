// zep4ctl as a user runs it: the built binary in a temporary folder, its exit codes, its
// output and the files it writes.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "setup/setup_file.h"
#include "test_support.h"

namespace zep4 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct TRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    int errLines() const { return int(std::count(err.begin(), err.end(), '\n')); }
};

TRun Zep4ctl(const fs::path& dir, const QStringList& args) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(dir.string()));
    process.start(QStringLiteral(ZEP4CTL_PATH), args);
    TRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "zep4ctl did not finish: " << args.join(' ').toStdString();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }

TEST(Zep4ctl, NewCheckExportImportGiveTheSameFile) {
    TempDir dir;
    const TRun made = Zep4ctl(dir.path(), {"new", "a.zep"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(made.err, "");

    const auto bytes = test::readFileBytes(dir / "a.zep");
    auto image = std::make_unique<TSetupFileImage>();
    std::string error;
    ASSERT_TRUE(ParseSetupFile(bytes.data(), bytes.size(), *image, error)) << error;
    size_t pictures = 0;
    for (const auto& jpeg : image->Jpeg) {
        EXPECT_FALSE(jpeg.empty());
        pictures += jpeg.size();
    }
    EXPECT_EQ(bytes.size(), 9 + 429760 + 4892 + 16 + pictures + 204 + 216);
    EXPECT_TRUE(image->Trailing.empty());
    EXPECT_EQ(image->Header.VersionMajor, 3);
    EXPECT_EQ(image->Header.VersionMinor, 3);

    const TRun checked = Zep4ctl(dir.path(), {"check", "a.zep"});
    EXPECT_EQ(checked.exitCode, 0) << checked.err;
    EXPECT_EQ(checked.err, "");
    for (const char* expected : {"version 3.3.0\n", "4 x 107440 bytes", "4892 bytes", "JPEG 720 x 540",
                                 "204 bytes", "216 bytes"})
        EXPECT_NE(checked.out.find(expected), std::string::npos) << expected << "\n" << checked.out;
    EXPECT_EQ(checked.out.find("absent"), std::string::npos);
    EXPECT_EQ(checked.out.find("trailing"), std::string::npos);

    const TRun exported = Zep4ctl(dir.path(), {"export", "a.zep"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    test::writeFileText(dir / "a.json", exported.out);
    const auto json = nlohmann::json::parse(exported.out);
    EXPECT_EQ(json["TimeZoneBlocks"][0][0]["CameraName"], " 1");
    EXPECT_EQ(json["FileHeader"]["VersionMajor"], 3);

    const TRun imported = Zep4ctl(dir.path(), {"import", "a.json", "b.zep"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(test::readFileBytes(dir / "b.zep"), bytes);
}

// A language file whose "#UNIT1#" line 37 is `word`.
std::string LanguageFile(const std::string& word) {
    std::string text = "#UNIT1#\n";
    for (int line = 1; line <= 36; ++line) text += std::to_string(line) + "#Text " + std::to_string(line) + "\n";
    text += "37#" + word + "\n38#Other\n#END#\n#DRAW#\n1#x\n#END#\n";
    return text;
}

TEST(Zep4ctl, NewTakesTheCameraWordFromTheLanguageFile) {
    struct Case {
        const char* name;
        std::function<void(const TempDir&)> prepare;
        std::string expectedWord;
    };
    const Case cases[] = {
        {"relative name", [](const TempDir& d) {
             test::writeFileText(d / "Language.ini", "[Language]\nSpeech=deutsch.txt\n");
             test::writeFileText(d / "deutsch.txt", LanguageFile("Kamera"));
         }, "Kamera"},
        {"relative name in a folder, CR LF", [](const TempDir& d) {
             fs::create_directory(d / "lang");
             test::writeFileText(d / "Language.ini", "[Language]\r\nSpeech=lang/deutsch.txt\r\n");
             test::writeFileText(d / "lang" / "deutsch.txt", LanguageFile("Kamera"));
         }, "Kamera"},
        {"absolute name", [](const TempDir& d) {
             fs::create_directory(d / "elsewhere");
             test::writeFileText(d / "Language.ini", "[Language]\nSpeech=" + (d / "elsewhere" / "en.txt").string());
             test::writeFileText(d / "elsewhere" / "en.txt", LanguageFile("Camera"));
         }, "Camera"},
        {"a word beyond ASCII", [](const TempDir& d) {
             test::writeFileText(d / "Language.ini", "[Language]\nSpeech=x.txt\n");
             test::writeFileText(d / "x.txt", LanguageFile("C\xC3\xA2mera"));
         }, "C\xC3\xA2mera"},
        {"no Language.ini", [](const TempDir&) {}, ""},
        {"the language file is missing", [](const TempDir& d) {
             test::writeFileText(d / "Language.ini", "[Language]\nSpeech=missing.txt\n");
         }, ""},
        {"no #UNIT1# first line", [](const TempDir& d) {
             test::writeFileText(d / "Language.ini", "[Language]\nSpeech=x.txt\n");
             test::writeFileText(d / "x.txt", "\n" + LanguageFile("Kamera"));
         }, ""},
        {"a section too short for line 37", [](const TempDir& d) {
             test::writeFileText(d / "Language.ini", "[Language]\nSpeech=x.txt\n");
             test::writeFileText(d / "x.txt", "#UNIT1#\n1#File\n#END#\n");
         }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        c.prepare(dir);
        const TRun made = Zep4ctl(dir.path(), {"new", "n.zep"});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        const TRun exported = Zep4ctl(dir.path(), {"export", "n.zep"});
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        const auto json = nlohmann::json::parse(exported.out);
        for (int tz = 0; tz < kTimeZones; ++tz)
            for (int cam = 0; cam < kCameras; ++cam)
                EXPECT_EQ(json["TimeZoneBlocks"][tz][cam]["CameraName"], c.expectedWord + " " + std::to_string(cam + 1))
                    << "time zone " << tz + 1;
    }
}

TEST(Zep4ctl, DamagedFilesFailWithOneLineNamingTheFile) {
    TempDir dir;
    ASSERT_EQ(Zep4ctl(dir.path(), {"new", "good.zep"}).exitCode, 0);
    const auto good = test::readFileBytes(dir / "good.zep");
    struct Case {
        const char* name;
        size_t keep;
        const char* says;
    };
    const Case cases[] = {
        {"empty", 0, "header"},
        {"header only", 9, "time zone 1"},
        {"inside time zone 4", 9 + 3 * 107440 + 5, "time zone 4"},
        {"inside the pictures", 9 + 429760 + 4892 + 16 + 10, "picture of camera 1"},
        {"without the VdS block", good.size() - 1, "VdS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFileBytes(dir / "bad.zep", std::vector<uint8_t>(good.begin(), good.begin() + c.keep));
        for (const char* command : {"check", "export"}) {
            SCOPED_TRACE(command);
            const TRun run = Zep4ctl(dir.path(), {command, "bad.zep"});
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.errLines(), 1) << run.err;
            EXPECT_NE(run.err.find("bad.zep"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
            EXPECT_EQ(run.out, "");
        }
    }
    const TRun missing = Zep4ctl(dir.path(), {"check", "nothere.zep"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.errLines(), 1) << missing.err;
    EXPECT_NE(missing.err.find("nothere.zep"), std::string::npos);
}

TEST(Zep4ctl, CheckWarnsAboutPicturesThatDoNotDecode) {
    TempDir dir;
    ASSERT_EQ(Zep4ctl(dir.path(), {"new", "a.zep"}).exitCode, 0);
    const auto bytes = test::readFileBytes(dir / "a.zep");
    auto image = std::make_unique<TSetupFileImage>();
    std::string error;
    ASSERT_TRUE(ParseSetupFile(bytes.data(), bytes.size(), *image, error)) << error;
    image->Jpeg[1] = {1, 2, 3, 4};
    image->Jpeg[2].clear();
    image->Header.VersionMajor = 2;
    image->Trailing = {5, 6};
    test::writeFileBytes(dir / "odd.zep", BuildSetupFile(*image));

    const TRun run = Zep4ctl(dir.path(), {"check", "odd.zep"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.errLines(), 1) << run.err;
    EXPECT_NE(run.err.find("warning"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("camera 2"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("version 2.3.0"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("4 bytes, cannot be decoded"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0 bytes, no picture"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("absent"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("trailing bytes      2"), std::string::npos) << run.out;

    // Export and import carry such a file unchanged as well.
    const TRun exported = Zep4ctl(dir.path(), {"export", "odd.zep"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    test::writeFileText(dir / "odd.json", exported.out);
    ASSERT_EQ(Zep4ctl(dir.path(), {"import", "odd.json", "again.zep"}).exitCode, 0);
    EXPECT_EQ(test::readFileBytes(dir / "again.zep"), test::readFileBytes(dir / "odd.zep"));
}

TEST(Zep4ctl, ImportRefusesBadJsonAndLeavesTheTargetAlone) {
    TempDir dir;
    ASSERT_EQ(Zep4ctl(dir.path(), {"new", "a.zep"}).exitCode, 0);
    const TRun exported = Zep4ctl(dir.path(), {"export", "a.zep"});
    ASSERT_EQ(exported.exitCode, 0);
    auto json = nlohmann::json::parse(exported.out);
    json["TimeZoneBlocks"][1][2]["Areas"][0].erase("MinCells");
    struct Case {
        const char* name;
        std::string text;
        const char* says;
    };
    const Case cases[] = {
        {"a missing field", json.dump(), "TimeZoneBlocks[1][2].Areas[0].MinCells: missing"},
        {"not JSON", "{\"FileHeader\": ", "cannot be read"},
        {"empty", "", "cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFileText(dir / "bad.json", c.text);
        test::writeFileText(dir / "out.zep", "keep me");
        const TRun run = Zep4ctl(dir.path(), {"import", "bad.json", "out.zep"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.errLines(), 1) << run.err;
        EXPECT_NE(run.err.find("bad.json"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(test::readFileText(dir / "out.zep"), "keep me");
    }
    const TRun missing = Zep4ctl(dir.path(), {"import", "nothere.json", "out.zep"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("nothere.json"), std::string::npos);
    const TRun unwritable = Zep4ctl(dir.path(), {"new", Q(dir / "no" / "such" / "folder.zep")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.errLines(), 1) << unwritable.err;
    EXPECT_NE(unwritable.err.find("folder.zep"), std::string::npos) << unwritable.err;
}

TEST(Zep4ctl, WrongUsageExitsWithTwoAndShowsTheUsage) {
    TempDir dir;
    const QStringList cases[] = {
        {}, {"frob"}, {"check"}, {"import", "a.json"}, {"check", "a.zep", "b.zep"}, {"--bogus"}, {"new", "--bogus", "x.zep"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const TRun run = Zep4ctl(dir.path(), args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("Usage: zep4ctl"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fs::exists(dir / "x.zep"));
}

TEST(Zep4ctl, HelpListsTheCommands) {
    TempDir dir;
    const TRun help = Zep4ctl(dir.path(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"new FILE.zep", "check FILE.zep", "export FILE.zep", "import FILE.json OUT.zep"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command << "\n" << help.out;
    const TRun commandHelp = Zep4ctl(dir.path(), {"import", "--help"});
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_NE(commandHelp.out.find("Usage: zep4ctl import"), std::string::npos) << commandHelp.out;
}

}  // namespace
}  // namespace zep4
