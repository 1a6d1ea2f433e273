// What the sub-dialogs work with, as the main window holds it, and a way to act inside
// a modal dialog as the user does.
#pragma once

#include "GuiDriver.h"

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "bank/ToneBank.h"
#include "framework/Dialog.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// A bank, and the two voices on a sound device whose output plays only when told to,
// so a voice keeps the state the dialog left it in.
struct SoundRig {
    SoundRig()
    {
        device.open(16, 44100, 2);
        synth.connect(device, 0);
        referenceSynth.connect(device, 0);
    }

    ToneBank bank;
    OfflineWaveOut output;
    SoundDevice device{output};
    Synth synth;
    Synth referenceSynth;
};

// A wave of `size` bytes appended to the bank; its index.
inline std::uint32_t addWave(ToneBank& bank, std::size_t size)
{
    bank.appendWave(std::make_shared<WaveBlock>(size));
    return bank.waveCount() - 1;
}

// An instrument tone on wave `wave` whose cycle is 44100 samples long, so that at 44100 Hz
// the whole part of a voice's step, in units of 2^-25, is the frequency it was given;
// `marker` goes in the group number, which nothing converts.
inline ToneRecord pitchTone(const ToneBank& bank, std::uint32_t wave, std::int32_t marker)
{
    ToneRecord tone;
    tone.AR = 0x7F0000;
    tone.DL = 0x7F0000;
    tone.NL = 0x7F0000;
    tone.SL = 0x7F0000;
    tone.RR = 0x1000;
    tone.cycleSize = 44100;
    tone.wave = bank.waveData(wave);
    tone.sampleCount = static_cast<std::int32_t>(bank.waveSize(wave));
    tone.groupNumber = marker;
    return tone;
}

// The frequency (Hz x 128) a voice of a pitchTone was last started with.
inline std::uint32_t startedFrequency(const Synth& voice)
{
    return static_cast<std::uint32_t>(voice.state().step >> 25);
}

// Runs `open`, which opens a modal dialog, and `inside` once that dialog is up, with its
// window. A watchdog ends the dialog if a fault leaves it open. Whether `inside` ran to
// its end.
inline bool whileOpen(const std::function<void()>& open, const std::function<void(HWND dialog)>& inside)
{
    auto ran = std::make_shared<bool>(false);
    gui::Watchdog watchdog(20000, [] {
        if (IsWindow(Dialog::pendingDialog->hwnd))
            EndDialog(Dialog::pendingDialog->hwnd, 0);
    });
    gui::runSoon([ran, inside] {
        // The dialog opened last is the one up in front. The system shows a modal dialog
        // when its loop first finds no message waiting, which the driver's own messages
        // may not have let happen yet: it is shown here as that loop would show it.
        const HWND dialog = Dialog::pendingDialog->hwnd;
        if (!IsWindowVisible(dialog))
            ShowWindow(dialog, SW_SHOWNORMAL);
        inside(dialog);
        *ran = true;
    });
    open();
    EXPECT_FALSE(watchdog.fired()) << "the dialog was still open";
    return *ran;
}

inline LRESULT listSelection(HWND combo)
{
    return SendMessageA(combo, CB_GETCURSEL, 0, 0);
}

inline LRESULT listCount(HWND combo)
{
    return SendMessageA(combo, CB_GETCOUNT, 0, 0);
}

// The text the user sees in a window: a static, a button, a drop-down list's choice.
inline std::string shownText(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}
