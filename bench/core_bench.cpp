#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "console/dvrCommand.h"
#include "console/dvrConsole.h"
#include "log/dvrLog.h"
#include "log/dvrLogFile.h"
#include "object/dvrNotifier.h"
#include "object/dvrObserver.h"
#include "settings/dvrGlobalSettings.h"

namespace {

// Parsing and dispatching one setting line through the console to the global set, as a script
// or a remote client does. The values alternate so every run really changes the setting.
void BM_ParseAndDispatchSetLine(benchmark::State& state) {
    dvrConsole* console = dvrConsole::create();
    dvrGlobalSettings::create();
    dvrGlobalSettings::applyDefaults();
    const char* lines[] = {"set global global customer string Site A north gate",
                           "set global global customer string Site B south gate"};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(console->run(lines[i++ & 1]));
    dvrGlobalSettings::destroy();
    dvrConsole::destroy();
}
BENCHMARK(BM_ParseAndDispatchSetLine);

void BM_ParseSetLine(benchmark::State& state) {
    for (auto _ : state) {
        dvrCommand command = dvrCommand::parse("set camera Camera_1 framerate int 25");
        benchmark::DoNotOptimize(command);
    }
}
BENCHMARK(BM_ParseSetLine);

class CountingObserver : public dvrObserver {
public:
    ~CountingObserver() override { stopObserving(); }
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        ++told;
        dvrObserver::onNotify(notifier, events);
    }
    long told = 0;
};

void BM_Notify(benchmark::State& state) {
    dvrNotifier notifier;
    std::vector<std::unique_ptr<CountingObserver>> observers;
    for (int i = 0; i < state.range(0); ++i) {
        observers.push_back(std::make_unique<CountingObserver>());
        notifier.addObserver(observers.back().get(), 1);
    }
    for (auto _ : state)
        notifier.notify(1);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Notify)->Arg(1)->Arg(10)->Arg(100);

// One message through the log routine into a real log file: formatting, time stamp and the
// write call that puts the line on its way to the disk.
void BM_LogLineToFile(benchmark::State& state) {
    char path[] = "/tmp/mirdal-bench-XXXXXX";
    int descriptor = mkstemp(path);
    if (descriptor < 0) {
        state.SkipWithError("cannot create a temporary file");
        return;
    }
    close(descriptor);
    dvrLogFile file;
    file.open(path);
    dvrLog::setTarget(&file);
    int frame = 0;
    for (auto _ : state)
        logMessage("[CAMERA] Camera_%d: frame %d written to page %d\n", 3, ++frame, 7);
    dvrLog::setTarget(nullptr);
    file.close();
    unlink(path);
}
BENCHMARK(BM_LogLineToFile);

// A verbose message while verbose logging is off: the price of leaving the call in the code.
void BM_VerboseMessageWhileOff(benchmark::State& state) {
    dvrLog::setVerbose(false);
    std::string name = "Camera_3";
    for (auto _ : state)
        logVerbose("[DOME CONTROL] Unhandled dome command `%s'.", name.c_str());
}
BENCHMARK(BM_VerboseMessageWhileOff);

} // namespace
