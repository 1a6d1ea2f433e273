// The editor's main window at its heaviest: showing a drum tone of a bank with 16384
// drum tones (the tone list refilled), repainting the waveform view at magnification 1
// over a long wave, and painting the envelope view when no column ends early (831
// columns of 256 ticks each).
// Goals: showTone under 20 ms, each repaint under 5 ms.
#include <benchmark/benchmark.h>

#include "bench/support/BenchEditor.h"
#include "editor/EditorTestAccess.h"
#include "resources/resource.h"

#include <memory>

namespace {

void selectTone(EditorDialog& editor, int index)
{
    SendDlgItemMessageA(editor.hwnd, IDC_TONE_LIST, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    EditorDialog::TestAccess(editor).showTone();
}

void showToneOfAFullDrumBank(benchmark::State& state)
{
    auto editor = openBenchEditor();
    const EditorDialog::TestAccess inside(*editor);
    inside.bank().appendWave(std::make_shared<WaveBlock>(1000));
    while (inside.bank().addDrumTone()) {
    }
    CheckDlgButton(editor->hwnd, IDC_DRUM_MODE, BST_CHECKED);
    selectTone(*editor, 16000);
    for (auto _ : state)
        inside.showTone();
    state.counters["drumTones"] = inside.bank().drumToneCount();
    closeBenchEditor(editor);
}
BENCHMARK(showToneOfAFullDrumBank)->Unit(benchmark::kMillisecond);

// Marks a view for painting and lets it paint at once.
void repaint(HWND view)
{
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
}

// Times repaints of the view `id` of the window, then closes it.
void timeRepaints(benchmark::State& state, std::unique_ptr<EditorDialog>& editor, int id)
{
    HWND view = GetDlgItem(editor->hwnd, id);
    RECT client{};
    GetClientRect(view, &client);
    for (auto _ : state)
        repaint(view);
    state.counters["columns"] = client.right;
    closeBenchEditor(editor);
}

void repaintWaveViewOverALongWave(benchmark::State& state)
{
    auto editor = openBenchEditor();
    const EditorDialog::TestAccess inside(*editor);
    constexpr std::int32_t length = 1 << 20;
    auto block = std::make_shared<WaveBlock>(length);
    for (std::int32_t i = 0; i < length; ++i)
        block->samples[static_cast<std::size_t>(i)] = static_cast<std::int8_t>(i * 7);
    inside.bank().appendWave(block);
    ToneRecord tone;
    tone.wave = block;
    tone.sampleCount = length;
    tone.cycleSize = length;
    inside.bank().setInstrumentTone(0, tone);
    selectTone(*editor, 0);
    inside.waveView().setScrollPos(length / 2);
    timeRepaints(state, editor, IDC_WAVE_VIEW);
}
BENCHMARK(repaintWaveViewOverALongWave)->Unit(benchmark::kMillisecond);

void repaintEnvelopeThatNeverEnds(benchmark::State& state)
{
    auto editor = openBenchEditor();
    const EditorDialog::TestAccess inside(*editor);
    ToneRecord tone;
    tone.AR = 1;        // one level a tick, ...
    tone.DL = 0x7F0000; // ... so the attack outlasts every column
    inside.envelopeView().setTone(tone);
    timeRepaints(state, editor, IDC_ENVELOPE_VIEW);
}
BENCHMARK(repaintEnvelopeThatNeverEnds)->Unit(benchmark::kMillisecond);

} // namespace
