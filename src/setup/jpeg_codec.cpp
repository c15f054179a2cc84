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

namespace {

// Pictures larger than this are no camera picture; refusing them keeps a damaged length field
// from asking for gigabytes.
constexpr int kMaxPictureSide = 8192;

// The decode both forms share: reads the header, asks `buffer(width, height)` for room for the
// pixels in `pixelFormat`, and decompresses into it. A damaged stream that still gives a
// picture (a warning) decodes. `buffer` is not called when the header is refused.
template <typename Buffer>
bool decodeInto(const uint8_t* data, size_t size, int pixelFormat, int maxSide, Buffer&& buffer, std::string& error) {
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
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) {
        error = "the JPEG picture has an impossible size";
        return false;
    }
    unsigned char* pixels = buffer(width, height);
    if (tjDecompress2(h, data, static_cast<unsigned long>(size), pixels, width, 0, height, pixelFormat,
                      TJFLAG_FASTDCT) != 0) {
        const bool fatal = tjGetErrorCode(h) == TJERR_FATAL;
        error = std::string("the JPEG picture is damaged (") + tjGetErrorStr2(h) + ")";
        // A decoder that has failed may fail on every later stream as well.
        renewDecompressor();
        if (fatal) return false;
    }
    return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, TPicture& out, std::string& error) {
    // Decoding into the caller's buffer: a picture of the same size as the last one costs no
    // allocation (and no fresh pages to fault in), which is much of the price of a decode.
    bool filled = false;
    const bool ok = decodeInto(
        data, size, TJPF_RGB, kMaxPictureSide,
        [&out, &filled](int width, int height) {
            filled = true;
            out.Width = width;
            out.Height = height;
            out.Rgb.resize(static_cast<size_t>(width) * height * 3);
            return out.Rgb.data();
        },
        error);
    // A stream that broke off in the middle leaves no half picture behind.
    if (!ok && filled) out = TPicture();
    return ok;
}

bool DecodeJpegArgb32(const uint8_t* data, size_t size, int maxSide, std::vector<uint32_t>& pixels, int& width,
                      int& height, std::string& error) {
    // BGRA in memory is the 32-bit 0xAARRGGBB, alpha 0xFF.
    return decodeInto(
        data, size, TJPF_BGRA, maxSide,
        [&](int w, int h) {
            width = w;
            height = h;
            pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
            return reinterpret_cast<unsigned char*>(pixels.data());
        },
        error);
}

}  // namespace zep4
