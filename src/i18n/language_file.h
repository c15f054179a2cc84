// Language text files and Language.ini: reading the per-window sections of texts, and
// recording which language file the program starts with. Plain C++, no Qt.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zep4 {

// The sections of a language file, without their enclosing '#'. "UNIT1" (the main window)
// is recognized only as the very first line of the file; the others may stand anywhere.
inline constexpr std::array<std::string_view, 16> kSectionNames = {
    "UNIT1", "ALSER", "AVR",     "COPY", "DRAW",     "FIRM",  "INFO",  "NET",
    "PASS",  "PORT",  "PV",      "RECEIVE", "SEND",  "STANDARD", "TRACK", "TIME",
};

// Number of lines the windows take from each section (in the order of kSectionNames).
inline constexpr std::array<int, 16> kSectionLineCounts = {
    53, 4, 11, 31, 72, 39, 5, 36, 12, 17, 3, 19, 18, 152, 51, 47,
};

// The number of lines the window of `name` takes from its section; 0 for an unknown name.
int SectionLineCount(std::string_view name);

// Limits of a language file: the prefix before the '#' of a line, the text after it (both
// counted in characters), and the number of lines kept per section.
inline constexpr int kMaxLinePrefix = 50;
inline constexpr int kMaxLineText = 99;
inline constexpr int kMaxSectionLines = 199;

// The texts of one language file, UTF-8, by section name (without '#').
struct TLanguageTexts {
    std::map<std::string, std::vector<std::string>> Sections;

    bool has(std::string_view section) const;
    // Line n (1-based) of the section; nullptr when the section or the line is absent.
    const std::string* line(std::string_view section, int n) const;
};

// Parses the bytes of a language file. The bytes are read as UTF-8 when they are valid
// UTF-8 (after a byte-order mark, which is dropped), otherwise as Windows-1252. Lines end
// at LF, CR LF or CR. A section starts after a line that is exactly "#NAME#" and ends at a
// line whose text is "END#" or at the end of the file. The text of a line is what follows
// its first '#' when that '#' lies within the first 51 characters (at most 50 characters
// of prefix); a line without such a '#' has no prefix, its whole content is its text.
// Texts are cut to 99 characters, sections to 199 lines.
TLanguageTexts ParseLanguageText(std::string_view fileBytes);

// Reads and parses a language file; nullopt when it cannot be opened or read.
std::optional<TLanguageTexts> LoadLanguageFile(const std::filesystem::path& file);

// The language file name recorded in the content of Language.ini (the value of its
// "Speech=" line, surrounding blanks removed); nullopt when there is none or it is empty.
std::optional<std::string> ParseLanguageIni(std::string_view content);

// The language file a Language.ini name (UTF-8) refers to: relative names lie in startDir.
std::filesystem::path ResolveLanguageName(const std::filesystem::path& startDir,
                                          const std::string& name);

// The name to record in Language.ini for a chosen language file: its path relative to
// startDir (with '/') when it lies inside startDir or a folder below it, else its absolute
// path. UTF-8.
std::string LanguageIniEntryFor(const std::filesystem::path& startDir,
                                const std::filesystem::path& chosen);

// Replaces startDir/Language.ini by "[Language]", a line break and "Speech=" + entry. The
// file is written under a temporary name and then renamed, so that a failed write leaves
// the old file as it was. Returns false, leaving nothing behind, when it cannot write.
bool WriteLanguageIni(const std::filesystem::path& startDir, const std::string& entry);

// Language.ini's name inside the start directory.
inline constexpr std::string_view kLanguageIniName = "Language.ini";

}  // namespace zep4
