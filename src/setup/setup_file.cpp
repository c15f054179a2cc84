#include "setup/setup_file.h"

#include <cstring>

#include "setup/file_io.h"
#include "setup/jpeg_codec.h"

namespace zep4 {
namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // Copies `n` bytes into `out`, or says which part is missing.
    bool take(void* out, size_t n, const std::string& part, std::string& error) {
        if (n > size_ - pos_) {
            error = "the file ends inside " + part + " (the file has " + std::to_string(size_) +
                    " bytes; " + std::to_string(pos_ + n) + " are needed up to there)";
            return false;
        }
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    bool takeBytes(std::vector<uint8_t>& out, size_t n, const std::string& part, std::string& error) {
        if (n > size_ - pos_) return take(nullptr, n, part, error);
        out.assign(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return true;
    }
    size_t remaining() const { return size_ - pos_; }
    size_t position() const { return pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

template <typename T>
void append(std::vector<uint8_t>& out, const T& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

std::string cameraPart(const char* what, int camera) {
    return std::string(what) + " of camera " + std::to_string(camera + 1);
}

}  // namespace

bool ParseSetupFile(const uint8_t* data, size_t size, TSetupFileImage& image, std::string& error) {
    Reader in(data, size);
    if (!in.take(&image.Header, kHeaderSize, "the file header", error)) return false;
    for (int tz = 0; tz < kTimeZones; ++tz)
        if (!in.take(&image.TimeZoneBlocks[tz], sizeof(TTimeZoneBlock),
                     "the setup of time zone " + std::to_string(tz + 1), error))
            return false;
    if (!in.take(&image.Global, sizeof(TGlobalSetup), "the global setup", error)) return false;
    int32_t lengths[kCameras];
    if (!in.take(lengths, sizeof lengths, "the picture lengths", error)) return false;
    for (int c = 0; c < kCameras; ++c) {
        if (lengths[c] < 0) {
            error = "the length given for the " + cameraPart("picture", c) + " is negative (" +
                    std::to_string(lengths[c]) + ")";
            return false;
        }
        if (!in.takeBytes(image.Jpeg[c], static_cast<size_t>(lengths[c]), "the " + cameraPart("picture", c), error))
            return false;
    }
    if (image.hasPersonPart()) {
        for (int tz = 0; tz < kTimeZones; ++tz) {
            const std::string part = "the person and alarm LAN setup of time zone " + std::to_string(tz + 1);
            if (!in.take(image.PersonSetup[tz], sizeof image.PersonSetup[tz], part, error) ||
                !in.take(&image.AlarmLanCopies[tz], sizeof(TAlarmLanSetup), part, error))
                return false;
        }
    }
    if (image.hasVdsPart() && !in.take(&image.Vds, sizeof(TVdsSetup), "the VdS alarm setup", error)) return false;
    image.Trailing.assign(data + in.position(), data + size);
    return true;
}

std::vector<uint8_t> BuildSetupFile(const TSetupFileImage& image) {
    std::vector<uint8_t> out;
    size_t pictures = 0;
    for (const auto& j : image.Jpeg) pictures += j.size();
    out.reserve(kHeaderSize + sizeof image.TimeZoneBlocks + sizeof(TGlobalSetup) + 16 + pictures +
                kPersonPartSize + sizeof(TVdsSetup) + image.Trailing.size());
    append(out, image.Header);
    for (const auto& block : image.TimeZoneBlocks) append(out, block);
    append(out, image.Global);
    for (const auto& j : image.Jpeg) append(out, static_cast<int32_t>(j.size()));
    for (const auto& j : image.Jpeg) out.insert(out.end(), j.begin(), j.end());
    if (image.hasPersonPart())
        for (int tz = 0; tz < kTimeZones; ++tz) {
            append(out, image.PersonSetup[tz]);
            append(out, image.AlarmLanCopies[tz]);
        }
    if (image.hasVdsPart()) append(out, image.Vds);
    out.insert(out.end(), image.Trailing.begin(), image.Trailing.end());
    return out;
}

TFileHeader MakeSaveHeader(const std::tm& t) {
    TFileHeader h{};
    h.Year = static_cast<uint8_t>((t.tm_year + 1900) % 100);
    h.Month = static_cast<uint8_t>(t.tm_mon + 1);
    h.Day = static_cast<uint8_t>(t.tm_mday);
    h.Hour = static_cast<uint8_t>(t.tm_hour);
    h.Minute = static_cast<uint8_t>(t.tm_min);
    h.Second = static_cast<uint8_t>(t.tm_sec);
    h.VersionMajor = kProgramVersionMajor;
    h.VersionMinor = kProgramVersionMinor;
    h.VersionSub = kProgramVersionSub;
    return h;
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

std::unique_ptr<TSetupFileImage> ImageFromStore(const TSetupStore& store, const TFileHeader& header) {
    auto image = std::make_unique<TSetupFileImage>();
    image->Header = header;
    image->TimeZoneBlocks = store.TimeZoneBlocks;
    image->Global = store.Global;
    for (int c = 0; c < kCameras; ++c) image->Jpeg[c] = EncodeJpeg(store.CameraPicture[c]);
    std::memcpy(image->PersonSetup, store.PersonSetup, sizeof image->PersonSetup);
    image->AlarmLanCopies.fill(store.AlarmLan);
    image->Vds = store.Vds;
    return image;
}

void ApplyImageToStore(const TSetupFileImage& image, TSetupStore& store, std::vector<std::string>& warnings) {
    // The file has been parsed whole, so from here on nothing can fail: a picture that does
    // not decode only leaves its camera black.
    store.FileHeader = image.Header;
    store.TimeZoneBlocks = image.TimeZoneBlocks;
    store.Global = image.Global;
    for (int c = 0; c < kCameras; ++c) {
        std::string why;
        TPicture& picture = store.CameraPicture[c];
        if (image.Jpeg[c].empty()) {
            picture = TPicture::Black(kPictureWidth, kPictureHeight);
        } else if (!DecodeJpeg(image.Jpeg[c], picture, why)) {
            picture = TPicture::Black(kPictureWidth, kPictureHeight);
            warnings.push_back("The picture of camera " + std::to_string(c + 1) + " cannot be read (" + why +
                               "); camera " + std::to_string(c + 1) + " shows a black picture.");
        }
    }
    if (image.hasPersonPart()) {
        std::memcpy(store.PersonSetup, image.PersonSetup, sizeof store.PersonSetup);
        store.AlarmLan = image.AlarmLanCopies[kTimeZones - 1];
    }
    if (image.hasVdsPart()) store.Vds = image.Vds;
    store.CurrentTimeZone = 0;
    store.CurrentCamera = 0;
    store.CurrentArea = 0;
}

std::unique_ptr<TSetupFileImage> ReadSetupFile(const std::filesystem::path& file, std::string& error) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(file, bytes, why)) {
        error = "The setup file \"" + file.string() + "\" cannot be opened: " + why + ".";
        return nullptr;
    }
    auto image = std::make_unique<TSetupFileImage>();
    if (!ParseSetupFile(bytes.data(), bytes.size(), *image, why)) {
        error = "The setup file \"" + file.string() + "\" is damaged or not a setup file: " + why + ".";
        return nullptr;
    }
    return image;
}

bool OpenSetupFile(const std::filesystem::path& file, TSetupStore& store, std::vector<std::string>& warnings,
                   std::string& error) {
    auto image = ReadSetupFile(file, error);
    if (!image) return false;
    ApplyImageToStore(*image, store, warnings);
    return true;
}

bool SaveSetupFile(const std::filesystem::path& file, TSetupStore& store, const TFileHeader& header,
                   std::string& error) {
    const auto bytes = BuildSetupFile(*ImageFromStore(store, header));
    std::string why;
    if (!WriteFileAtomically(file, bytes, why)) {
        error = "The setup file \"" + file.string() + "\" cannot be saved: " + why + ".";
        return false;
    }
    store.FileHeader = header;
    return true;
}

}  // namespace zep4
