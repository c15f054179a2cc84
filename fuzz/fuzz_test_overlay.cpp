// The overlay data of a live picture of any bytes.
#include <cstdint>
#include <span>

#include "editor/test_overlay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const zep4::TTestOverlay overlay = zep4::ParseTestOverlay(std::span<const uint8_t>(data, size));
    return overlay.records.size() > size ? 1 : 0;
}
