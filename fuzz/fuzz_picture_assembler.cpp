// A picture stream of any bytes, cut into pieces: the first byte of each piece gives the length
// of the piece that follows it.
#include <algorithm>
#include <cstdint>
#include <span>

#include "editor/live_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zep4::TPictureAssembler assembler;
    assembler.reset();
    size_t at = 0;
    while (at < size) {
        const size_t piece = std::min<size_t>(size - at - 1, size_t(data[at]) * 64 + 1);
        ++at;
        (void)assembler.addBlock(std::span<const uint8_t>(data + at, piece));
        at += piece;
    }
    return 0;
}
