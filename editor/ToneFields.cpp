// The current tone in the main window's fields: which control shows which field of the
// tone, and the showing and storing of the whole record.
#include "editor/EditorDialog.h"

#include "editor/NumberList.h"
#include "editor/ProgramNames.h"
#include "framework/ComboBox.h"
#include "resources/resource.h"

#include <cstdint>
#include <iterator>

namespace {

struct FieldBinding {
    int control;
    std::int32_t ToneRecord::*field;
    bool isSigned;
};

// The number fields, in the order they are shown and stored. DR and NR are the only
// signed ones; an unsigned field shows a negative value as its unsigned reading and
// reads it back unchanged.
constexpr FieldBinding numberFields[] = {
    {IDC_AR, &ToneRecord::AR, false},
    {IDC_DL, &ToneRecord::DL, false},
    {IDC_DR, &ToneRecord::DR, true},
    {IDC_NL, &ToneRecord::NL, false},
    {IDC_NR, &ToneRecord::NR, true},
    {IDC_SL, &ToneRecord::SL, false},
    {IDC_SR, &ToneRecord::SR, false},
    {IDC_RR, &ToneRecord::RR, false},
    {IDC_LOOP_RETURN, &ToneRecord::loopReturn, false},
    {IDC_GROUP_NUMBER, &ToneRecord::groupNumber, false},
    {IDC_SAMPLE_COUNT, &ToneRecord::sampleCount, false},
    {IDC_FREQUENCY_SHIFT, &ToneRecord::frequencyShift, false},
    {IDC_AMPLITUDE, &ToneRecord::amplitude, false},
    {IDC_GAIN_RATE, &ToneRecord::gainRate, false},
    {IDC_START_DELAY, &ToneRecord::startDelay, false},
};

// What an empty tone list shows: the envelope fields, the loop and group, the count.
constexpr int fieldsClearedWithoutTone[] = {
    IDC_AR, IDC_DL, IDC_DR, IDC_NL, IDC_NR, IDC_SL, IDC_SR, IDC_RR, IDC_LOOP_RETURN, IDC_GROUP_NUMBER, IDC_SAMPLE_COUNT,
};

void showNumber(HWND dialog, int control, std::int32_t value, bool isSigned)
{
    SetDlgItemInt(dialog, control, static_cast<UINT>(value), isSigned ? TRUE : FALSE);
}

std::int32_t readNumber(HWND dialog, int control, bool isSigned)
{
    // Text that is no number reads as 0.
    return static_cast<std::int32_t>(GetDlgItemInt(dialog, control, nullptr, isSigned ? TRUE : FALSE));
}

} // namespace

bool EditorDialog::isDrumMode() const
{
    return IsDlgButtonChecked(hwnd, IDC_DRUM_MODE) == BST_CHECKED;
}

int EditorDialog::currentToneIndex() const
{
    return static_cast<int>(SendDlgItemMessageA(hwnd, IDC_TONE_LIST, CB_GETCURSEL, 0, 0));
}

int EditorDialog::currentWave() const
{
    const auto selected = SendDlgItemMessageA(hwnd, IDC_WAVE_LIST, CB_GETCURSEL, 0, 0);
    if (selected < 0 || selected >= static_cast<LRESULT>(bank.waveCount()))
        return -1;
    return static_cast<int>(selected);
}

void EditorDialog::rebuildWaveList()
{
    ComboBox list;
    list.attach(GetDlgItem(hwnd, IDC_WAVE_LIST));
    fillWithNumbers(list, NumberTexts(static_cast<int>(bank.waveCount())));
}

void EditorDialog::showTone()
{
    ComboBox list;
    list.attach(GetDlgItem(hwnd, IDC_TONE_LIST));
    int index = list.getCurSel();

    const bool drums = isDrumMode();
    const int count = drums ? static_cast<int>(bank.drumToneCount()) : static_cast<int>(programNameCount);
    // Drum tones are not auditioned from the keyboard.
    EnableWindow(GetDlgItem(hwnd, IDC_AUDITION), drums ? FALSE : TRUE);
    if (drums) {
        fillWithNumbers(list, NumberTexts(count));
    } else {
        fillWithProgramNames(list);
    }

    if (index >= count || (index == CB_ERR && count != 0))
        index = 0;
    list.setCurSel(index);
    index = list.getCurSel();
    if (index == CB_ERR) {
        for (int control : fieldsClearedWithoutTone)
            SetDlgItemInt(hwnd, control, 0, FALSE);
        return;
    }

    const auto toneNumber = static_cast<std::uint32_t>(index);
    const ToneRecord tone = drums ? bank.getDrumTone(toneNumber) : bank.getInstrumentTone(toneNumber);
    for (const FieldBinding& binding : numberFields)
        showNumber(hwnd, binding.control, tone.*binding.field, binding.isSigned);
    showNumber(hwnd, IDC_CYCLE_SIZE, tone.cycleSize, false);
    showNumber(hwnd, IDC_SAMPLE_COUNT, tone.sampleCount, false);
    CheckDlgButton(hwnd, IDC_DRUM_ALGORITHM, tone.drumAlgorithm != 0 ? BST_CHECKED : BST_UNCHECKED);

    SendDlgItemMessageA(hwnd, IDC_WAVE_LIST, CB_SETCURSEL, static_cast<WPARAM>(bank.findWave(tone.wave)), 0);

    envelopeView.setTone(tone);
    // A wave that is no longer in the bank is no waveform to show.
    waveView.setWaveform(bank.resolveWave(tone.wave), tone.sampleCount);

    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE;
    range.nMin = 0;
    // The samples the view shows: a count past the wave's end would scroll it off its wave.
    range.nMax = waveView.shownCount();
    SetScrollInfo(GetDlgItem(hwnd, IDC_WAVE_SCROLL), SB_CTL, &range, TRUE);
}

void EditorDialog::storeTone()
{
    const int index = currentToneIndex();
    if (index == CB_ERR)
        return;
    const bool drums = isDrumMode();
    const auto toneNumber = static_cast<std::uint32_t>(index);
    ToneRecord tone = drums ? bank.getDrumTone(toneNumber) : bank.getInstrumentTone(toneNumber);

    for (const FieldBinding& binding : numberFields)
        tone.*binding.field = readNumber(hwnd, binding.control, binding.isSigned);
    tone.drumAlgorithm = IsDlgButtonChecked(hwnd, IDC_DRUM_ALGORITHM) == BST_CHECKED ? 1 : 0;

    const int wave = currentWave();
    tone.wave = wave >= 0 ? bank.waveData(static_cast<std::uint32_t>(wave)) : WaveRef{};
    tone.sampleCount = readNumber(hwnd, IDC_SAMPLE_COUNT, false);
    tone.cycleSize = readNumber(hwnd, IDC_CYCLE_SIZE, false);

    // A tone never plays past its wave, nor a cycle past its samples (as unsigned numbers).
    const std::uint32_t waveBytes = wave >= 0 ? bank.waveSize(static_cast<std::uint32_t>(wave)) : 0;
    if (waveBytes < static_cast<std::uint32_t>(tone.sampleCount))
        tone.sampleCount = static_cast<std::int32_t>(waveBytes);
    if (static_cast<std::uint32_t>(tone.sampleCount) < static_cast<std::uint32_t>(tone.cycleSize))
        tone.cycleSize = tone.sampleCount;

    if (drums)
        bank.setDrumTone(toneNumber, tone);
    else
        bank.setInstrumentTone(toneNumber, tone);
    envelopeView.setTone(tone);
}
