#include "link/address_book.h"

#include <charconv>

#include "setup/file_io.h"
#include "setup/text1252.h"

namespace zep4 {
namespace {

bool parseDecimal(std::string_view s, long& value) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && p == s.data() + s.size();
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view trim(std::string_view s) {
    s = trimRight(s);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

}  // namespace

std::string NormalizeSensorAddress(std::string_view address) {
    std::string out;
    int parts = 0;
    size_t start = 0;
    while (true) {
        const size_t dot = address.find('.', start);
        const std::string_view part = address.substr(start, dot == std::string_view::npos ? dot : dot - start);
        long value = 256;
        if (!parseDecimal(part, value) || value > 255) return {};
        if (parts > 0) out += '.';
        out += std::to_string(value);
        ++parts;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return parts == 4 ? out : std::string();
}

int ParseSensorPort(std::string_view text) {
    long value = 0;
    if (!parseDecimal(trim(text), value) || value < 1 || value > 65535) return kDefaultSensorPort;
    return static_cast<int>(value);
}

bool IsOldFirmware(std::string_view v) {
    v = trim(v);
    while (!v.empty() && (v.back() == '\0' || v.back() == ' ')) v.remove_suffix(1);
    if (!v.empty() && (v.front() == 'V' || v.front() == 'v')) v.remove_prefix(1);
    const size_t dot = v.find('.');
    long major = 0, fraction = 0;
    if (!parseDecimal(v.substr(0, dot), major)) return true;
    if (dot != std::string_view::npos) {
        std::string digits(v.substr(dot + 1));
        if (!digits.empty() && !parseDecimal(digits, fraction)) return true;
        // Hundredths: "3.5" and "3.50" are the same version.
        digits.resize(2, '0');
        parseDecimal(digits, fraction);
    }
    return major * 100 + fraction < 350;
}

std::vector<TAddressEntry> ParseAddressBook(std::string_view content) {
    const std::string text = isValidUtf8(content) ? std::string(content) : cp1252ToUtf8(content);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.emplace_back(trimRight(std::string_view(text).substr(start, end - start)));
        start = end + 1;
    }
    std::vector<TAddressEntry> entries;
    for (size_t i = 0; i < lines.size(); i += 5) {
        if (lines[i].empty()) break;
        auto field = [&](size_t k) { return i + k < lines.size() ? lines[i + k] : std::string(); };
        entries.push_back({field(0), field(1), field(2), field(3), field(4)});
    }
    return entries;
}

std::string FormatAddressBook(const std::vector<TAddressEntry>& entries) {
#ifdef _WIN32
    const char* eol = "\r\n";
#else
    const char* eol = "\n";
#endif
    std::string out;
    for (const auto& e : entries)
        for (const std::string* f : {&e.Name, &e.Address, &e.Port, &e.NameServer, &e.User}) {
            // A line break inside a field would shift every later line of the file.
            for (char c : *f) out += (c == '\n' || c == '\r') ? ' ' : c;
            out += eol;
        }
    return out;
}

std::vector<TAddressEntry> LoadAddressBook(const std::filesystem::path& startDirectory) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(startDirectory / std::string(kAddressBookName), bytes, error)) return {};
    return ParseAddressBook(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool SaveAddressBook(const std::filesystem::path& startDirectory, const std::vector<TAddressEntry>& entries,
                     std::string& error) {
    return WriteFileAtomically(startDirectory / std::string(kAddressBookName), FormatAddressBook(entries), error);
}

}  // namespace zep4
