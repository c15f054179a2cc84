#include "editor/live_picture.h"

#include <cstring>
#include <string>

namespace zep4 {

namespace {

constexpr size_t kStartCheckBytes = 7;  // 0xFF 0xD8 at 0 and "J" at 6
constexpr int32_t kHeaderBytes = 14;    // through the length field at 10..13

bool startsPicture(std::span<const uint8_t> block) {
    return block.size() >= kStartCheckBytes && block[0] == 0xFF && block[1] == 0xD8 && block[6] == 'J';
}

}  // namespace

TPictureCommand BuildPictureCommand(int camera, int compression) {
    TPictureCommand command{'P', 'i', 'c', '1', '1'};
    if (camera >= 0 && camera <= 3) command[3] = uint8_t('1' + camera);
    SetCompressionDigit(command, compression);
    return command;
}

void SetCompressionDigit(TPictureCommand& command, int compression) {
    command[4] = uint8_t(std::to_string(compression).front());
}

void AdvanceCameraDigit(TPictureCommand& command) {
    command[3] = command[3] >= '1' && command[3] <= '3' ? uint8_t(command[3] + 1) : uint8_t('1');
}

TPictureAssembler::TPictureAssembler() : buffer_(kPictureBufferSize, 0) {}

void TPictureAssembler::resetStream() {
    total_ = 0;
    chunks_ = 0;
    fill_ = 0;
}

void TPictureAssembler::reset() {
    resetStream();
    collecting_ = false;
    declaredLength_ = 0;
    completeLength_ = 0;
}

void TPictureAssembler::dropCollection() {
    resetStream();
    collecting_ = false;
}

std::span<const uint8_t> TPictureAssembler::picture() const {
    return {buffer_.data(), size_t(completeLength_)};
}

TPictureAssembler::TOutcome TPictureAssembler::addBlock(std::span<const uint8_t> block) {
    TOutcome outcome;
    completeLength_ = 0;
    if (startsPicture(block)) {
        outcome.started = true;
        resetStream();
        collecting_ = true;
        declaredLength_ = 0;
    }
    ++chunks_;
    // Counted in 64 bits: a block may be of any size.
    const int64_t total = int64_t(total_) + int64_t(block.size());
    if (total > kMaxPictureLength) {
        dropCollection();
        outcome.result = TResult::TooLong;
        return outcome;
    }
    total_ = int32_t(total);
    if (!collecting_) {
        outcome.result = TResult::Ignored;
        return outcome;
    }

    // fill_ <= total_ <= 65535 < kPictureBufferSize, so the block fits.
    if (!block.empty()) std::memcpy(buffer_.data() + fill_, block.data(), block.size());
    fill_ += int32_t(block.size());

    outcome.result = TResult::Waiting;
    if (fill_ < kHeaderBytes) return outcome;  // the length field has not arrived yet
    const uint32_t declared = uint32_t(buffer_[10]) << 24 | uint32_t(buffer_[11]) << 16 |
                              uint32_t(buffer_[12]) << 8 | buffer_[13];
    declaredLength_ = int32_t(declared);
    if (declaredLength_ <= 0) {
        dropCollection();
        outcome.result = TResult::BadLength;
        return outcome;
    }
    // The end marker is looked for only inside what was collected.
    const bool complete = total_ >= declaredLength_ && declaredLength_ >= 2 && fill_ >= declaredLength_ &&
                          buffer_[size_t(declaredLength_) - 1] == 0xD9 &&
                          buffer_[size_t(declaredLength_) - 2] == 0xFF;
    if (!complete) return outcome;

    resetStream();
    collecting_ = false;
    completeLength_ = declaredLength_;
    outcome.result = TResult::Complete;
    return outcome;
}

}  // namespace zep4
