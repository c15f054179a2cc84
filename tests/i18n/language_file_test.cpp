#include "i18n/language_file.h"

#include "setup/text1252.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace zep4 {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// ---------------------------------------------------------------------------------------
// Language text parser

struct ParseCase {
    const char* name;
    std::string file;
    const char* section;
    std::optional<Lines> expected;  // nullopt: the section must be absent
};

std::string numberedSection(const std::string& header, int lines) {
    std::string s = header + "\n";
    for (int i = 1; i <= lines; ++i) s += std::to_string(i) + "#line" + std::to_string(i) + "\n";
    return s + "#END#\n";
}

Lines numberedLines(int count) {
    Lines lines;
    for (int i = 1; i <= count; ++i) lines.push_back("line" + std::to_string(i));
    return lines;
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::vector<ParseCase> parseCases() {
    const std::string unorderedFile = "#TIME#\n#t1\n#END#\n#AVR#\n#a1\n#a2\n#END#\n";
    const std::string notFirstFile = "\n#UNIT1#\n#u\n#END#\n#ALSER#\n#b\n#END#\n";
    const std::string tooManyLines = numberedSection("#INFO#", 205) + "#PV#\n#after\n#END#\n";
    return {
        {"number, hash, word; a hash alone is empty", "#UNIT1#\n12#word\n#\n#END#\n", "UNIT1",
         Lines{"word", ""}},
        {"UNIT1 counts only as the first line", notFirstFile, "UNIT1", std::nullopt},
        {"other sections are read when UNIT1 is not first", notFirstFile, "ALSER", Lines{"b"}},
        {"UNIT1 header inside the file is not a section", "#ALSER#\n#b\n#END#\n#UNIT1#\n#u\n#END#\n",
         "UNIT1", std::nullopt},
        {"sections in any order (1)", unorderedFile, "TIME", Lines{"t1"}},
        {"sections in any order (2)", unorderedFile, "AVR", Lines{"a1", "a2"}},
        {"missing section", unorderedFile, "DRAW", std::nullopt},
        {"empty file", "", "UNIT1", std::nullopt},
        {"empty section", "#INFO#\n#END#\n", "INFO", Lines{}},
        {"end of file ends a section", "#PV#\n#x\n#y", "PV", Lines{"x", "y"}},
        {"end of file after a line break ends a section", "#PV#\n#x\n#y\n", "PV", Lines{"x", "y"}},
        {"section without END# runs over the next header", "#PV#\n#x\n#PASS#\n#y\n#END#\n", "PV",
         Lines{"x", "PASS#", "y"}},
        {"the next header is still found", "#PV#\n#x\n#PASS#\n#y\n#END#\n", "PASS", Lines{"y"}},
        {"END# with a prefix ends the section", "#INFO#\n#a\n99#END#\n#b\n", "INFO", Lines{"a"}},
        {"END# with trailing blank is text", "#INFO#\n#END# \n#END#\n", "INFO", Lines{"END# "}},
        {"first section header wins", "#PV#\n#1\n#END#\n#PV#\n#2\n#END#\n", "PV", Lines{"1"}},
        {"header with trailing blank is no header", "#PV# \n#x\n#END#\n", "PV", std::nullopt},
        {"text after the first hash keeps further hashes", "#INFO#\n1#a#b\n#END#\n", "INFO",
         Lines{"a#b"}},
        {"a line without hash is all text and stays one line", "#INFO#\nplain text\n#next\n#END#\n",
         "INFO", Lines{"plain text", "next"}},
        {"empty lines count as lines", "#INFO#\n\n#b\n#END#\n", "INFO", Lines{"", "b"}},
        {"prefix of 50 characters", "#INFO#\n" + std::string(50, 'x') + "#ok\n#END#\n", "INFO",
         Lines{"ok"}},
        {"prefix of 50 characters counted in characters",
         "#INFO#\n" + repeat("\xC3\xA4", 50) + "#ok\n#END#\n", "INFO", Lines{"ok"}},
        {"hash beyond 51 characters: no prefix", "#INFO#\n" + std::string(51, 'x') + "#ok\n#END#\n",
         "INFO", Lines{std::string(51, 'x') + "#ok"}},
        {"text cut to 99 characters", "#INFO#\n#" + std::string(120, 'a') + "\n#END#\n", "INFO",
         Lines{std::string(99, 'a')}},
        {"text cut counted in characters", "#INFO#\n#" + repeat("\xC3\xA4", 120) + "\n#END#\n", "INFO",
         Lines{repeat("\xC3\xA4", 99)}},
        {"199 lines kept, the section still ends at END#", tooManyLines, "INFO", numberedLines(199)},
        {"section after an overlong one", tooManyLines, "PV", Lines{"after"}},
        {"CR LF line ends", "#UNIT1#\r\n#a\r\n#b\r\n#END#\r\n#PV#\r\n#p\r\n#END#\r\n", "UNIT1",
         Lines{"a", "b"}},
        {"CR LF: header search", "#UNIT1#\r\n#a\r\n#END#\r\n#PV#\r\n#p\r\n#END#\r\n", "PV", Lines{"p"}},
        {"CR line ends", "#UNIT1#\r#a\r\r#END#\r", "UNIT1", Lines{"a", ""}},
        {"Windows-1252 file", "#UNIT1#\n#M\xE4rz \x80\n#END#\n", "UNIT1",
         Lines{"M\xC3\xA4rz \xE2\x82\xAC"}},
        {"UTF-8 file", "#UNIT1#\n#M\xC3\xA4rz\n#END#\n", "UNIT1", Lines{"M\xC3\xA4rz"}},
        {"byte-order mark", "\xEF\xBB\xBF#UNIT1#\n#a\n#END#\n", "UNIT1", Lines{"a"}},
        {"byte-order mark before Windows-1252 text", "\xEF\xBB\xBF#UNIT1#\n#\xE4\n#END#\n", "UNIT1",
         Lines{"\xC3\xA4"}},
    };
}

TEST(ParseLanguageText, Rules) {
    for (const ParseCase& c : parseCases()) {
        SCOPED_TRACE(c.name);
        const TLanguageTexts texts = ParseLanguageText(c.file);
        ASSERT_EQ(texts.has(c.section), c.expected.has_value());
        if (c.expected) {
            EXPECT_EQ(texts.Sections.at(c.section), *c.expected);
        }
    }
}

TEST(ParseLanguageText, LineAccess) {
    const TLanguageTexts texts = ParseLanguageText("#UNIT1#\n#one\n#two\n#END#\n#PV#\n#END#\n");
    ASSERT_NE(texts.line("UNIT1", 1), nullptr);
    EXPECT_EQ(*texts.line("UNIT1", 1), "one");
    EXPECT_EQ(*texts.line("UNIT1", 2), "two");
    EXPECT_EQ(texts.line("UNIT1", 0), nullptr);
    EXPECT_EQ(texts.line("UNIT1", 3), nullptr);
    EXPECT_EQ(texts.line("UNIT1", -1), nullptr);
    EXPECT_EQ(texts.line("PV", 1), nullptr);
    EXPECT_EQ(texts.line("DRAW", 1), nullptr);
    EXPECT_TRUE(texts.has("PV"));
}

TEST(LoadLanguageFile, ReadsFileAndRefusesWhatCannotBeRead) {
    test::TempDir dir;
    test::writeFileText(dir / "a.txt", "#UNIT1#\r\n#Datei\r\n#END#\r\n");
    const auto texts = LoadLanguageFile(dir / "a.txt");
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->Sections.at("UNIT1"), Lines{"Datei"});
    EXPECT_FALSE(LoadLanguageFile(dir / "missing.txt"));
    EXPECT_FALSE(LoadLanguageFile(dir.path()));
}

// Both shipped language files carry every section with at least the lines its window reads.
TEST(ShippedLanguageFiles, HaveEverySectionInFull) {
    for (const char* name : {"English.txt", "Deutsch.txt"}) {
        SCOPED_TRACE(name);
        const fs::path file = test::sourceDir() / "lang" / name;
        const std::string bytes = test::readFileText(file);
        EXPECT_TRUE(isValidUtf8(bytes));
        const auto texts = LoadLanguageFile(file);
        ASSERT_TRUE(texts) << file;
        for (std::string_view section : kSectionNames) {
            SCOPED_TRACE(std::string(section));
            ASSERT_TRUE(texts->has(section));
            EXPECT_GE(texts->Sections.at(std::string(section)).size(),
                      static_cast<size_t>(SectionLineCount(section)));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Language.ini

TEST(ParseLanguageIni, Cases) {
    const struct {
        const char* name;
        std::string content;
        std::optional<std::string> expected;
    } cases[] = {
        {"as written", "[Language]\nSpeech=English.txt", "English.txt"},
        {"CR LF", "[Language]\r\nSpeech=English.txt\r\n", "English.txt"},
        {"trailing blanks", "[Language]\r\nSpeech=Deutsch.txt  \t\r\n", "Deutsch.txt"},
        {"inner blanks kept", "[Language]\nSpeech=lang/My Language.txt\n", "lang/My Language.txt"},
        {"key case and blanks", "[Language]\n speech = x.txt\n", "x.txt"},
        {"other keys passed over", "[Language]\nOther=a.txt\nSpeech=b.txt\n", "b.txt"},
        {"byte-order mark", "\xEF\xBB\xBF[Language]\nSpeech=a.txt", "a.txt"},
        {"UTF-8 name", "[Language]\nSpeech=Fran\xC3\xA7" "ais.txt", "Fran\xC3\xA7" "ais.txt"},
        {"Windows-1252 name", "[Language]\nSpeech=Fran\xE7" "ais.txt", "Fran\xC3\xA7" "ais.txt"},
        {"empty name", "[Language]\nSpeech=  \n", std::nullopt},
        {"no Speech line", "[Language]\n", std::nullopt},
        {"empty file", "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseLanguageIni(c.content), c.expected);
    }
}

TEST(ResolveLanguageName, RelativeInStartDirAbsoluteAsIs) {
    const fs::path start = "/opt/zep4";
    EXPECT_EQ(ResolveLanguageName(start, "English.txt"), start / "English.txt");
    EXPECT_EQ(ResolveLanguageName(start, "lang/Deutsch.txt"), start / "lang" / "Deutsch.txt");
    EXPECT_EQ(ResolveLanguageName(start, "/home/u/Fran\xC3\xA7" "ais.txt"),
              fs::path(u8"/home/u/Français.txt"));
}

TEST(LanguageIniEntryFor, RelativeInsideStartDirAbsoluteOutside) {
    test::TempDir dir;
    const fs::path start = dir / "start";
    fs::create_directories(start / "lang");
    fs::create_directories(dir / "start2");
    fs::create_directories(dir / "other");
    const struct {
        const char* name;
        fs::path start;
        fs::path chosen;
        std::string expected;
    } cases[] = {
        {"file in the start folder", start, start / "English.txt", "English.txt"},
        {"file in a sub-folder", start, start / "lang" / "Deutsch.txt", "lang/Deutsch.txt"},
        {"start folder with trailing separator", start.string() + "/", start / "English.txt",
         "English.txt"},
        {"detour through ..", start, start / "lang" / ".." / "English.txt", "English.txt"},
        {"file outside", start, dir / "other" / "x.txt", (dir / "other" / "x.txt").generic_string()},
        // The start folder's name is a prefix of this folder's name: not inside.
        {"sibling with the same prefix", start, dir / "start2" / "x.txt",
         (dir / "start2" / "x.txt").generic_string()},
        {"UTF-8 name", start, start / fs::path(u8"Français.txt"), "Fran\xC3\xA7" "ais.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LanguageIniEntryFor(c.start, c.chosen), c.expected);
    }
}

TEST(WriteLanguageIni, WritesExactlyTwoLinesAndReadsBack) {
    test::TempDir dir;
    test::writeFileText(dir / "Language.ini", "[Language]\nSpeech=Old file with a long name.txt\n");
    const fs::path chosen = dir / "lang" / "Deutsch.txt";
    const std::string entry = LanguageIniEntryFor(dir.path(), chosen);
    ASSERT_TRUE(WriteLanguageIni(dir.path(), entry));
    const std::string content = test::readFileText(dir / "Language.ini");
    EXPECT_EQ(content, "[Language]\nSpeech=lang/Deutsch.txt");
    const auto name = ParseLanguageIni(content);
    ASSERT_TRUE(name);
    EXPECT_EQ(ResolveLanguageName(dir.path(), *name), dir.path() / "lang" / "Deutsch.txt");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WriteLanguageIni, FailureWritesNothing) {
    test::TempDir dir;
    // No such folder.
    EXPECT_FALSE(WriteLanguageIni(dir / "missing", "English.txt"));
    EXPECT_FALSE(fs::exists(dir / "missing"));

    // Language.ini cannot be replaced (it is a folder): no temporary file is left behind.
    fs::create_directory(dir / "blocked");
    fs::create_directory(dir / "blocked" / "Language.ini");
    EXPECT_FALSE(WriteLanguageIni(dir / "blocked", "English.txt"));
    EXPECT_TRUE(fs::is_directory(dir / "blocked" / "Language.ini"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "blocked"), fs::directory_iterator()), 1);

    // A line break in the entry would split the name: the old file stays.
    test::writeFileText(dir / "Language.ini", "[Language]\nSpeech=English.txt");
    EXPECT_FALSE(WriteLanguageIni(dir.path(), "a\nSpeech=b.txt"));
    EXPECT_EQ(test::readFileText(dir / "Language.ini"), "[Language]\nSpeech=English.txt");
}

TEST(WriteLanguageIni, ReadOnlyFolderWritesNothing) {
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const bool enforced = !std::ofstream(dir / "probe");  // not enforced for the superuser
    std::error_code ec;
    fs::remove(dir / "probe", ec);
    if (enforced) {
        EXPECT_FALSE(WriteLanguageIni(dir.path(), "English.txt"));
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
    fs::permissions(dir.path(), fs::perms::owner_all);
    if (!enforced) GTEST_SKIP() << "folder permissions are not enforced for this user";
}

}  // namespace
}  // namespace zep4
