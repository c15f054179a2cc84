// The setup transfer. The program sends a setup as: begin 0x50, 16 data blocks 0x53 of an
// image, begin, 16 blocks of the next image, ..., end 0x51; each frame waits for its
// acknowledgement. It reads a setup out with a first-block request 0x6B naming the image,
// then next-block requests 0x6C until a block numbered 16 has come, one more next-block
// request, and the end frame at the very end.
//
// The images live in the simulator's setup memory, shared by every connection; which image
// is being read out, and how far, belongs to the connection (TSimSession::setupReadout).
#include "sensor_simulator.h"

#include "link/frames.h"

namespace zep4::sim {

namespace {

// Byte 6 of a data block and of a first-block request.
constexpr qsizetype kImageByte = 6;
// Byte 7 of a data block.
constexpr qsizetype kBlockByte = 7;
constexpr qsizetype kBlockDataOffset = 8;

QByteArray ToBytes(const TCommandFrame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
}

// Block `block` (0..16) of image 0..4, as the sensor sends it in answer to a block request.
QByteArray BlockReply(const TSetupMemory& memory, int image, int block) {
    const std::array<int32_t, kBlockWords> words = memory.blockWords(image, block);
    const TDataBlockFrame frame =
        DataBlockFrame(uint8_t(image + 1), uint8_t(block), words.data(), cmd::RequestNextBlock, kSensorBlockCheck);
    return QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
}

}  // namespace

void InstallSetupExchanges(TSensorSimulator& simulator) {
    TExchange begin;
    begin.name = QStringLiteral("begin setup transfer");
    begin.handler = [](TSimSession& session, const TRequestFrame&) {
        session.setupReadout() = {};  // a new transfer: no block reading goes on from before
        return ToBytes(Acknowledgement(cmd::BeginTransfer));
    };
    simulator.setExchange(TFrameKey::command(cmd::BeginTransfer), std::move(begin));

    TExchange block;
    block.name = QStringLiteral("setup data block");
    block.handler = [&simulator](TSimSession&, const TRequestFrame& frame) {
        if (frame.bytes.size() != qsizetype(kDataBlockFrameSize)) return ToBytes(Acknowledgement(cmd::DataBlock, false));
        const int imageByte = uint8_t(frame.bytes[kImageByte]);
        const int number = uint8_t(frame.bytes[kBlockByte]);
        const auto* data = reinterpret_cast<const uint8_t*>(frame.bytes.constData() + kBlockDataOffset);
        if (!simulator.setupMemory().storeBlock(imageByte - 1, number, data)) {
            simulator.say(QStringLiteral("   refused, nothing stored: image byte %1 (1..5 are images) and block %2 "
                                         "(0..15 are blocks)")
                              .arg(imageByte)
                              .arg(number));
            return ToBytes(Acknowledgement(cmd::DataBlock, false));
        }
        simulator.say(QStringLiteral("   stored as block %1 of image %2").arg(number).arg(imageByte));
        return ToBytes(Acknowledgement(cmd::DataBlock));
    };
    simulator.setExchange(TFrameKey::command(cmd::DataBlock), std::move(block));

    TExchange end;
    end.name = QStringLiteral("end setup transfer");
    end.handler = [&simulator](TSimSession& session, const TRequestFrame&) {
        session.setupReadout() = {};
        // A transmission is complete: what it stored goes to the state file. A failure to
        // write it is the simulator's own trouble, not the sensor's: the transfer succeeds.
        if (simulator.setupMemory().unsaved() && !simulator.options().stateFile.isEmpty()) {
            QString error;
            if (simulator.saveState(error))
                simulator.say(QStringLiteral("   setup images written to %1").arg(simulator.options().stateFile));
            else
                emit simulator.warning(QStringLiteral("the setup images could not be written to the state file \"%1\": %2")
                                           .arg(simulator.options().stateFile, error));
        }
        return ToBytes(Acknowledgement(cmd::EndTransfer));
    };
    simulator.setExchange(TFrameKey::command(cmd::EndTransfer), std::move(end));

    TExchange first;
    first.name = QStringLiteral("request first setup block");
    first.sendsDataBlocks = true;
    first.handler = [&simulator](TSimSession& session, const TRequestFrame& frame) {
        const int imageByte = frame.bytes.size() > kImageByte ? uint8_t(frame.bytes[kImageByte]) : 0;
        if (!TSetupMemory::ValidImage(imageByte - 1)) {
            session.setupReadout() = {};
            simulator.say(QStringLiteral("   refused: image byte %1 names no image (1..5)").arg(imageByte));
            return ToBytes(Acknowledgement(cmd::RequestFirstBlock, false));
        }
        session.setupReadout() = {imageByte - 1, 1};
        return BlockReply(simulator.setupMemory(), imageByte - 1, 0);
    };
    simulator.setExchange(TFrameKey::command(cmd::RequestFirstBlock), std::move(first));

    TExchange next;
    next.name = QStringLiteral("request next setup block");
    next.sendsDataBlocks = true;
    next.handler = [&simulator](TSimSession& session, const TRequestFrame&) {
        TSetupReadout& readout = session.setupReadout();
        if (readout.image < 0) {
            simulator.say(QStringLiteral("   no reply: no first-block request came before it"));
            return QByteArray();
        }
        if (readout.nextBlock > kLastBlockServed) {
            simulator.say(QStringLiteral("   no reply: block %1 was the last").arg(kLastBlockServed));
            return QByteArray();
        }
        return BlockReply(simulator.setupMemory(), readout.image, readout.nextBlock++);
    };
    simulator.setExchange(TFrameKey::command(cmd::RequestNextBlock), std::move(next));
}

}  // namespace zep4::sim
