#pragma once

#include "bank/ToneRecord.h"
#include "framework/Control.h"

#include <cstdint>

// Draws a tone's amplitude envelope as a filled curve: the attack and three decays
// simulated tick by tick, 256 ticks a pixel column, each column showing the level
// reached after its last tick. The release is not drawn.
class EnvelopeView : public Control {
public:
    static constexpr int ticksPerColumn = 256;

    // Takes a copy of `tone` and repaints.
    void setTone(const ToneRecord& tone);

    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    ToneRecord tone;

private:
    void paint();
    // Ends the segment just drawn at its target and sets up the next one; false when
    // the envelope has ended.
    bool nextSegment();

    std::int32_t step = 0;
    std::int32_t target = 0;
    std::int32_t phase = 0;
    std::int32_t level = 0;
};
