#pragma once

#include "bank/ToneBank.h"
#include "framework/ModalDialog.h"
#include "synth/Synth.h"

#include <cstdint>

// Edits the bank's drum sets on copies: for one set at a time, which drum tone each
// note plays; sets are added and deleted, the drum-set map is edited, and one note of
// the set can be heard. The copies go back to the bank only when the caller finds the
// dialog `accepted`. Adding a drum tone is the exception: it changes the bank at once.
class DrumMapDialog : public ModalDialog {
public:
    static constexpr int auditionMilliseconds = 1000;
    static constexpr std::int32_t auditionVolume = 127;

    DrumMapDialog(ToneBank& bank, Synth& synth);

    // The bank's drum maps (all 128 sets), drum-set map and drum-set count, into the
    // copies; and back.
    void copyFrom(const ToneBank& source);
    void copyTo(ToneBank& target) const;

    // Runs the dialog modally over `owner`; `accepted()` tells whether it ended with OK.
    void run(Window* owner);
    bool accepted() const { return accepted_; }

    int onInitDialog() override;
    int onCommand(int code, int id, HWND control) override;

    // How tests read the copies as they stand (editor/EditorTestAccess.h).
    class TestAccess;

private:
    // The set whose map the grid shows: the selection of the set list, 0 without one.
    int shownSet() const;
    // Lists sets 0 to drumSetCount - 1 and selects set 0.
    void rebuildSetList();
    // Lists every drum tone of the bank in each cell and selects the tone the shown set
    // gives its note; a tone the bank does not have leaves the cell without selection.
    void showGrid();
    // showGrid, unless the grid already shows that set with the bank's drum tones: the
    // set list notifies several times for one choice, and each fill is two million entries.
    void showGridIfChanged();
    void storeCell(int note);
    void audition();
    void addDrumTone();
    void addSet();
    void deleteSet();
    void editSetMap();

    ToneBank::DrumMaps drumMaps{};
    Synth* synth;
    ToneBank* bank;
    std::int32_t drumSetCount = 1;
    ToneBank::DrumSetMap drumSetMap{};
    bool accepted_ = false;

    int gridSet_ = -1;
    std::uint32_t gridToneCount_ = 0;
};
