// The area editor's two hot paths, offscreen:
//   EditOverlayFullGrid: the edit overlay's paint pass with every cell of area 0 set and both
//     show buttons down (budget 8 ms).
//   LivePictureLastPiece: a live picture from its last piece to the repainted editor picture:
//     assembly, JPEG decode, crop and stretch, and the test overlay with an alarm map half
//     set and 50 records, all three layers on (budget 10 ms, and 2.5 times BareJpegDecode).
//   BareJpegDecode: libjpeg-turbo alone decoding the same picture.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QToolButton>
#include <turbojpeg.h>

#include <memory>
#include <vector>

#include "editor/draw_form.h"
#include "editor/edit_overlay.h"
#include "editor/picture_stream.h"
#include "link/link.h"
#include "picture_exchanges.h"
#include "setup/setup_defaults.h"
#include "setup/setup_store.h"
#include "ui/dialogs.h"
#include "ui/language.h"

using namespace zep4;

namespace {

class TNoDialogs : public TDialogs {
public:
    MessageResult message(QWidget*, MessageType, MessageButtons buttons, const QString&) override {
        return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Yes;
    }
    std::optional<FileDialogResult> file(QWidget*, const FileDialogRequest&) override { return std::nullopt; }
};

// The live picture of the bench: camera 1's scene, the alarm map's bits alternating (half set),
// 50 records.
const QByteArray& benchPicture() {
    static const QByteArray picture = [] {
        sim::TLivePictureRequest request;
        request.quality = 60;
        request.time = 12.5;
        std::array<uint8_t, sim::kAlarmMapBytes> map;
        map.fill(0x55);
        request.alarmMap = map;
        request.recordCount = 50;
        return sim::BuildLivePicture(request);
    }();
    return picture;
}

void EditOverlayFullGrid(benchmark::State& state) {
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, "Kamera");  // area 0 of every camera holds every cell
    TEditOverlayPass pass;
    TEditOverlayView view;
    view.showAlarmArea = true;
    view.showAllAreas = true;
    view.tool = -1;
    QImage target(kPictureWidth, kPictureHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        target.fill(Qt::transparent);
        QPainter painter(&target);
        benchmark::DoNotOptimize(pass.paint(painter, *store, view));
    }
    state.counters["cells"] = double(store->currentArea().CellCount);
}
BENCHMARK(EditOverlayFullGrid)->Unit(benchmark::kMillisecond);

void LivePictureLastPiece(benchmark::State& state) {
    TNoDialogs dialogs;
    TLanguage language(dialogs);
    auto store = std::make_unique<TSetupStore>();
    ResetSetupRecords(*store, "Kamera");
    TLink link(dialogs, LinkBuiltinText);
    TPictureStream stream(link);
    TDrawForm form(*store, dialogs, language);
    form.ResetEditor();
    form.setPictureStream(&stream);
    form.show();
    // Live test mode as the user sees it: the edit overlay rests, the test overlay shows all
    // three layers.
    form.setPictureActive(true);
    form.findChild<QWidget*>(QStringLiteral("PaintBox2"))->show();
    for (const char* name : {"FlatSpeedButton13", "FlatSpeedButton12", "FlatSpeedButton14"})
        form.findChild<QToolButton*>(QString::fromLatin1(name))->setChecked(true);
    QWidget* panel = form.findChild<QFrame*>(QStringLiteral("PicturePanel"));
    QImage screen(panel->size(), QImage::Format_RGB32);

    const QByteArray& picture = benchPicture();
    const auto* bytes = reinterpret_cast<const uint8_t*>(picture.constData());
    constexpr size_t kPiece = 4096;
    const size_t last = (size_t(picture.size()) - 1) / kPiece * kPiece;
    for (auto _ : state) {
        state.PauseTiming();
        for (size_t at = 0; at < last; at += kPiece) stream.AssemblePictureBlock({bytes + at, kPiece});
        state.ResumeTiming();
        stream.AssemblePictureBlock({bytes + last, size_t(picture.size()) - last});
        panel->render(&screen);
    }
    state.counters["bytes"] = double(picture.size());
    state.counters["records"] = double(form.testOverlay().records.size());
    state.counters["alarm_dots"] = double(form.testOverlay().alarmDots.size());
}
BENCHMARK(LivePictureLastPiece)->Unit(benchmark::kMillisecond);

void BareJpegDecode(benchmark::State& state) {
    const QByteArray& picture = benchPicture();
    tjhandle handle = tjInitDecompress();
    std::vector<uint8_t> rgb(size_t(kPictureWidth) * kPictureHeight * 3);
    for (auto _ : state) {
        int width = 0, height = 0, subsamp = 0, colorspace = 0;
        tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(picture.constData()),
                            static_cast<unsigned long>(picture.size()), &width, &height, &subsamp, &colorspace);
        tjDecompress2(handle, reinterpret_cast<const unsigned char*>(picture.constData()),
                      static_cast<unsigned long>(picture.size()), rgb.data(), width, 0, height, TJPF_RGB,
                      TJFLAG_FASTDCT);
        benchmark::DoNotOptimize(rgb.data());
    }
    tjDestroy(handle);
}
BENCHMARK(BareJpegDecode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
