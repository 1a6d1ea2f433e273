// The main window's whole-bank commands on a full bank (16512 waves, 16384 drum tones,
// every map entry naming a drum tone), each with its refresh, and the stretch of a
// 16 MiB wave to half and to four thirds of its length, all pressed as buttons with
// their questions answered Yes.
// Goal: every command under 50 ms.
#include <benchmark/benchmark.h>

#include "bench/support/BenchEditor.h"
#include "editor/EditorTestAccess.h"
#include "platform/Win32TestHook.h"
#include "resources/resource.h"

#include <memory>

namespace {

// A full bank: half the waves and half the drum tones unused, so each removal has work.
void fillBank(ToneBank& bank)
{
    while (bank.waveCount() < ToneBank::waveCapacity)
        bank.appendWave(std::make_shared<WaveBlock>(64));
    while (bank.addDrumTone()) {
    }
    for (std::uint32_t d = 0; d < bank.drumToneCount(); ++d) {
        ToneRecord tone = bank.getDrumTone(d);
        tone.wave = bank.waveData(2 * d);
        bank.setDrumTone(d, tone);
    }
    bank.setDrumSetCount(ToneBank::drumSetCapacity);
    for (std::uint32_t s = 0; s < ToneBank::drumSetCapacity; ++s)
        for (std::uint32_t n = 0; n < ToneBank::notesPerDrumMap; ++n)
            bank.drumMaps()[s][n] = static_cast<std::int32_t>(2 * (s * 128 + n) % bank.drumToneCount());
}

void press(EditorDialog& editor, int id)
{
    SendMessageA(editor.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(editor.hwnd, id)));
}

void removeUnused(benchmark::State& state, int command)
{
    auto editor = openBenchEditor();
    const EditorDialog::TestAccess inside(*editor);
    win32test::DialogAnswers answers;
    for (auto _ : state) {
        state.PauseTiming();
        inside.bank() = ToneBank();
        fillBank(inside.bank());
        inside.rebuildWaveList();
        CheckDlgButton(editor->hwnd, IDC_DRUM_MODE, BST_CHECKED);
        inside.showTone();
        answers.messageBox(IDYES);
        state.ResumeTiming();
        press(*editor, command);
    }
    state.counters["waves"] = inside.bank().waveCount();
    state.counters["drumTones"] = inside.bank().drumToneCount();
    closeBenchEditor(editor);
}

void removeUnusedWaves(benchmark::State& state)
{
    removeUnused(state, IDC_DELETE_UNUSED_WAVES);
}
void removeUnusedDrumTones(benchmark::State& state)
{
    removeUnused(state, IDC_DELETE_UNUSED_DRUM_TONES);
}
BENCHMARK(removeUnusedWaves)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(removeUnusedDrumTones)->Unit(benchmark::kMillisecond)->Iterations(5);

void stretchA16MiBWave(benchmark::State& state)
{
    auto editor = openBenchEditor();
    const EditorDialog::TestAccess inside(*editor);
    win32test::DialogAnswers answers;
    constexpr std::uint32_t length = 16u << 20;
    for (auto _ : state) {
        state.PauseTiming();
        inside.bank() = ToneBank();
        auto block = std::make_shared<WaveBlock>(length);
        for (std::uint32_t i = 0; i < length; ++i)
            block->samples[i] = static_cast<std::int8_t>(i);
        inside.bank().appendWave(block);
        inside.rebuildWaveList();
        SendDlgItemMessageA(editor->hwnd, IDC_TONE_LIST, CB_SETCURSEL, 0, 0);
        SendDlgItemMessageA(editor->hwnd, IDC_WAVE_LIST, CB_SETCURSEL, 0, 0);
        // The new length in percent of the old.
        const auto newLength =
            static_cast<UINT>(std::uint64_t{length} * static_cast<std::uint64_t>(state.range(0)) / 100);
        SetDlgItemInt(editor->hwnd, IDC_NEW_SIZE, newLength, FALSE);
        state.ResumeTiming();
        press(*editor, IDC_STRETCH);
    }
    state.counters["samples"] = inside.bank().waveSize(0);
    closeBenchEditor(editor);
}
BENCHMARK(stretchA16MiBWave)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(50)->Arg(133);

} // namespace
