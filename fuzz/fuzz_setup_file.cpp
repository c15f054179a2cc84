// A setup file of any bytes: parsed, and when it parses, taken into a store (pictures decoded)
// and built again.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "setup/setup_file.h"
#include "setup/setup_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = std::make_unique<zep4::TSetupFileImage>();
    std::string error;
    if (!zep4::ParseSetupFile(data, size, *image, error)) return 0;
    static auto store = std::make_unique<zep4::TSetupStore>();
    std::vector<std::string> warnings;
    zep4::ApplyImageToStore(*image, *store, warnings);
    const std::vector<uint8_t> again = zep4::BuildSetupFile(*image);
    return again.empty() ? 0 : 0;
}
