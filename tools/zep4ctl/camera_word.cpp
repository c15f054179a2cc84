#include "camera_word.h"

#include <vector>

#include "i18n/language_file.h"
#include "setup/file_io.h"

namespace zep4ctl {

namespace {
constexpr int kCameraWordLine = 37;
}

std::string CameraWordFromLanguageIni(const std::filesystem::path& dir) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!zep4::ReadWholeFile(dir / std::string(zep4::kLanguageIniName), bytes, why)) return {};
    const auto name = zep4::ParseLanguageIni(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!name) return {};
    const auto texts = zep4::LoadLanguageFile(zep4::ResolveLanguageName(dir, *name));
    if (!texts) return {};
    const std::string* word = texts->line("UNIT1", kCameraWordLine);
    return word ? *word : std::string();
}

}  // namespace zep4ctl
