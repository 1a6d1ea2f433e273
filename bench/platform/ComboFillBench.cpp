// Fills the 128 combo boxes of the drum map dialog with 16384 entries each, as the
// dialog shows a full bank's grid, then lets the window paint.
// Goal: under 1 s per fill and under 300 MB of memory at the peak.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <sys/resource.h>

#include <cstdlib>

#include "bench/support/QtBenchApplication.h"
#include "platform/win32.h"

namespace {

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void fillDrumMapGrid(benchmark::State& state)
{
    benchApplication();
    const int entries = static_cast<int>(state.range(0));
    const HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(103), nullptr, quietDialog, 0);
    ShowWindow(dialog, SW_SHOW);
    QApplication::processEvents();
    char text[16];
    for (auto _ : state) {
        for (int n = 0; n < 128; ++n) {
            const HWND cell = GetDlgItem(dialog, 9000 + n);
            SendMessageA(cell, CB_RESETCONTENT, 0, 0);
            for (int i = 0; i < entries; ++i) {
                wsprintfA(text, "%d", i);
                SendMessageA(cell, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            }
            SendMessageA(cell, CB_SETCURSEL, static_cast<WPARAM>(n), 0);
        }
        QApplication::processEvents(); // the grid paints
    }
    DestroyWindow(dialog);
    state.counters["entries"] = 128.0 * entries;
    state.counters["peak_MB"] = peakResidentMegabytes();
}

} // namespace

BENCHMARK(fillDrumMapGrid)->Arg(16384)->Unit(benchmark::kMillisecond)->Iterations(3);
