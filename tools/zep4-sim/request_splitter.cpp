#include "request_splitter.h"

#include "link/frames.h"

#include <array>
#include <cstring>

namespace zep4::sim {

namespace {

struct TCommandInfo {
    uint8_t code;
    int length;  // header and payload
    const char* name;
};

// Every command the program sends, with the total length of its frame.
constexpr std::array<TCommandInfo, 17> kCommands{{
    {cmd::Login, 17, "login"},
    {cmd::PasswordChange, 28, "password change"},
    {cmd::VersionQuery, 6, "version query"},
    {cmd::ReadDateTime, 6, "read date/time"},
    {cmd::SetDateTime, 14, "set date/time"},
    {cmd::ReadIp, 6, "read IP parameters"},
    {cmd::WriteIp, 20, "write IP parameters"},
    {cmd::DomeOrder, 10, "dome order"},
    {cmd::BeginTransfer, 6, "begin setup transfer"},
    {cmd::EndTransfer, 6, "end setup transfer"},
    {cmd::DataBlock, int(kDataBlockFrameSize), "setup data block"},
    {cmd::FirmwareStart, 70, "firmware start"},
    {cmd::FirmwareData, 70, "firmware data"},
    {cmd::RequestFirstBlock, 7, "request first setup block"},
    {cmd::RequestNextBlock, 6, "request next setup block"},
    {cmd::ServiceTestStart, 6, "service test start"},
    {cmd::ServiceTestValues, 6, "service test values"},
}};

const TCommandInfo* FindCommand(uint8_t code) {
    for (const TCommandInfo& c : kCommands)
        if (c.code == code) return &c;
    return nullptr;
}

constexpr char kKeepAliveText[] = "KAT";
constexpr char kPictureText[] = "Pic";
constexpr qsizetype kPictureFrameSize = 5;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int CommandFrameLength(uint8_t code) {
    const TCommandInfo* c = FindCommand(code);
    return c ? c->length : 0;
}

QString CommandName(uint8_t code) {
    const TCommandInfo* c = FindCommand(code);
    return c ? QString::fromLatin1(c->name) : QString();
}

QString FrameName(const TRequestFrame& frame) {
    switch (frame.kind) {
        case TFrameKind::Command: {
            const QString name = CommandName(frame.code);
            return name.isEmpty() ? QStringLiteral("command 0x%1").arg(frame.code, 2, 16, QChar('0')) : name;
        }
        case TFrameKind::KeepAlive: return QStringLiteral("keep-alive");
        case TFrameKind::PictureRequest: return QStringLiteral("picture request");
        case TFrameKind::Unrecognised: break;
    }
    return QStringLiteral("unrecognised bytes");
}

TRequestSplitter::TMatch TRequestSplitter::matchFrame(qsizetype at, TRequestFrame& frame, qsizetype& length) const {
    const qsizetype have = pending_.size() - at;
    const char* p = pending_.constData() + at;
    const auto byte = [p](qsizetype i) { return static_cast<uint8_t>(p[i]); };

    if (byte(0) == kEsc) {
        if (have < 2) return TMatch::NeedMore;
        const int total = CommandFrameLength(byte(1));
        if (total == 0) return TMatch::NoFrame;
        if (have < 6) return TMatch::NeedMore;
        if (CheckByte(reinterpret_cast<const uint8_t*>(p)) != byte(5)) return TMatch::NoFrame;
        if (have < total) return TMatch::NeedMore;
        frame.kind = TFrameKind::Command;
        frame.code = byte(1);
        length = total;
        return TMatch::Complete;
    }

    // Text frames: a fixed text, then ASCII digits up to `size`; every byte that has arrived
    // must fit.
    const auto matchText = [&](const char* text, qsizetype size, TFrameKind kind) {
        const qsizetype textSize = qsizetype(std::strlen(text));
        for (qsizetype i = 0; i < size && i < have; ++i) {
            const bool fits = i < textSize ? p[i] == text[i] : IsDigit(p[i]);
            if (!fits) return TMatch::NoFrame;
        }
        if (have < size) return TMatch::NeedMore;
        frame.kind = kind;
        frame.code = 0;
        length = size;
        return TMatch::Complete;
    };
    if (p[0] == kKeepAliveText[0]) return matchText(kKeepAliveText, 3, TFrameKind::KeepAlive);
    if (p[0] == kPictureText[0]) return matchText(kPictureText, kPictureFrameSize, TFrameKind::PictureRequest);
    return TMatch::NoFrame;
}

std::vector<TRequestFrame> TRequestSplitter::feed(const QByteArray& bytes) {
    pending_.append(bytes);
    std::vector<TRequestFrame> frames;
    qsizetype at = 0;
    qsizetype droppedFrom = -1;  // start of the current run of dropped bytes
    const auto flushDropped = [&] {
        if (droppedFrom < 0) return;
        frames.push_back({TFrameKind::Unrecognised, 0, pending_.mid(droppedFrom, at - droppedFrom)});
        droppedFrom = -1;
    };

    while (at < pending_.size()) {
        TRequestFrame frame;
        qsizetype length = 0;
        const TMatch match = matchFrame(at, frame, length);
        if (match == TMatch::NeedMore) break;
        if (match == TMatch::NoFrame) {
            if (droppedFrom < 0) droppedFrom = at;
            ++at;
            continue;
        }
        flushDropped();
        frame.bytes = pending_.mid(at, length);
        frames.push_back(std::move(frame));
        at += length;
    }
    flushDropped();
    pending_.remove(0, at);
    return frames;
}

}  // namespace zep4::sim
