// A test's end of the link to an in-process simulator: a socket that collects every byte
// the simulator sends and remembers how many arrived with each read.
#pragma once

#include <QByteArray>
#include <QTcpSocket>

#include <string>
#include <vector>

namespace zep4::sim::test {

// "1B 30 06" -> the bytes 0x1B 0x30 0x06.
QByteArray Hex(const char* text);

// A login frame as the program sends it: 1B 30 00 00 00 2B, the first 10 bytes of
// `password` with `filler` after them, then `lengthByte`.
QByteArray LoginBytes(const QByteArray& password, int lengthByte, char filler = '\xFF');
// The login frame of a password, with its own length.
QByteArray LoginBytes(const QByteArray& password);

// Requests and replies, written out byte for byte.
inline const char* const kVersionQuery = "1B 32 00 00 00 29";
inline const char* const kLoginAck = "1B 30 06 00 00 2D";
inline const char* const kLoginNak = "1B 30 15 00 00 3E";
inline const char* const kVersionNak = "1B 32 15 00 00 3C";
inline const char* const kVersionReplyHead = "1B 32 06 00 00 2F";
constexpr qsizetype kVersionReplyLength = 73;
// The header of every setup block the sensor sends, before the image byte and block number.
inline const char* const kSensorBlockHead = "1B 6C 00 82 00 F5";
constexpr qsizetype kBlockFrameLength = 1032;

// Checks `received` against the expected replies in order, and that nothing else came:
// "version" stands for a 73-byte version reply (checked by its first 6 bytes), "block I B"
// for a 1032-byte setup block of image byte I numbered B (checked by its first 8 bytes),
// anything else is the reply in hexadecimal.
void ExpectFrames(const QByteArray& received, const std::vector<std::string>& expected);
// The number of bytes those replies come to.
qsizetype FramesLength(const std::vector<std::string>& expected);
// "block 3 5"
std::string BlockText(int imageByte, int block);

class TSimClient {
public:
    TSimClient();
    bool connectTo(quint16 port);
    void send(const QByteArray& bytes);
    // Wait for the condition, processing events; false when it did not come within the time.
    bool waitForBytes(qsizetype count, int timeoutMs = 5000);
    bool waitForDisconnected(int timeoutMs = 5000);

    QTcpSocket socket;
    QByteArray received;
    std::vector<qsizetype> reads;  // bytes per read, in order
    bool disconnected = false;
};

}  // namespace zep4::sim::test
