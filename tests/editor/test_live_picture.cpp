// The picture request and the assembly of live pictures from the blocks the link delivers:
// pieces, the whole reply presented again and again, the 65535-byte limit, pictures cut short,
// declared lengths that do not match the data, and hostile blocks.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "editor/live_picture.h"
#include "live_picture_fixture.h"

namespace zep4 {
// Readable outcomes in failure messages.
void PrintTo(TPictureAssembler::TResult r, std::ostream* os) {
    static const char* const names[] = {"Ignored", "Waiting", "Complete", "TooLong", "BadLength"};
    *os << names[int(r)];
}
void PrintTo(const TPictureAssembler::TOutcome& o, std::ostream* os) {
    *os << (o.started ? "started, " : "");
    PrintTo(o.result, os);
}
}  // namespace zep4

using namespace zep4;
using namespace zep4::test;

namespace {

using R = TPictureAssembler::TResult;

std::string Text(const TPictureCommand& c) { return std::string(c.begin(), c.end()); }

TEST(PictureCommand, CameraAndCompressionDigits) {
    struct Case {
        int camera, compression;
        const char* command;
    };
    const Case cases[] = {
        {0, 1, "Pic11"}, {1, 2, "Pic22"}, {3, 3, "Pic43"}, {4, 2, "Pic12"}, {-1, 3, "Pic13"}, {2, 10, "Pic31"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(BuildPictureCommand(c.camera, c.compression)), c.command);

    TPictureCommand command = BuildPictureCommand(2, 1);
    SetCompressionDigit(command, 3);
    EXPECT_EQ(Text(command), "Pic33");
}

TEST(PictureCommand, PreviewCycleRunsThroughTheFourCameras) {
    TPictureCommand command = BuildPictureCommand(0, 2);
    std::string digits;
    for (int k = 0; k < 6; ++k) {
        digits += char(command[3]);
        AdvanceCameraDigit(command);
    }
    EXPECT_EQ(digits, "123412");
    command[3] = '9';
    AdvanceCameraDigit(command);
    EXPECT_EQ(command[3], '1');
    EXPECT_EQ(std::string(kKeepAliveCommand.begin(), kKeepAliveCommand.end()), "KAT");
}

// Feeds `picture` in pieces of the given sizes (the last piece takes the rest) and returns the
// outcome of each.
std::vector<TPictureAssembler::TOutcome> Feed(TPictureAssembler& a, const Bytes& picture,
                                              std::vector<size_t> pieces) {
    std::vector<TPictureAssembler::TOutcome> outcomes;
    size_t at = 0;
    for (size_t k = 0; at < picture.size(); ++k) {
        const size_t n = k < pieces.size() ? std::min(pieces[k], picture.size() - at) : picture.size() - at;
        outcomes.push_back(a.addBlock(std::span(picture).subspan(at, n)));
        at += n;
    }
    return outcomes;
}

TEST(PictureAssembler, PiecesMakeOnePicture) {
    const Bytes picture = LivePicture(30000);
    const std::vector<std::vector<size_t>> splits = {
        {},                     // one block
        {7},                    // the shortest start, then the rest
        {10, 4},                // the length field split over two blocks
        {7, 1, 1, 1, 1, 1, 1},  // byte by byte through the header
        {29999},                // the last byte alone
        {29998},                // the end marker alone
        std::vector<size_t>(30, 1000),
    };
    for (const auto& split : splits) {
        SCOPED_TRACE(testing::Message() << "first pieces " << testing::PrintToString(split));
        TPictureAssembler a;
        const auto outcomes = Feed(a, picture, split);
        ASSERT_FALSE(outcomes.empty());
        EXPECT_TRUE(outcomes.front().started);
        for (size_t k = 0; k + 1 < outcomes.size(); ++k) {
            EXPECT_EQ(outcomes[k].result, R::Waiting) << "piece " << k;
            EXPECT_EQ(outcomes[k].started, k == 0) << "piece " << k;
        }
        EXPECT_EQ(outcomes.back().result, R::Complete);
        EXPECT_EQ(Bytes(a.picture().begin(), a.picture().end()), picture);
        EXPECT_EQ(a.declaredLength(), 30000);
        // The stream is reset for the next picture.
        EXPECT_FALSE(a.collecting());
        EXPECT_EQ(a.fill(), 0);
        EXPECT_EQ(a.total(), 0);
        EXPECT_EQ(a.chunks(), 0);
    }
}

TEST(PictureAssembler, WholeReplyPresentedAgainAndAgain) {
    // Over TCP every read presents everything received since the request.
    const Bytes picture = LivePicture(20000);
    TPictureAssembler a;
    for (size_t length : {100u, 5000u, 19999u}) {
        const auto outcome = a.addBlock(std::span(picture).first(length));
        EXPECT_EQ(outcome, (TPictureAssembler::TOutcome{true, R::Waiting})) << length;
        EXPECT_EQ(a.total(), int32_t(length));
    }
    EXPECT_EQ(a.addBlock(picture).result, R::Complete);
    EXPECT_EQ(a.picture().size(), 20000u);
}

TEST(PictureAssembler, CountersFollowTheBlocks) {
    const Bytes picture = LivePicture(3000);
    TPictureAssembler a;
    Feed(a, Bytes(picture.begin(), picture.end() - 1), {1000, 1000});
    EXPECT_TRUE(a.collecting());
    EXPECT_EQ(a.chunks(), 3);
    EXPECT_EQ(a.total(), 2999);
    EXPECT_EQ(a.fill(), 2999);
    EXPECT_EQ(a.declaredLength(), 3000);
}

TEST(PictureAssembler, SizeLimit) {
    struct Case {
        size_t length;
        bool accepted;
    };
    for (const Case c : {Case{65535, true}, Case{65536, false}, Case{70000, false}}) {
        SCOPED_TRACE(c.length);
        const Bytes picture = LivePicture(c.length);
        for (const auto& split : {std::vector<size_t>{}, std::vector<size_t>(70, 1000)}) {
            TPictureAssembler a;
            const auto outcomes = Feed(a, picture, split);
            EXPECT_EQ(outcomes.back().result == R::Complete, c.accepted);
            if (!c.accepted) {
                // The block that crosses 65535 bytes drops the collection; later ones are ignored.
                const size_t crossing = split.empty() ? 0 : 65;
                EXPECT_EQ(outcomes[crossing].result, R::TooLong);
                for (size_t k = crossing + 1; k < outcomes.size(); ++k) EXPECT_EQ(outcomes[k].result, R::Ignored);
                EXPECT_FALSE(a.collecting());
                EXPECT_TRUE(a.picture().empty());
            }
        }
    }
}

TEST(PictureAssembler, BlocksOfAnySizeAreSafe) {
    TPictureAssembler a;
    Bytes huge = LivePicture(250000, 250000);
    EXPECT_EQ(a.addBlock(huge).result, R::TooLong);
    EXPECT_EQ(a.addBlock({}).result, R::Ignored);
    // Too short to carry a picture start: 0xFF 0xD8 with nothing at offset 6.
    const Bytes start = LivePicture(1000);
    EXPECT_EQ(a.addBlock(std::span(start).first(6)), (TPictureAssembler::TOutcome{false, R::Ignored}));
    EXPECT_EQ(a.addBlock(std::span(start).subspan(6)).result, R::Ignored);
}

TEST(PictureAssembler, PictureCutShortWaitsAndTheNextStartReplacesIt) {
    const Bytes first = LivePicture(8000);
    const Bytes second = LivePicture(4000);
    TPictureAssembler a;
    Feed(a, Bytes(first.begin(), first.begin() + 5000), {1000});
    EXPECT_TRUE(a.collecting());
    EXPECT_TRUE(a.picture().empty());
    const auto outcomes = Feed(a, second, {2000});
    EXPECT_TRUE(outcomes.front().started);
    EXPECT_EQ(outcomes.back().result, R::Complete);
    EXPECT_EQ(Bytes(a.picture().begin(), a.picture().end()), second);
}

TEST(PictureAssembler, DeclaredLength) {
    struct Case {
        const char* name;
        Bytes bytes;  // fed as 3000 + 3000 bytes
        R first, second;
        size_t pictureSize;
    };
    Bytes markerEarly = LivePicture(6000, 5000);
    markerEarly[4998] = 0xFF;
    markerEarly[4999] = 0xD9;
    const Case cases[] = {
        {"declared beyond the data", LivePicture(6000, 9000), R::Waiting, R::Waiting, 0},
        {"declared beyond the limit", LivePicture(6000, 70000), R::Waiting, R::Waiting, 0},
        {"declared beyond the buffer", LivePicture(6000, 0x7FFFFFFF), R::Waiting, R::Waiting, 0},
        {"end marker not at the declared end", LivePicture(6000, 5000), R::Waiting, R::Waiting, 0},
        {"data beyond the declared end", markerEarly, R::Waiting, R::Complete, 5000},
        {"declared zero", LivePicture(6000, 0), R::BadLength, R::Ignored, 0},
        {"declared negative", LivePicture(6000, 0x80000000u), R::BadLength, R::Ignored, 0},
        {"declared shorter than the header", LivePicture(6000, 1), R::Waiting, R::Waiting, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPictureAssembler a;
        const auto outcomes = Feed(a, c.bytes, {3000});
        ASSERT_EQ(outcomes.size(), 2u);
        EXPECT_EQ(outcomes[0].result, c.first);
        EXPECT_EQ(outcomes[1].result, c.second);
        EXPECT_EQ(a.picture().size(), c.pictureSize);
        EXPECT_EQ(a.collecting(), c.second == R::Waiting);
    }
}

TEST(PictureAssembler, LengthIsReadOnlyOnceTheHeaderArrived) {
    // A tiny "picture" declaring 5 bytes, whose bytes 3 and 4 happen to be the end marker: it
    // completes, and leaves its length field in the buffer.
    const Bytes tiny = {0xFF, 0xD8, 0x00, 0xFF, 0xD9, 0x00, 'J', 'P', 'E', 'G', 0, 0, 0, 5};
    TPictureAssembler a;
    ASSERT_EQ(a.addBlock(tiny).result, R::Complete);
    EXPECT_EQ(a.picture().size(), 5u);
    // The next picture's first block ends before its length field; judged by the old field it
    // would complete at once with 5 bytes.
    Bytes next = LivePicture(4000);
    next[3] = 0xFF;
    next[4] = 0xD9;
    EXPECT_EQ(a.addBlock(std::span(next).first(8)), (TPictureAssembler::TOutcome{true, R::Waiting}));
    EXPECT_EQ(a.declaredLength(), 0);
    EXPECT_TRUE(a.picture().empty());
    EXPECT_EQ(a.addBlock(std::span(next).subspan(8)).result, R::Complete);
    EXPECT_EQ(a.picture().size(), 4000u);
}

TEST(PictureAssembler, ResetForgetsTheCollection) {
    const Bytes picture = LivePicture(3000);
    TPictureAssembler a;
    a.addBlock(std::span(picture).first(2000));
    a.reset();
    EXPECT_FALSE(a.collecting());
    EXPECT_EQ(a.declaredLength(), 0);
    EXPECT_EQ(a.addBlock(std::span(picture).subspan(2000)).result, R::Ignored);

    a.addBlock(std::span(picture).first(2000));
    a.resetStream();  // before a request: the counters restart, the collection goes on
    EXPECT_TRUE(a.collecting());
    EXPECT_EQ(a.total(), 0);
}

}  // namespace
