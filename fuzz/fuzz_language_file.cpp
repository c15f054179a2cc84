// A language file and a Language.ini of any bytes.
#include <cstdint>
#include <string_view>

#include "i18n/language_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const zep4::TLanguageTexts texts = zep4::ParseLanguageText(text);
    for (std::string_view section : zep4::kSectionNames)
        for (int n = 0; n <= zep4::SectionLineCount(section) + 1; ++n) (void)texts.line(section, n);
    (void)zep4::ParseLanguageIni(text);
    return 0;
}
