// The drum map dialog on a full bank: 16384 drum tones, so that each of its 128 cells
// lists 16384 entries. Opening fills the grid once; switching the set fills it again.
// Goal: under 0.1 s per fill, and under 60 MB at the peak for the whole program (bank,
// sound device, voices and the dialog).
#include <benchmark/benchmark.h>

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "bank/ToneBank.h"
#include "bench/support/QtBenchApplication.h"
#include "editor/DrumMapDialog.h"
#include "resources/resource.h"
#include "synth/Synth.h"

#include <sys/resource.h>

#include <functional>
#include <memory>

namespace {

constexpr UINT whileOpenMessage = WM_APP + 1;

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// What the program holds while the dialog is open: the bank, the device, the voice.
struct Program {
    Program()
    {
        bank.appendWave(std::make_shared<WaveBlock>(256));
        while (bank.addDrumTone()) {
        }
        bank.setDrumSetCount(4);
        for (int set = 0; set < 4; ++set)
            for (int note = 0; note < 128; ++note)
                bank.drumMaps()[set][note] = (set * 4099 + note * 127) % 16384;
        device.open(16, 44100, 2);
        synth.connect(device, 0);
    }

    ToneBank bank;
    OfflineWaveOut output;
    SoundDevice device{output};
    Synth synth;
};

Program& program()
{
    benchApplication();
    static Program instance;
    return instance;
}

// Runs `whileOpen` once the dialog is up, then closes it.
class DrumMapDialogRun : public DrumMapDialog {
public:
    explicit DrumMapDialogRun(std::function<void(HWND)> whileOpen)
        : DrumMapDialog(program().bank, program().synth), whileOpen_(std::move(whileOpen))
    {
        copyFrom(program().bank);
    }

    int onInitDialog() override
    {
        DrumMapDialog::onInitDialog();
        PostMessageA(hwnd, whileOpenMessage, 0, 0);
        return 0;
    }

    int handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != whileOpenMessage)
            return DrumMapDialog::handleMessage(message, wParam, lParam);
        UpdateWindow(hwnd);
        whileOpen_(hwnd);
        end();
        return 1;
    }

private:
    std::function<void(HWND)> whileOpen_;
};

void openDrumMap(benchmark::State& state)
{
    program();
    for (auto _ : state) {
        auto dialog = std::make_unique<DrumMapDialogRun>([](HWND) {});
        dialog->run(nullptr);
    }
    state.counters["peak_MB"] = peakResidentMegabytes();
}

// The user chooses another set, as a key in the closed set list does.
void switchDrumSet(benchmark::State& state)
{
    program();
    auto dialog = std::make_unique<DrumMapDialogRun>([&state](HWND window) {
        const HWND setList = GetDlgItem(window, IDC_DRUMMAP_SET_LIST);
        int set = 0;
        for (auto _ : state) {
            set = (set + 1) % 4;
            SendMessageA(setList, CB_SETCURSEL, static_cast<WPARAM>(set), 0);
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_DRUMMAP_SET_LIST, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(setList));
            UpdateWindow(window);
        }
    });
    dialog->run(nullptr);
    state.counters["peak_MB"] = peakResidentMegabytes();
}

} // namespace

BENCHMARK(openDrumMap)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(switchDrumSet)->Unit(benchmark::kMillisecond)->Iterations(8);
