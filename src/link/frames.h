// Frames on the wire between the program and the sensor: the 6-byte command frame with its
// XOR check byte, the login frame, the 1032-byte setup data block, and the shape of the
// sensor's acknowledgements. Plain C++, shared by the program and the simulator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zep4 {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;

namespace cmd {
constexpr uint8_t Login = 0x30;
constexpr uint8_t PasswordChange = 0x31;
constexpr uint8_t VersionQuery = 0x32;
constexpr uint8_t ReadDateTime = 0x40;
constexpr uint8_t SetDateTime = 0x41;
constexpr uint8_t ReadIp = 0x45;
constexpr uint8_t WriteIp = 0x46;
constexpr uint8_t DomeOrder = 0x49;
constexpr uint8_t BeginTransfer = 0x50;
constexpr uint8_t EndTransfer = 0x51;
constexpr uint8_t DataBlock = 0x53;
constexpr uint8_t FirmwareStart = 0x60;
constexpr uint8_t FirmwareData = 0x61;
constexpr uint8_t RequestFirstBlock = 0x6B;
constexpr uint8_t RequestNextBlock = 0x6C;
constexpr uint8_t ServiceTestStart = 0x90;
constexpr uint8_t ServiceTestValues = 0x91;
}  // namespace cmd

using TCommandFrame = std::array<uint8_t, 6>;

// XOR of the first five bytes of a frame.
uint8_t CheckByte(const uint8_t* frame);

// ESC, code, three parameters, check byte.
TCommandFrame CommandFrame(uint8_t code, uint8_t p1 = 0, uint8_t p2 = 0, uint8_t p3 = 0);

// A reply laid out as a command frame: ESC, the code answered, ACK (or NAK), 0, 0, check byte.
TCommandFrame Acknowledgement(uint8_t code, bool positive = true);

// The login frame: 1B 30 00 00 00 2B, the first 10 bytes of the password (8-bit text; the
// positions a shorter password leaves are 0xFF), and the password's length before the cut.
constexpr size_t kLoginFrameSize = 17;
constexpr size_t kPasswordField = 10;
std::array<uint8_t, kLoginFrameSize> LoginFrame(std::string_view password);

// Setup data block: 1B 53 00 82 00 CA, image number + 1, block number, 1024 data bytes.
constexpr size_t kDataBlockFrameSize = 1032;
constexpr size_t kBlockWords = 1024;
constexpr int kBlocksPerImage = 16;
constexpr int kImageWordsSent = kBlockWords * kBlocksPerImage;  // 16384
using TDataBlockFrame = std::array<uint8_t, kDataBlockFrameSize>;

// Byte 5 of a block: that of the header 1B 53 00 82 00 in blocks from the program, that of
// 1B 6C 00 82 00 in blocks from the sensor.
constexpr uint8_t kProgramBlockCheck = 0xCA;
constexpr uint8_t kSensorBlockCheck = 0xF5;

// Builds a block from `words` (the 1024 words of the block; each travels as its low byte).
TDataBlockFrame DataBlockFrame(uint8_t imageNumberPlus1, uint8_t blockNumber, const int32_t* words,
                               uint8_t command = cmd::DataBlock, uint8_t checkByte = kProgramBlockCheck);

// The 73-byte reply to the version query carries the firmware version in bytes 11..15.
constexpr size_t kVersionReplySize = 73;
constexpr size_t kVersionTextOffset = 11;
constexpr size_t kVersionTextSize = 5;

// Whether a reply is exactly `expectedLength` bytes with byte 1 = code and byte 2 = ACK.
bool IsAcknowledged(const uint8_t* reply, size_t length, size_t expectedLength, uint8_t code);

}  // namespace zep4
