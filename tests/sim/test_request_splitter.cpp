// The request splitter: frame lengths per command, frames in pieces and back to back, and
// how bytes that start no frame are dropped.
#include "request_splitter.h"
#include "sim_client.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zep4::sim {
namespace {

using test::Hex;

struct TSeen {
    TFrameKind kind;
    QByteArray bytes;
    bool operator==(const TSeen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TSeen& s) {
    return os << int(s.kind) << ':' << s.bytes.toHex(' ').toStdString();
}

std::vector<TSeen> Feed(TRequestSplitter& splitter, const std::vector<QByteArray>& pieces) {
    std::vector<TSeen> seen;
    for (const QByteArray& piece : pieces)
        for (const TRequestFrame& f : splitter.feed(piece)) seen.push_back({f.kind, f.bytes});
    return seen;
}

std::vector<QByteArray> Pieces(const QByteArray& bytes, const std::vector<int>& sizes) {
    std::vector<QByteArray> pieces;
    qsizetype at = 0;
    for (size_t i = 0; at < bytes.size(); ++i) {
        const int size = sizes[std::min(i, sizes.size() - 1)];
        pieces.push_back(bytes.mid(at, size));
        at += size;
    }
    return pieces;
}

// Header bytes and total length of every command the program sends, with the check bytes
// as the program computes them.
struct TCommandCase {
    const char* header;
    int total;
};
const TCommandCase kCommandCases[] = {
    {"1B 30 00 00 00 2B", 17},   {"1B 31 00 16 00 3C", 28}, {"1B 32 00 00 00 29", 6},
    {"1B 40 00 00 00 5B", 6},    {"1B 41 00 08 00 52", 14}, {"1B 45 00 00 00 5E", 6},
    {"1B 46 00 0E 00 53", 20},   {"1B 49 00 00 04 56", 10}, {"1B 50 00 00 00 4B", 6},
    {"1B 51 00 00 00 4A", 6},    {"1B 53 00 82 00 CA", 1032}, {"1B 60 00 40 00 3B", 70},
    {"1B 61 00 40 00 3A", 70},   {"1B 6B 01 01 00 70", 7},  {"1B 6C 06 00 00 71", 6},
    {"1B 90 00 00 00 8B", 6},    {"1B 91 00 00 00 8A", 6},
};

TEST(RequestSplitter, EveryCommandIsCutAtItsLength) {
    const QByteArray follower = Hex(test::kVersionQuery);
    for (const TCommandCase& c : kCommandCases) {
        SCOPED_TRACE(c.header);
        QByteArray frame = Hex(c.header);
        // Payload bytes that could be taken for frame starts, so a wrong length shows.
        while (frame.size() < c.total) frame.append(frame.size() % 2 ? '\x1B' : 'K');
        TRequestSplitter splitter;
        const std::vector<TSeen> seen = Feed(splitter, {frame + follower});
        const std::vector<TSeen> expected{{TFrameKind::Command, frame}, {TFrameKind::Command, follower}};
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(splitter.pendingSize(), 0);
    }
}

TEST(RequestSplitter, FramesInPiecesAndBackToBack) {
    const QByteArray login = Hex("1B 30 00 00 00 2B 7A 65 70 34 FF FF FF FF FF FF 04");
    const QByteArray version = Hex(test::kVersionQuery);
    QByteArray block = Hex("1B 53 00 82 00 CA 01 00");
    block.append(QByteArray(1024, '\x1B'));
    const QByteArray all = login + "KAT" + version + "Pic12" + block + version;
    const std::vector<TSeen> expected{
        {TFrameKind::Command, login},          {TFrameKind::KeepAlive, "KAT"}, {TFrameKind::Command, version},
        {TFrameKind::PictureRequest, "Pic12"}, {TFrameKind::Command, block},   {TFrameKind::Command, version},
    };
    const std::vector<std::vector<int>> cuts{{int(all.size())}, {1}, {2, 4}, {5}, {16, 1}, {100}, {1031}};
    for (const std::vector<int>& cut : cuts) {
        SCOPED_TRACE(cut.front());
        TRequestSplitter splitter;
        EXPECT_EQ(Feed(splitter, Pieces(all, cut)), expected);
        EXPECT_EQ(splitter.pendingSize(), 0);
    }
}

TEST(RequestSplitter, IncompleteFrameWaits) {
    TRequestSplitter splitter;
    EXPECT_TRUE(splitter.feed(Hex("1B 30 00 00 00 2B 7A 65")).empty());
    EXPECT_EQ(splitter.pendingSize(), 8);
    EXPECT_TRUE(splitter.feed("Pi").empty());  // still inside the login frame
    EXPECT_EQ(splitter.pendingSize(), 10);
}

TEST(RequestSplitter, BytesThatStartNoFrameAreDropped) {
    const QByteArray version = Hex(test::kVersionQuery);
    struct TCase {
        const char* what;
        std::vector<QByteArray> pieces;
        QByteArray dropped;
    };
    const TCase cases[] = {
        {"plain garbage", {QByteArray("xyz\x00\xFF", 5)}, QByteArray("xyz\x00\xFF", 5)},
        {"ESC with a code the program never sends", {Hex("1B 99")}, Hex("1B 99")},
        {"ESC frame with a wrong check byte", {Hex("1B 32 00 00 00 28")}, Hex("1B 32 00 00 00 28")},
        {"keep-alive misspelt", {"KAX"}, "KAX"},
        {"keep-alive misspelt across pieces", {"KA", "X"}, "KAX"},
        {"picture request with a letter for a digit", {"PicX1"}, "PicX1"},
        {"picture request with binary camera number", {QByteArray("Pic\x01\x05", 5)}, QByteArray("Pic\x01\x05", 5)},
        {"lone ESC at the end of a piece", {Hex("1B"), Hex("00")}, Hex("1B 00")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<QByteArray> pieces = c.pieces;
        pieces.push_back(version);
        TRequestSplitter splitter;
        const std::vector<TSeen> expected{{TFrameKind::Unrecognised, c.dropped}, {TFrameKind::Command, version}};
        EXPECT_EQ(Feed(splitter, pieces), expected);
    }
}

TEST(RequestSplitter, RandomBytesNeverBreakIt) {
    std::mt19937 random(4081);
    std::uniform_int_distribution<int> byte(0, 255);
    TRequestSplitter splitter;
    for (int round = 0; round < 200; ++round) {
        QByteArray piece(1 + round * 7 % 700, '\0');
        for (char& c : piece) c = char(byte(random));
        splitter.feed(piece);
        EXPECT_LT(splitter.pendingSize(), 1032);
    }
    // Whatever is pending, a block's worth of zero bytes and a request get it back in step.
    splitter.feed(QByteArray(1032, '\0'));
    const std::vector<TRequestFrame> frames = splitter.feed(Hex(test::kVersionQuery));
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().bytes, Hex(test::kVersionQuery));
}

}  // namespace
}  // namespace zep4::sim
