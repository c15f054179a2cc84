// Cost of saving and opening a full setup with four camera pictures, against the bare JPEG
// work on the same four pictures: the records themselves should be nearly free.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

#include "setup/jpeg_codec.h"
#include "setup/setup_defaults.h"
#include "setup/memory_tuning.h"
#include "setup/setup_file.h"

using namespace zep4;

namespace {

// A camera-like picture: gradients, edges and a little noise, so that JPEG has real work.
TPicture scene(int seed) {
    TPicture p = TPicture::Black(kPictureWidth, kPictureHeight);
    std::mt19937 rng(seed);
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) {
            uint8_t* px = &p.Rgb[3 * (y * p.Width + x)];
            const int noise = static_cast<int>(rng() % 24);
            const bool block = ((x / 60) + (y / 45) + seed) % 3 == 0;
            px[0] = static_cast<uint8_t>((x * 255 / p.Width + noise + (block ? 60 : 0)) & 0xFF);
            px[1] = static_cast<uint8_t>((y * 255 / p.Height + noise) & 0xFF);
            px[2] = static_cast<uint8_t>(((x + y) / 5 + noise) & 0xFF);
        }
    return p;
}

struct Fixture {
    std::unique_ptr<TSetupStore> store = std::make_unique<TSetupStore>();
    // On a memory file system where there is one, so that the disk's write-back of the
    // saved files does not slow down what is measured after them.
    std::filesystem::path file =
        (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                   : std::filesystem::temp_directory_path()) /
        "zep4-bench.zep";
    std::vector<std::vector<uint8_t>> jpegs;
    TFileHeader header{};

    Fixture() {
        ResetSetupRecords(*store, "Camera");
        for (int c = 0; c < kCameras; ++c) store->CameraPicture[c] = scene(c);
        std::tm t{};
        t.tm_year = 126;
        t.tm_mday = 1;
        header = MakeSaveHeader(t);
        std::string error;
        SaveSetupFile(file, *store, header, error);
        for (int c = 0; c < kCameras; ++c) jpegs.push_back(EncodeJpeg(store->CameraPicture[c]));
    }
    ~Fixture() { std::filesystem::remove(file); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_SaveSetup(benchmark::State& state) {
    Fixture& f = fixture();
    std::string error;
    for (auto _ : state) {
        if (!SaveSetupFile(f.file, *f.store, f.header, error)) state.SkipWithError(error.c_str());
    }
}

void BM_JpegEncodeFourPictures(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state)
        for (int c = 0; c < kCameras; ++c) benchmark::DoNotOptimize(EncodeJpeg(f.store->CameraPicture[c]));
}

void BM_OpenSetup(benchmark::State& state) {
    Fixture& f = fixture();
    auto target = std::make_unique<TSetupStore>();
    std::vector<std::string> warnings;
    std::string error;
    for (auto _ : state) {
        if (!OpenSetupFile(f.file, *target, warnings, error)) state.SkipWithError(error.c_str());
    }
}

void BM_JpegDecodeFourPictures(benchmark::State& state) {
    Fixture& f = fixture();
    TPicture out;
    std::string error;
    for (auto _ : state)
        for (const auto& j : f.jpegs) benchmark::DoNotOptimize(DecodeJpeg(j, out, error));
}

BENCHMARK(BM_SaveSetup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegEncodeFourPictures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSetup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecodeFourPictures)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration, to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            // With --benchmark_repetitions the mean counts; without, the single run.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean")
                seconds[run.run_name.function_name] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Iteration && run.iterations > 0 &&
                     !seconds.count(run.run_name.function_name))
                seconds[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    // As the programs do at start.
    KeepLargeBuffersForReuse();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* a, const char* b) {
        auto ia = reporter.seconds.find(a), ib = reporter.seconds.find(b);
        return (ia == reporter.seconds.end() || ib == reporter.seconds.end() || ib->second == 0)
                   ? 0.0
                   : ia->second / ib->second;
    };
    std::printf("\nsave / bare encode: %.3f (limit 1.2)\nopen / bare decode: %.3f (limit 1.2)\n",
                ratio("BM_SaveSetup", "BM_JpegEncodeFourPictures"), ratio("BM_OpenSetup", "BM_JpegDecodeFourPictures"));
    benchmark::Shutdown();
    return 0;
}
