// The setup the simulated sensor keeps: five device setup images, each the low bytes of the
// words 0..16383 that a transfer carries. Images 0..3 belong to cameras 1..4, image 4 is the
// global image; on the wire each travels as its number + 1 (1..5).
//
// The images can be kept in a state file, so that a restarted simulator still holds the last
// setup it was sent. The file is 8 bytes of header, "ZEP4SIM" and the format version 1, then
// the five images one after the other (81928 bytes in all).
#pragma once

#include "link/frames.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace zep4::sim {

constexpr int kSetupImages = 5;
constexpr int kGlobalSetupImage = 4;
constexpr qsizetype kSetupImageBytes = kImageWordsSent;  // 16384
constexpr qsizetype kSetupBlockBytes = qsizetype(kBlockWords);
// Blocks 0..15 hold the image. The sensor answers block requests up to a block numbered 16,
// which lies past the words a transfer carries: its data is 1024 zero bytes.
constexpr int kLastBlockServed = kBlocksPerImage;

constexpr char kStateFileMagic[] = "ZEP4SIM";  // 7 bytes in the file, without the zero
constexpr uint8_t kStateFileVersion = 1;
constexpr qsizetype kStateFileHeaderSize = 8;
constexpr qsizetype kStateFileSize = kStateFileHeaderSize + kSetupImages * kSetupImageBytes;

using TSetupImages = std::array<QByteArray, kSetupImages>;

// The images of a factory-default setup (a reset store, encoded). Camera names are not part
// of the images, so the camera word of the reset does not matter.
const TSetupImages& FactorySetupImages();

// The state file's bytes for `images` (each kSetupImageBytes long).
QByteArray StateFileBytes(const TSetupImages& images);
// Reads a state file's bytes; false, with `error` saying what is wrong, unless they are
// exactly kStateFileSize bytes with the header above. `images` is untouched then.
bool ParseStateFile(const QByteArray& bytes, TSetupImages& images, QString& error);

enum class TStateLoad {
    Loaded,      // the file was read
    Missing,     // there is no such file (yet)
    Unreadable,  // it cannot be read or is no state file of this format
};

class TSetupMemory {
public:
    TSetupMemory();  // the factory images

    static bool ValidImage(int image) { return image >= 0 && image < kSetupImages; }

    // The bytes of image 0..4 (kSetupImageBytes); empty for another number.
    QByteArray image(int image) const;
    // Replaces an image; false, changing nothing, unless `image` is 0..4 and `bytes` holds
    // exactly kSetupImageBytes. Does not count as a change to be saved.
    bool setImage(int image, const QByteArray& bytes);
    const TSetupImages& images() const { return images_; }
    // All images back to the factory images (not counted as a change to be saved).
    void reset();

    // Stores the 1024 bytes at `data` as block 0..15 of image 0..4; false, storing nothing,
    // for another image or block number.
    bool storeBlock(int image, int block, const uint8_t* data);
    // The words of block 0..kLastBlockServed of an image, each carrying one byte, as the
    // frame builders take them; zero past the image (block 16) and for a wrong number.
    std::array<int32_t, kBlockWords> blockWords(int image, int block) const;

    // Whether blocks were stored since the images were last read from or written to a file.
    bool unsaved() const { return unsaved_; }

    // Reads the images from a state file. Unless it says Loaded the images stay as they are;
    // for Unreadable `error` says why.
    TStateLoad load(const QString& file, QString& error);
    // Writes the images to a state file (a temporary file renamed over it, so that a crash
    // never leaves half a file); false with `error` when that fails.
    bool save(const QString& file, QString& error);

private:
    TSetupImages images_;
    bool unsaved_ = false;
};

}  // namespace zep4::sim
