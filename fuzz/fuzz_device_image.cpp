// Received device images of any word values, decoded into a setup.
#include <cstdint>
#include <cstring>
#include <memory>

#include "link/device_image.h"
#include "link/frames.h"
#include "setup/setup_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto store = std::make_unique<zep4::TSetupStore>();
    zep4::TDeviceImage words(zep4::kDeviceImageWords, 0);
    // The input's bytes fill the words that carry data, four bytes to a word, repeating.
    const size_t usable = size - size % 4;
    if (usable > 0)
        for (size_t w = 0; w < size_t(zep4::kImageWordsSent); ++w) std::memcpy(&words[w], data + (w * 4) % usable, 4);
    zep4::DecodeCameraImage(words, size % 4, *store);
    zep4::DecodeGlobalImage(words, *store);
    return 0;
}
