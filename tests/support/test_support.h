// Small helpers shared by the test executables.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zep4::test {

// A fresh empty folder under the system's temporary folder, removed when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> readFileBytes(const std::filesystem::path& file);
void writeFileBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes);
void writeFileText(const std::filesystem::path& file, const std::string& text);
std::string readFileText(const std::filesystem::path& file);

// The checkout's top folder (set by the test runner), for shipped files such as lang/.
std::filesystem::path sourceDir();

}  // namespace zep4::test
