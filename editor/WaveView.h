#pragma once

#include "bank/ToneRecord.h"
#include "framework/Control.h"

#include <cstdint>

class SoundDevice;

// Shows a waveform as one bar per sample, lets the user select a range with the right
// button and redraw samples with the left one (the pencil).
//
// The view keeps the block it shows alive (a WaveRef is a shared owner), so it never
// reads freed memory; the editor still gives it the current block after every change.
class WaveView : public Control {
public:
    // The drawing is 512 rows high whatever the control's size: value v is row (127 - v) * 2.
    static constexpr int drawHeight = 512;
    static constexpr int zeroRow = 256;
    // Samples scrolled per mouse move while a selection is dragged past an edge.
    static constexpr std::int32_t autoScrollStep = 64;
    // Selected bars: red 128, green 255, blue 255.
    static constexpr COLORREF selectionColour = 0xFFFF80;

    enum PencilMode : std::int32_t { raiseOnly = 0, lowerOnly = 1, overwrite = 2 };

    // Shows the first `count` samples of `block` (no more than it holds; none for an
    // empty reference) and empties the selection.
    void setWaveform(WaveRef block, std::int32_t count);
    // Limited to 0..the samples shown.
    void setScrollPos(std::int32_t position);
    void clearSelection();
    void selectAll();
    // 0 is ignored.
    void setZoom(std::int32_t z);
    void getSelection(std::int32_t& start, std::int32_t& end) const;
    void setPencilMode(std::int32_t mode);
    // The device whose voices may be playing the waveform the pencil draws on.
    void setSoundDevice(SoundDevice* playingDevice) { device = playingDevice; }

    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::int32_t scrollPosition() const { return scrollPos; }
    std::int32_t shownCount() const { return sampleCount; }

private:
    // The sample under column x, wide enough that no scroll position overflows it.
    std::int64_t index(int x) const;
    void repaint();
    void paint();
    void pencil(int x, int y);
    void startSelection(int x, WPARAM keys);
    void dragSelection(int x);
    void endSelection(int x);
    void reportSelectedCount();

    WaveRef block;
    std::int8_t* samples = nullptr;
    std::int32_t scrollPos = 0;
    std::int32_t sampleCount = 0;
    std::int32_t selStart = 0;
    std::int32_t selEnd = 0;
    std::int32_t anchor = 0;
    std::int32_t zoom = 1;
    std::int32_t pencilMode = raiseOnly;
    SoundDevice* device = nullptr;
};
