// The JSON form of a setup file: every record field under its own name, so that a setup can
// be read, compared and edited as text and turned back into exactly the same file.
// docs/setup-json.md describes the format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "setup/setup_file.h"

namespace zep4 {

// The JSON form of everything the file holds. Importing the result gives back the same file
// byte for byte.
nlohmann::json SetupFileToJson(const TSetupFileImage& image);
// The same with the keys of each object in the order of the file's layout (for output that
// people read).
nlohmann::ordered_json SetupFileToOrderedJson(const TSetupFileImage& image);

// Turns the JSON form back into a file image. A missing, mistyped, out-of-range or unknown
// key is refused with a message that names it by its path, e.g.
// "TimeZoneBlocks[1][2].Areas[0].MinCells: missing"; `image` is then left as it was.
bool SetupFileFromJson(const nlohmann::json& json, TSetupFileImage& image, std::string& error);
bool SetupFileFromJson(const nlohmann::ordered_json& json, TSetupFileImage& image, std::string& error);

// Base64 (standard alphabet, with '=' padding), as used for pictures and trailing bytes.
std::string EncodeBase64(const uint8_t* data, size_t size);
// Strict: refuses other characters, missing padding and a length that is not a multiple of 4.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>& out);

}  // namespace zep4
