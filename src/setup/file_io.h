// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zep4 {

// Reads the whole file; on failure returns false with a reason in plain words.
bool ReadWholeFile(const std::filesystem::path& file, std::vector<uint8_t>& bytes, std::string& error);

// Writes the bytes to a temporary file in the target's folder and renames it over the
// target, so that a crash or a full disk never leaves a half-written file in place of a good
// one. On failure the target is untouched and nothing is left behind.
bool WriteFileAtomically(const std::filesystem::path& file, const void* data, size_t size, std::string& error);
inline bool WriteFileAtomically(const std::filesystem::path& file, const std::vector<uint8_t>& bytes,
                                std::string& error) {
    return WriteFileAtomically(file, bytes.data(), bytes.size(), error);
}
inline bool WriteFileAtomically(const std::filesystem::path& file, const std::string& text, std::string& error) {
    return WriteFileAtomically(file, text.data(), text.size(), error);
}

}  // namespace zep4
