#include "setup/jpeg_codec.h"

#include <turbojpeg.h>

#include <limits>
#include <memory>
#include <stdexcept>

namespace zep4 {

TPicture TPicture::Filled(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    TPicture p;
    p.Width = width;
    p.Height = height;
    p.Rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < p.Rgb.size(); i += 3) {
        p.Rgb[i] = r;
        p.Rgb[i + 1] = g;
        p.Rgb[i + 2] = b;
    }
    return p;
}

namespace {
struct HandleCloser {
    void operator()(void* h) const { tjDestroy(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// One compressor and one decompressor per thread: creating them costs more than the
// records of a whole setup. A handle that has failed on a damaged picture can stay broken
// for every later picture, so after a failure it is replaced by a fresh one.
Handle& compressorHandle() {
    thread_local Handle h(tjInitCompress());
    return h;
}
Handle& decompressorHandle() {
    thread_local Handle h(tjInitDecompress());
    return h;
}
tjhandle compressor() { return compressorHandle().get(); }
tjhandle decompressor() { return decompressorHandle().get(); }
void renewCompressor() { compressorHandle().reset(tjInitCompress()); }
void renewDecompressor() { decompressorHandle().reset(tjInitDecompress()); }
}  // namespace

std::vector<uint8_t> EncodeJpeg(const TPicture& picture, int quality) {
    tjhandle h = compressor();
    if (!h || picture.isNull() ||
        picture.Rgb.size() != static_cast<size_t>(picture.Width) * picture.Height * 3)
        throw std::runtime_error("cannot encode the picture as JPEG");
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (tjCompress2(h, picture.Rgb.data(), picture.Width, 0, picture.Height, TJPF_RGB, &buffer, &size,
                    TJSAMP_420, quality, TJFLAG_FASTDCT) != 0) {
        std::string why = tjGetErrorStr2(h);
        tjFree(buffer);
        renewCompressor();
        throw std::runtime_error("cannot encode the picture as JPEG: " + why);
    }
    std::vector<uint8_t> out(buffer, buffer + size);
    tjFree(buffer);
    return out;
}

bool DecodeJpeg(const uint8_t* data, size_t size, TPicture& out, std::string& error) {
    tjhandle h = decompressor();
    if (!h) {
        error = "the JPEG decoder cannot be started";
        return false;
    }
    if (size == 0) {
        error = "the picture is empty";
        return false;
    }
    if (size > std::numeric_limits<unsigned long>::max()) {
        error = "the picture is too large";
        return false;
    }
    int width = 0, height = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(h, data, static_cast<unsigned long>(size), &width, &height, &subsamp,
                            &colorspace) != 0) {
        error = std::string("not a JPEG picture (") + tjGetErrorStr2(h) + ")";
        renewDecompressor();
        return false;
    }
    // Pictures larger than this are no camera picture; refusing them keeps a damaged length
    // field from asking for gigabytes.
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        error = "the JPEG picture has an impossible size";
        return false;
    }
    // Decoding into the caller's buffer: a picture of the same size as the last one costs no
    // allocation (and no fresh pages to fault in), which is much of the price of a decode.
    out.Width = width;
    out.Height = height;
    out.Rgb.resize(static_cast<size_t>(width) * height * 3);
    if (tjDecompress2(h, data, static_cast<unsigned long>(size), out.Rgb.data(), width, 0, height, TJPF_RGB,
                      TJFLAG_FASTDCT) != 0 &&
        tjGetErrorCode(h) == TJERR_FATAL) {
        error = std::string("the JPEG picture is damaged (") + tjGetErrorStr2(h) + ")";
        out = TPicture();
        renewDecompressor();
        return false;
    }
    return true;
}

}  // namespace zep4
