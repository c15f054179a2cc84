// The live picture stream: the request the program sends for one picture, the keep-alive, and
// the assembly of a picture from the blocks in which the link delivers it. The procedure that
// runs the stream (timers, sending, decoding) feeds every block to TPictureAssembler and acts on
// the outcome. Plain C++, no Qt.
//
// A live picture is a complete JPEG file: it starts with 0xFF 0xD8, has the letter "J" of "JPEG"
// at offset 6, its total length L big-endian at offsets 10..13, and ends with 0xFF 0xD9 at
// L - 2 and L - 1. A picture is at most 65535 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zep4 {

constexpr int kPictureBufferSize = 100000;
constexpr int kMaxPictureLength = 65535;

using TPictureCommand = std::array<uint8_t, 5>;

// "Pic", the camera digit "1".."4" for camera 0..3 (any other camera gives "1"), and the first
// character of the decimal text of the compression fader's value (1..3 gives "1".."3").
TPictureCommand BuildPictureCommand(int camera, int compression);
// Byte 4 := the first character of the decimal text of `compression`.
void SetCompressionDigit(TPictureCommand& command, int compression);
// The preview cycle's next camera: "1" -> "2" -> "3" -> "4" -> "1"; any other digit gives "1".
void AdvanceCameraDigit(TPictureCommand& command);

// The keep-alive the main window sends while the link is idle.
constexpr std::array<uint8_t, 3> kKeepAliveCommand = {'K', 'A', 'T'};

// Collects one picture at a time from the blocks handed over while a picture transfer runs.
//
// A block that begins with 0xFF 0xD8 and has "J" at offset 6 starts a picture: what was
// collected before is dropped. Blocks before a start are dropped. Every block counts towards
// StreamTotal; once more than 65535 bytes arrived since the start, the collection is dropped.
// When the 14 header bytes are in, the declared length is read; zero or a negative value (top bit
// set) drops the collection. The picture is complete when at least the declared number of bytes
// arrived and the declared last two bytes are 0xFF 0xD9. A picture cut short, or one whose end
// marker is not at its declared place, never completes: the procedure's watchdog re-requests.
//
// Both ways the link may present the data work: separate pieces, or each time the whole reply
// received since the request (every presentation then starts the picture again and carries all
// of it).
class TPictureAssembler {
public:
    enum class TResult {
        Ignored,     // no picture start seen; the block is dropped
        Waiting,     // part of a picture; more blocks are needed
        Complete,    // picture() holds the complete picture; the stream is reset
        TooLong,     // more than 65535 bytes since the start; the collection is dropped
        BadLength,   // declared length zero or negative; the collection is dropped
    };
    struct TOutcome {
        bool started = false;  // this block began a picture (the watchdog waits 10 s from here)
        TResult result = TResult::Ignored;
        bool operator==(const TOutcome&) const = default;
    };

    TPictureAssembler();

    // Hands one block to the assembler (AssemblePictureBlock).
    TOutcome addBlock(std::span<const uint8_t> block);

    // "Resetting the stream": StreamTotal, StreamChunks, StreamFill := 0. Before a request.
    void resetStream();
    // resetStream, and the collection ends and the declared length is forgotten (the watchdog).
    void reset();

    // After a Complete outcome: the DeclaredLength bytes of the picture, valid until the next
    // block. Empty otherwise.
    std::span<const uint8_t> picture() const;

    bool collecting() const { return collecting_; }
    int32_t chunks() const { return chunks_; }
    int32_t total() const { return total_; }
    int32_t fill() const { return fill_; }
    int32_t declaredLength() const { return declaredLength_; }

private:
    void dropCollection();

    std::vector<uint8_t> buffer_;  // StreamBuffer, kPictureBufferSize bytes
    bool collecting_ = false;
    int32_t chunks_ = 0;
    int32_t total_ = 0;
    int32_t fill_ = 0;
    int32_t declaredLength_ = 0;
    int32_t completeLength_ = 0;  // length of the picture in buffer_ after Complete, else 0
};

}  // namespace zep4
