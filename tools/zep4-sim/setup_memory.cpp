#include "setup_memory.h"

#include "link/device_image.h"
#include "setup/file_io.h"
#include "setup/setup_defaults.h"
#include "setup/setup_store.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zep4::sim {

namespace {

// The part of an encoded image that a transfer carries, each word as its low byte.
QByteArray LowBytes(const TDeviceImage& words) {
    QByteArray bytes(kSetupImageBytes, '\0');
    for (qsizetype i = 0; i < kSetupImageBytes && i < qsizetype(words.size()); ++i)
        bytes[i] = char(words[size_t(i)] & 0xFF);
    return bytes;
}

TSetupImages MakeFactoryImages() {
    // The store is large (its own images and pictures); it lives only while the images are made.
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, "Camera");
    TSetupImages images;
    TDeviceImage words;
    for (int cam = 0; cam < kCameras; ++cam) {
        words.assign(size_t(kDeviceImageWords), 0);
        EncodeCameraImage(*store, cam, words);
        images[size_t(cam)] = LowBytes(words);
    }
    words.assign(size_t(kDeviceImageWords), 0);
    EncodeGlobalImage(*store, words);
    images[kGlobalSetupImage] = LowBytes(words);
    return images;
}

std::filesystem::path ToPath(const QString& file) { return std::filesystem::path(QFile::encodeName(file).toStdString()); }

}  // namespace

const TSetupImages& FactorySetupImages() {
    static const TSetupImages images = MakeFactoryImages();
    return images;
}

QByteArray StateFileBytes(const TSetupImages& images) {
    QByteArray bytes(kStateFileMagic, qsizetype(sizeof kStateFileMagic - 1));
    bytes.append(char(kStateFileVersion));
    for (const QByteArray& image : images) bytes += image.left(kSetupImageBytes).leftJustified(kSetupImageBytes, '\0');
    return bytes;
}

bool ParseStateFile(const QByteArray& bytes, TSetupImages& images, QString& error) {
    const QByteArray magic(kStateFileMagic, qsizetype(sizeof kStateFileMagic - 1));
    if (bytes.isEmpty()) {
        error = QStringLiteral("it is empty");
        return false;
    }
    if (!bytes.startsWith(magic.left(bytes.size()))) {
        error = QStringLiteral("it does not start with \"%1\", so it is no zep4-sim state file")
                    .arg(QString::fromLatin1(magic));
        return false;
    }
    if (bytes.size() < kStateFileHeaderSize) {
        error = QStringLiteral("it ends after %1 bytes, inside its header").arg(bytes.size());
        return false;
    }
    if (uint8_t(bytes[7]) != kStateFileVersion) {
        error = QStringLiteral("it has format version %1; this zep4-sim reads version %2")
                    .arg(uint8_t(bytes[7]))
                    .arg(kStateFileVersion);
        return false;
    }
    if (bytes.size() != kStateFileSize) {
        error = QStringLiteral("it holds %1 bytes; a state file holds %2 (a header and 5 images of %3 bytes)")
                    .arg(bytes.size())
                    .arg(kStateFileSize)
                    .arg(kSetupImageBytes);
        return false;
    }
    for (int i = 0; i < kSetupImages; ++i)
        images[size_t(i)] = bytes.mid(kStateFileHeaderSize + i * kSetupImageBytes, kSetupImageBytes);
    return true;
}

TSetupMemory::TSetupMemory() : images_(FactorySetupImages()) {}

QByteArray TSetupMemory::image(int image) const { return ValidImage(image) ? images_[size_t(image)] : QByteArray(); }

bool TSetupMemory::setImage(int image, const QByteArray& bytes) {
    if (!ValidImage(image) || bytes.size() != kSetupImageBytes) return false;
    images_[size_t(image)] = bytes;
    return true;
}

void TSetupMemory::reset() { images_ = FactorySetupImages(); }

bool TSetupMemory::storeBlock(int image, int block, const uint8_t* data) {
    if (!ValidImage(image) || block < 0 || block >= kBlocksPerImage || !data) return false;
    std::memcpy(images_[size_t(image)].data() + block * kSetupBlockBytes, data, size_t(kSetupBlockBytes));
    unsaved_ = true;
    return true;
}

std::array<int32_t, kBlockWords> TSetupMemory::blockWords(int image, int block) const {
    std::array<int32_t, kBlockWords> words{};
    if (!ValidImage(image) || block < 0 || block >= kBlocksPerImage) return words;
    const QByteArray& bytes = images_[size_t(image)];
    for (size_t k = 0; k < kBlockWords; ++k) words[k] = uint8_t(bytes[block * kSetupBlockBytes + qsizetype(k)]);
    return words;
}

TStateLoad TSetupMemory::load(const QString& file, QString& error) {
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink()) return TStateLoad::Missing;
    if (info.isFile() && info.size() > kStateFileSize) {  // not read in: it could be any size
        error = QStringLiteral("it holds %1 bytes; a state file holds %2").arg(info.size()).arg(kStateFileSize);
        return TStateLoad::Unreadable;
    }
    std::vector<uint8_t> data;
    std::string readError;
    if (!ReadWholeFile(ToPath(file), data, readError)) {
        error = QString::fromStdString(readError);
        return TStateLoad::Unreadable;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    TSetupImages images;
    if (!ParseStateFile(bytes, images, error)) return TStateLoad::Unreadable;
    images_ = images;
    unsaved_ = false;
    return TStateLoad::Loaded;
}

bool TSetupMemory::save(const QString& file, QString& error) {
    const QByteArray bytes = StateFileBytes(images_);
    std::string writeError;
    if (!WriteFileAtomically(ToPath(file), bytes.constData(), size_t(bytes.size()), writeError)) {
        error = QString::fromStdString(writeError);
        return false;
    }
    unsaved_ = false;
    return true;
}

}  // namespace zep4::sim
