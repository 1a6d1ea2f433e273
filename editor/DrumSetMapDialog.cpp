#include "editor/DrumSetMapDialog.h"

#include "bank/ToneBank.h"
#include "editor/NumberList.h"
#include "editor/Prompts.h"
#include "resources/resource.h"

namespace {

constexpr int cellCount = ToneBank::programCount;

} // namespace

DrumSetMapDialog::DrumSetMapDialog(ToneBank::DrumSetMap& map, std::int32_t drumSetCount)
    : map(map), drumSetCount(drumSetCount)
{
}

void DrumSetMapDialog::run(Window* owner)
{
    open(owner, IDD_DRUM_SET_MAP);
}

int DrumSetMapDialog::onInitDialog()
{
    const NumberTexts sets(drumSetCount);
    ComboBox cell;
    for (int n = 0; n < cellCount; ++n) {
        cell.attach(GetDlgItem(hwnd, IDC_GRID_CELL + n));
        fillWithNumbers(cell, sets);
        cell.setCurSel(map[n]);
    }
    return 0;
}

// Only OK and the cycle command act; Esc (Cancel) does nothing, and the close box
// leaves without storing.
int DrumSetMapDialog::onCommand(int, int id, HWND)
{
    if (id == IDOK) {
        storeMap();
        end();
    } else if (id == IDC_SETMAP_CYCLE) {
        if (confirm(hwnd, text::confirmCycleSetMap))
            selectCyclicSets();
    }
    return 1;
}

void DrumSetMapDialog::storeMap()
{
    ComboBox cell;
    for (int n = 0; n < cellCount; ++n) {
        cell.attach(GetDlgItem(hwnd, IDC_GRID_CELL + n));
        map[n] = cell.getCurSel();
    }
}

// Program n takes set n modulo the count; the map itself changes only at OK.
void DrumSetMapDialog::selectCyclicSets()
{
    ComboBox cell;
    for (int n = 0; n < cellCount; ++n) {
        cell.attach(GetDlgItem(hwnd, IDC_GRID_CELL + n));
        cell.setCurSel(n % drumSetCount);
    }
}
