// Cuts the byte stream that the program sends to the sensor into request frames.
//
// A command frame starts with ESC and its code; its total length is fixed per code (the
// table in request_splitter.cpp). The first six bytes of every command frame carry the XOR
// check byte of bytes 0..4, which is tested before the rest of the frame is awaited, so that
// a stray ESC does not swallow the frames behind it. The text frames are "KAT" (keep-alive)
// and "Pic" followed by two ASCII digits (picture request). Bytes that start no frame are
// dropped one at a time until a frame start is found. A frame may arrive in pieces, and one
// piece may carry several frames.
#pragma once

#include <QByteArray>
#include <QString>

#include <compare>
#include <cstdint>
#include <vector>

namespace zep4::sim {

enum class TFrameKind {
    Command,         // ESC, code, three parameters, check byte, payload
    KeepAlive,       // "KAT"
    PictureRequest,  // "Pic" + camera digit + one digit
    Unrecognised,    // bytes that start no frame and were dropped
};

// What a request handler is registered for: a command code, or one of the text frames
// (whose code is 0).
struct TFrameKey {
    TFrameKind kind = TFrameKind::Unrecognised;
    uint8_t code = 0;

    static TFrameKey command(uint8_t code) { return {TFrameKind::Command, code}; }
    static TFrameKey keepAlive() { return {TFrameKind::KeepAlive, 0}; }
    static TFrameKey pictureRequest() { return {TFrameKind::PictureRequest, 0}; }
    auto operator<=>(const TFrameKey&) const = default;
};

struct TRequestFrame {
    TFrameKind kind = TFrameKind::Unrecognised;
    uint8_t code = 0;  // command code of a command frame, else 0
    QByteArray bytes;  // the whole frame as received (for Unrecognised: the dropped bytes)

    TFrameKey key() const { return {kind, code}; }
};

// Total length of the command frame with this code, header and payload; 0 for a code the
// program never sends.
int CommandFrameLength(uint8_t code);

// Short name of a command ("login", "version query", ...); empty for an unknown code.
QString CommandName(uint8_t code);

// Short name of a frame for messages: the command's name, "keep-alive", "picture request",
// or "unrecognised bytes".
QString FrameName(const TRequestFrame& frame);

class TRequestSplitter {
public:
    // Appends `bytes` to what is pending and returns every frame now complete, in order.
    // Runs of dropped bytes come out as one Unrecognised item each, in their place.
    std::vector<TRequestFrame> feed(const QByteArray& bytes);

    // Bytes of an incomplete frame that wait for the rest.
    qsizetype pendingSize() const { return pending_.size(); }
    void clear() { pending_.clear(); }

private:
    enum class TMatch { Complete, NeedMore, NoFrame };
    // Whether a frame starts at offset `at` of the pending bytes.
    TMatch matchFrame(qsizetype at, TRequestFrame& frame, qsizetype& length) const;

    QByteArray pending_;
};

}  // namespace zep4::sim
