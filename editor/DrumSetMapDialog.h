#pragma once

#include "bank/ToneBank.h"
#include "framework/ModalDialog.h"

#include <cstdint>

// Gives each of the drum channel's 128 program numbers a drum set. It edits the map it
// is given, and only when closed with OK.
class DrumSetMapDialog : public ModalDialog {
public:
    DrumSetMapDialog(ToneBank::DrumSetMap& map, std::int32_t drumSetCount);

    // Runs the dialog modally over `owner`.
    void run(Window* owner);

    int onInitDialog() override;
    int onCommand(int code, int id, HWND control) override;

private:
    void storeMap();
    void selectCyclicSets();

    ToneBank::DrumSetMap& map;
    std::int32_t drumSetCount;
};
