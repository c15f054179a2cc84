// The camera word of the default camera names: line 37 of the "#UNIT1#" section of the
// language file that Language.ini names.
#pragma once

#include <filesystem>
#include <string>

namespace zep4ctl {

// Reads `dir`/Language.ini ("[Language]", then "Speech=<name>", the name relative to `dir`
// or absolute) and returns line 37 of "#UNIT1#" of that language file, UTF-8. Empty when
// Language.ini, the language file or the line is missing.
std::string CameraWordFromLanguageIni(const std::filesystem::path& dir);

}  // namespace zep4ctl
