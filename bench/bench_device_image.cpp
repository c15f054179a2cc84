// Cost of turning a full setup into the five device images and back: what a transmission of
// all cameras and a reception of all cameras spend on the images (limit: 2 ms together).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "link/device_image.h"
#include "setup/setup_defaults.h"

using namespace zep4;

namespace {

// A setup with drawn areas in every camera and time zone, so that the cell packing has work.
std::unique_ptr<TSetupStore> makeStore() {
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, "Camera");
    std::mt19937 rng(7);
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam)
            for (auto& area : store->camera(tz, cam).Areas)
                for (auto& cell : area.Cells.Cell) cell = (rng() & 3) == 0;
    return store;
}

void BM_EncodeAndDecodeAllImages(benchmark::State& state) {
    auto store = makeStore();
    for (auto _ : state) {
        for (int cam = 0; cam < kCameras; ++cam) EncodeCameraImage(*store, cam);
        EncodeGlobalImage(*store);
        for (int cam = 0; cam < kCameras; ++cam) store->RxImage[cam].swap(store->TxImage[cam]);
        store->RxGlobalImage.swap(store->TxGlobalImage);
        for (int cam = 0; cam < kCameras; ++cam) DecodeCameraImage(*store, cam);
        DecodeGlobalImage(*store);
        benchmark::ClobberMemory();
    }
}

void BM_EncodeAllImages(benchmark::State& state) {
    auto store = makeStore();
    for (auto _ : state) {
        for (int cam = 0; cam < kCameras; ++cam) EncodeCameraImage(*store, cam);
        EncodeGlobalImage(*store);
        benchmark::ClobberMemory();
    }
}

void BM_DecodeAllImages(benchmark::State& state) {
    auto store = makeStore();
    for (int cam = 0; cam < kCameras; ++cam) EncodeCameraImage(*store, cam, store->RxImage[cam]);
    EncodeGlobalImage(*store, store->RxGlobalImage);
    for (auto _ : state) {
        for (int cam = 0; cam < kCameras; ++cam) DecodeCameraImage(*store, cam);
        DecodeGlobalImage(*store);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_EncodeAndDecodeAllImages)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeAllImages)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeAllImages)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
