// A whole-setup transmit and a whole-setup receive against the simulator on loopback, next to
// the protocol's fixed pauses (transmit: five images x (300 + 1500) ms; receive: five images x
// 1500 ms). What the program adds to those pauses (frames, images, decoding, the event loop)
// is the overhead, in per cent of the pauses; it must stay below 3 %.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <memory>

#include "link/link.h"
#include "link/login_procedure.h"
#include "link/transfer_procedures.h"
#include "sensor_simulator.h"
#include "setup/setup_defaults.h"
#include "setup/setup_store.h"
#include "ui/dialogs.h"

using namespace zep4;

namespace {

class TNoDialogs : public TDialogs {
public:
    MessageResult message(QWidget*, MessageType, MessageButtons, const QString&) override { return MessageResult::Ok; }
    std::optional<FileDialogResult> file(QWidget*, const FileDialogRequest&) override { return std::nullopt; }
};

// A simulator and a logged-in link to it.
struct TBench {
    sim::TSensorSimulator simulator;
    TNoDialogs dialogs;
    TLink link{dialogs, [](int line) { return LinkBuiltinText(line); }};
    TLoginProcedure login{link};
    std::unique_ptr<TSetupStore> store = std::make_unique<TSetupStore>();

    bool open() {
        ResetSetupRecords(*store, "Camera");
        if (!simulator.listen(0)) return false;
        QEventLoop loop;
        bool ok = false;
        QObject::connect(&login, &TLoginProcedure::versionChecked, &loop, [&] {
            ok = true;
            loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        login.start(QStringLiteral("127.0.0.1"), simulator.port(), QStringLiteral("zep4"));
        loop.exec();
        return ok;
    }
};

// Runs one transfer to its end; false when it failed.
template <typename Procedure>
bool RunToEnd(Procedure& procedure, const std::function<void()>& start) {
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&procedure, &Procedure::finished, &loop, [&] {
        ok = true;
        loop.quit();
    });
    QObject::connect(&procedure, &Procedure::failed, &loop, [&] { loop.quit(); });
    QTimer::singleShot(0, &loop, start);
    loop.exec();
    return ok;
}

template <typename Procedure>
void Measure(benchmark::State& state, double pausesMs, const std::function<void(TBench&, Procedure&)>& start) {
    TBench bench;
    if (!bench.open()) {
        state.SkipWithError("no connection to the simulator");
        return;
    }
    Procedure procedure(bench.link, *bench.store);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        if (!RunToEnd(procedure, [&] { start(bench, procedure); })) {
            state.SkipWithError("the transfer failed");
            return;
        }
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000.0);
        state.counters["pauses_ms"] = pausesMs;
        state.counters["overhead_ms"] = ms - pausesMs;
        state.counters["overhead_pct"] = (ms - pausesMs) / pausesMs * 100.0;
    }
}

void BM_TransmitWholeSetup(benchmark::State& state) {
    Measure<TTransmitProcedure>(state, 5 * (300 + 1500), [](TBench&, TTransmitProcedure& p) {
        p.sendWindowShown = true;
        p.startTransmit({}, true, {});
    });
}

void BM_ReceiveWholeSetup(benchmark::State& state) {
    Measure<TReceiveProcedure>(state, 5 * 1500, [](TBench&, TReceiveProcedure& p) {
        p.receiveWindowShown = true;
        p.startReceive({}, true);
    });
}

}  // namespace

BENCHMARK(BM_TransmitWholeSetup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReceiveWholeSetup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
