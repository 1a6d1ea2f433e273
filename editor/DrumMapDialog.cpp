#include "editor/DrumMapDialog.h"

#include "bank/DrumSets.h"
#include "editor/DrumSetMapDialog.h"
#include "editor/NumberList.h"
#include "editor/Prompts.h"
#include "framework/ComboBox.h"
#include "resources/resource.h"
#include "synth/NoteTable.h"

#include <algorithm>

namespace {

constexpr int cellCount = ToneBank::notesPerDrumMap;

bool isCell(int id)
{
    return id >= IDC_GRID_CELL && id < IDC_GRID_CELL + cellCount;
}

} // namespace

DrumMapDialog::DrumMapDialog(ToneBank& bank, Synth& synth) : synth(&synth), bank(&bank) {}

void DrumMapDialog::copyFrom(const ToneBank& source)
{
    drumMaps = source.drumMaps();
    drumSetMap = source.drumSetMap();
    drumSetCount = static_cast<std::int32_t>(source.drumSetCount());
}

void DrumMapDialog::copyTo(ToneBank& target) const
{
    target.drumMaps() = drumMaps;
    target.drumSetMap() = drumSetMap;
    target.setDrumSetCount(static_cast<std::uint32_t>(drumSetCount));
}

void DrumMapDialog::run(Window* owner)
{
    accepted_ = false;
    open(owner, IDD_DRUM_MAP);
}

int DrumMapDialog::onInitDialog()
{
    ComboBox notes;
    notes.attach(GetDlgItem(hwnd, IDC_DRUMMAP_AUDITION_NOTE));
    fillWithNumbers(notes, NumberTexts(cellCount));
    notes.setCurSel(0);
    rebuildSetList();
    showGrid();
    return 0;
}

int DrumMapDialog::onCommand(int, int id, HWND)
{
    // Once the dialog has ended, the focus leaving its cells still notifies; the copies
    // are final by then.
    if (hwnd == nullptr)
        return 1;
    if (isCell(id)) {
        storeCell(id - IDC_GRID_CELL);
        return 1;
    }
    switch (id) {
    case IDC_DRUMMAP_SET_LIST: showGridIfChanged(); return 1;
    case IDC_DRUMMAP_AUDITION: audition(); return 1;
    case IDC_DRUMMAP_ADD_DRUM_TONE: addDrumTone(); return 1;
    case IDC_DRUMMAP_ADD_SET: addSet(); return 1;
    case IDC_DRUMMAP_DELETE_SET: deleteSet(); return 1;
    case IDC_DRUMMAP_SET_MAP: editSetMap(); return 1;
    case IDOK:
        accepted_ = true;
        end();
        return 1;
    case IDCANCEL: end(); return 1;
    default: return 0;
    }
}

int DrumMapDialog::shownSet() const
{
    const int set = static_cast<int>(SendDlgItemMessageA(hwnd, IDC_DRUMMAP_SET_LIST, CB_GETCURSEL, 0, 0));
    return set == CB_ERR ? 0 : set;
}

void DrumMapDialog::rebuildSetList()
{
    ComboBox sets;
    sets.attach(GetDlgItem(hwnd, IDC_DRUMMAP_SET_LIST));
    fillWithNumbers(sets, NumberTexts(drumSetCount));
    sets.setCurSel(0);
}

void DrumMapDialog::showGrid()
{
    const int set = shownSet();
    const NumberTexts tones(static_cast<int>(bank->drumToneCount()));
    ComboBox cell;
    for (int n = 0; n < cellCount; ++n) {
        cell.attach(GetDlgItem(hwnd, IDC_GRID_CELL + n));
        fillWithNumbers(cell, tones);
        cell.setCurSel(drumMaps[set][n]);
    }
    gridSet_ = set;
    gridToneCount_ = bank->drumToneCount();
}

void DrumMapDialog::showGridIfChanged()
{
    if (shownSet() != gridSet_ || bank->drumToneCount() != gridToneCount_)
        showGrid();
}

// The cell's choice (-1 when it has none) becomes the note's drum tone, and the
// audition note follows the last cell touched.
void DrumMapDialog::storeCell(int note)
{
    drumMaps[shownSet()][note] =
        static_cast<std::int32_t>(SendDlgItemMessageA(hwnd, IDC_GRID_CELL + note, CB_GETCURSEL, 0, 0));
    SendDlgItemMessageA(hwnd, IDC_DRUMMAP_AUDITION_NOTE, CB_SETCURSEL, static_cast<WPARAM>(note), 0);
}

// Sounds the chosen note's drum tone for a second; the dialog waits meanwhile.
void DrumMapDialog::audition()
{
    const int note = static_cast<int>(SendDlgItemMessageA(hwnd, IDC_DRUMMAP_AUDITION_NOTE, CB_GETCURSEL, 0, 0));
    if (note < 0 || note >= cellCount)
        return;
    const std::int32_t tone = drumMaps[shownSet()][note];
    if (tone < 0 || tone >= static_cast<std::int32_t>(bank->drumToneCount()))
        return;
    synth->setTone(bank->getDrumTone(static_cast<std::uint32_t>(tone)));
    synth->setVolume(auditionVolume);
    synth->noteOn(noteFrequency(static_cast<std::uint32_t>(note)));
    Sleep(auditionMilliseconds);
    synth->noteOff();
}

void DrumMapDialog::addDrumTone()
{
    if (!bank->addDrumTone()) {
        showError(hwnd, text::cannotAddMore);
        return;
    }
    showGrid();
    showReport(hwnd, text::drumToneAdded);
}

void DrumMapDialog::addSet()
{
    if (!appendDrumSetCopy(drumMaps, drumSetCount)) {
        showError(hwnd, text::cannotAddMore);
        return;
    }
    rebuildSetList();
    SendDlgItemMessageA(hwnd, IDC_DRUMMAP_SET_LIST, CB_SETCURSEL, static_cast<WPARAM>(drumSetCount - 1), 0);
    showGrid();
}

// Every other part of the program needs at least one set, so the last one stays.
void DrumMapDialog::deleteSet()
{
    const int set = shownSet();
    if (std::find(drumSetMap.begin(), drumSetMap.end(), set) != drumSetMap.end()) {
        showError(hwnd, text::drumSetInUse);
        return;
    }
    if (drumSetCount <= 1) {
        showError(hwnd, text::lastDrumSet);
        return;
    }
    if (!confirm(hwnd, text::confirmDeleteDrumSet))
        return;
    removeDrumSet(drumMaps, drumSetMap, drumSetCount, set);
    rebuildSetList();
    showGrid();
}

void DrumMapDialog::editSetMap()
{
    DrumSetMapDialog setMap(drumSetMap, drumSetCount);
    setMap.run(this);
}
