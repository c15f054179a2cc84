#include "link/frames.h"

#include <algorithm>
#include <cstring>

namespace zep4 {

uint8_t CheckByte(const uint8_t* frame) {
    return static_cast<uint8_t>(frame[0] ^ frame[1] ^ frame[2] ^ frame[3] ^ frame[4]);
}

TCommandFrame CommandFrame(uint8_t code, uint8_t p1, uint8_t p2, uint8_t p3) {
    TCommandFrame f{kEsc, code, p1, p2, p3, 0};
    f[5] = CheckByte(f.data());
    return f;
}

TCommandFrame Acknowledgement(uint8_t code, bool positive) { return CommandFrame(code, positive ? kAck : kNak); }

std::array<uint8_t, kLoginFrameSize> LoginFrame(std::string_view password) {
    std::array<uint8_t, kLoginFrameSize> f;
    f.fill(0xFF);
    const TCommandFrame head = CommandFrame(cmd::Login);
    std::copy(head.begin(), head.end(), f.begin());
    std::memcpy(f.data() + 6, password.data(), std::min(password.size(), kPasswordField));
    f[16] = static_cast<uint8_t>(std::min<size_t>(password.size(), 255));
    return f;
}

TDataBlockFrame DataBlockFrame(uint8_t imageNumberPlus1, uint8_t blockNumber, const int32_t* words, uint8_t command,
                               uint8_t checkByte) {
    TDataBlockFrame f{};
    f[0] = kEsc;
    f[1] = command;
    f[2] = 0x00;
    f[3] = 0x82;
    f[4] = 0x00;
    f[5] = checkByte;
    f[6] = imageNumberPlus1;
    f[7] = blockNumber;
    for (size_t i = 0; i < kBlockWords; ++i) f[8 + i] = static_cast<uint8_t>(words[i] & 0xFF);
    return f;
}

bool IsAcknowledged(const uint8_t* reply, size_t length, size_t expectedLength, uint8_t code) {
    return length == expectedLength && length >= 3 && reply[1] == code && reply[2] == kAck;
}

}  // namespace zep4
