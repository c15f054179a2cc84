// The connection manager's rules on addresses, ports and firmware versions, and the address
// book file Network.ini. Plain C++.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zep4 {

constexpr int kDefaultSensorPort = 81;

// A dotted IPv4 address of exactly four decimal parts below 256, rewritten without leading
// zeros ("192.168.002.230" gives "192.168.2.230"); anything else gives "".
std::string NormalizeSensorAddress(std::string_view address);

// The port typed into a field: a decimal number 1..65535, else 81.
int ParseSensorPort(std::string_view text);

// Whether the sensor's version text (e.g. "V3.49") is older than 3.50. The version is read
// as a number (a leading "V" allowed); a text that is no version number counts as old.
bool IsOldFirmware(std::string_view versionText);

// One sensor of the address book; the text is UTF-8.
struct TAddressEntry {
    std::string Name, Address, Port, NameServer, User;
    bool operator==(const TAddressEntry&) const = default;
};

// Network.ini holds five lines per entry (name, address, port, name server, user), no header.
// Reading stops at the end or at an entry whose name line is empty; trailing blanks and
// carriage returns are stripped; lines are kept whole. Bytes that are not UTF-8 are read as
// Windows-1252.
std::vector<TAddressEntry> ParseAddressBook(std::string_view content);
std::string FormatAddressBook(const std::vector<TAddressEntry>& entries);

constexpr std::string_view kAddressBookName = "Network.ini";

// Missing or unreadable file: an empty list.
std::vector<TAddressEntry> LoadAddressBook(const std::filesystem::path& startDirectory);
// Writes through a temporary file and a rename, so that a crash or a full disk never
// destroys the address book. Returns false with a reason when it cannot.
bool SaveAddressBook(const std::filesystem::path& startDirectory, const std::vector<TAddressEntry>& entries,
                     std::string& error);

}  // namespace zep4
