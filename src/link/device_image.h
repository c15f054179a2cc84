// The sensor's setup images: one array of 8-bit values per camera and one global array, held
// as 32-bit words that each carry one value. Encoding turns the store's records into these
// words before a transmission; decoding turns received words back into the records.
// Plain C++, shared by the program and the simulator.
//
// Each conversion exists in two forms: one that takes the image explicitly (for images that are
// not the store's own, e.g. in the simulator), and one that works on the store's TxImage /
// TxGlobalImage (encoders) or RxImage / RxGlobalImage (decoders) and calls the first.
#pragma once

#include <array>
#include <cstdint>

#include "setup/setup_store.h"

namespace zep4 {

using TGlobalImage = TDeviceImage;

// Words that carry data; an image is kDeviceImageWords long, the rest of it stays 0.
constexpr int kCameraImageWords = 14644;
constexpr int kGlobalImageWords = 1861;

// Camera image layout.
constexpr int kGridWords = 810;                // one grid: 6480 cells, 8 to a word
constexpr int kParameterBase = 12960;          // after the 16 grids (4 time zones x 4 areas)
constexpr int kParameterBlockWords = 412;      // per time zone
constexpr int kPersonBase = 14608;             // 9 words per time zone
constexpr int kPersonBlockWords = 9;

// Seconds of the reset time list; the last entry (0) is never looked up by an index in 0..10.
constexpr std::array<int32_t, 12> kResetSeconds{1, 2, 3, 4, 5, 7, 10, 20, 30, 60, 120, 0};

// kResetSeconds[index] for an index in 0..10; any other index counts as 0 (1 second).
int32_t ResetSecondsOf(int32_t index);
// Position of `seconds` among the first 11 entries of kResetSeconds; 0 when it is not there.
int32_t ResetIndexOf(int32_t seconds);

// Builds the image of camera `cam` (all four time zones and the person records) into `out`.
// A shorter `out` is first extended with zeros to kDeviceImageWords. Only the words that carry
// data are written. Returns false (and writes nothing) when `cam` is not 0..3.
bool EncodeCameraImage(const TSetupStore& store, int cam, TDeviceImage& out);
// Builds the global image from Global, AlarmLan and Vds into `out` (extended as above).
void EncodeGlobalImage(const TSetupStore& store, TGlobalImage& out);

// Writes camera `cam` of all four time zones and PersonSetup[*][cam] from `in`. CameraName,
// CellCount and reserved fields are left alone. Returns false, touching nothing, when `cam` is
// not 0..3 or `in` holds fewer than kCameraImageWords words. Any word values are safe.
bool DecodeCameraImage(const TDeviceImage& in, int cam, TSetupStore& store);
// Writes Global, AlarmLan and Vds from `in`. Returns false, touching nothing, when `in` holds
// fewer than kGlobalImageWords words.
bool DecodeGlobalImage(const TGlobalImage& in, TSetupStore& store);

// The same on the store's own images: TxImage[cam], TxGlobalImage, RxImage[cam], RxGlobalImage.
void EncodeCameraImage(TSetupStore& store, int cam);
void EncodeGlobalImage(TSetupStore& store);
void DecodeCameraImage(TSetupStore& store, int cam);
void DecodeGlobalImage(TSetupStore& store);

}  // namespace zep4
