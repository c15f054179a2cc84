#include "i18n/language_file.h"

#include "setup/file_io.h"

#include "setup/text1252.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace zep4 {
namespace fs = std::filesystem;
namespace {

// Text files are UTF-8 when they are valid UTF-8 (a leading byte-order mark is dropped),
// otherwise Windows-1252; the result is always UTF-8.
std::string decodeText(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.starts_with(kBom)) bytes.remove_prefix(kBom.size());
    return isValidUtf8(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes);
}

// Lines ending at LF, CR LF or CR; a break at the very end starts no further line.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0, pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c != '\n' && c != '\r') {
            ++pos;
            continue;
        }
        lines.push_back(text.substr(start, pos - start));
        pos += (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        start = pos;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The text of one section line: what follows the first '#' among its first
// kMaxLinePrefix + 1 characters, or the whole line when there is no '#' there, cut to
// kMaxLineText characters. Never reaches beyond the line.
std::string lineText(std::string_view line) {
    int chars = 0;
    for (size_t pos = 0; pos < line.size(); ++pos) {
        if (isContinuationByte(line[pos])) continue;
        if (chars++ > kMaxLinePrefix) break;
        if (line[pos] == '#') {
            line.remove_prefix(pos + 1);
            break;
        }
    }
    return utf8Left(line, kMaxLineText);
}

// The lines of a section whose first line is lines[first], up to its "END#" line or the
// end of the file; lines beyond kMaxSectionLines are passed over.
std::vector<std::string> readSection(const std::vector<std::string_view>& lines, size_t first) {
    std::vector<std::string> texts;
    for (size_t i = first; i < lines.size(); ++i) {
        std::string text = lineText(lines[i]);
        if (text == "END#") break;
        if (texts.size() < static_cast<size_t>(kMaxSectionLines)) texts.push_back(std::move(text));
    }
    return texts;
}

std::string_view trimBlanks(std::string_view s) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const size_t b = s.find_first_not_of(kBlanks);
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(kBlanks) - b + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

fs::path pathFromUtf8(const std::string& s) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(s.data()), s.size()));
}

std::string utf8FromPath(const fs::path& p) {
    const std::u8string u = p.generic_u8string();
    return std::string(u.begin(), u.end());
}

// Absolute, normalized, symbolic links resolved as far as the path exists, no trailing
// separator; so that two spellings of one place compare equal.
fs::path comparablePath(const fs::path& p) {
    std::error_code ec;
    fs::path result = fs::weakly_canonical(p, ec);
    if (ec) result = fs::absolute(p, ec).lexically_normal();
    if (!result.has_filename() && result != result.root_path()) result = result.parent_path();
    return result;
}

}  // namespace

int SectionLineCount(std::string_view name) {
    for (size_t i = 0; i < kSectionNames.size(); ++i)
        if (kSectionNames[i] == name) return kSectionLineCounts[i];
    return 0;
}

bool TLanguageTexts::has(std::string_view section) const {
    return Sections.count(std::string(section)) != 0;
}

const std::string* TLanguageTexts::line(std::string_view section, int n) const {
    const auto it = Sections.find(std::string(section));
    if (it == Sections.end() || n < 1 || static_cast<size_t>(n) > it->second.size()) return nullptr;
    return &it->second[static_cast<size_t>(n) - 1];
}

TLanguageTexts ParseLanguageText(std::string_view fileBytes) {
    const std::string text = decodeText(fileBytes);
    const std::vector<std::string_view> lines = splitLines(text);
    TLanguageTexts result;
    // The main window's section counts only as the first line of the file; each other
    // section is the first line equal to its header, wherever it stands.
    if (!lines.empty() && lines[0] == "#UNIT1#") result.Sections["UNIT1"] = readSection(lines, 1);
    for (size_t s = 1; s < kSectionNames.size(); ++s) {
        const std::string name(kSectionNames[s]);
        const std::string header = "#" + name + "#";
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] != header) continue;
            result.Sections[name] = readSection(lines, i + 1);
            break;
        }
    }
    return result;
}

std::optional<TLanguageTexts> LoadLanguageFile(const fs::path& file) {
    std::error_code ec;
    if (fs::is_directory(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return ParseLanguageText(bytes);
}

std::optional<std::string> ParseLanguageIni(std::string_view content) {
    const std::string text = decodeText(content);
    for (std::string_view line : splitLines(text)) {
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || !equalsIgnoringCase(trimBlanks(line.substr(0, eq)), "Speech"))
            continue;
        const std::string_view name = trimBlanks(line.substr(eq + 1));
        if (name.empty()) return std::nullopt;
        return std::string(name);
    }
    return std::nullopt;
}

fs::path ResolveLanguageName(const fs::path& startDir, const std::string& name) {
    const fs::path p = pathFromUtf8(name);
    return p.is_absolute() ? p : startDir / p;
}

std::string LanguageIniEntryFor(const fs::path& startDir, const fs::path& chosen) {
    const fs::path rel = comparablePath(chosen).lexically_relative(comparablePath(startDir));
    if (!rel.empty() && rel != "." && *rel.begin() != "..") return utf8FromPath(rel);
    std::error_code ec;
    const fs::path absolute = fs::absolute(chosen, ec);
    return utf8FromPath(ec ? chosen : absolute.lexically_normal());
}

bool WriteLanguageIni(const fs::path& startDir, const std::string& entry) {
    // A line break inside the entry would turn one file name into two lines.
    if (entry.find_first_of("\r\n") != std::string::npos) return false;
    std::string error;
    return WriteFileAtomically(startDir / kLanguageIniName, "[Language]\nSpeech=" + entry, error);
}

}  // namespace zep4
