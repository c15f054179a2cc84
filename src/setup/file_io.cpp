#include "setup/file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

namespace zep4 {

bool ReadWholeFile(const std::filesystem::path& file, std::vector<uint8_t>& bytes, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        error = "it is a folder, not a file";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = std::string("it cannot be opened (") + std::strerror(errno) + ")";
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) {
        error = "it cannot be read";
        return false;
    }
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        error = "it cannot be read";
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& file, const void* data, size_t size, std::string& error) {
    namespace fs = std::filesystem;
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::random_device rd;
    const fs::path temp = folder / ("." + file.filename().string() + ".tmp" + std::to_string(rd() % 1000000));
    bool ok;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = std::string("it cannot be created (") + std::strerror(errno) + ")";
            return false;
        }
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.flush();
        ok = static_cast<bool>(out);
        out.close();
        ok = ok && !out.fail();
    }
    std::error_code ec;
    if (!ok) {
        fs::remove(temp, ec);
        error = "it cannot be written (the disk may be full or write-protected)";
        return false;
    }
    fs::rename(temp, file, ec);
    if (ec) {
        fs::remove(temp, ec);
        error = "it cannot be replaced (" + ec.message() + ")";
        return false;
    }
    return true;
}

}  // namespace zep4
