#include "editor/EditorDialog.h"

#include "editor/MessageTexts.h"
#include "editor/NumberList.h"
#include "framework/ComboBox.h"
#include "platform/SoundCardWaveOut.h"
#include "resources/resource.h"
#include "synth/ReferenceTone.h"

#include <algorithm>
#include <cstdint>

namespace {

// Line and page steps of the waveform's scroll bar, in samples at every magnification.
constexpr int scrollLine = 4;
constexpr int scrollPage = 128;

constexpr int referenceVolume = 100;
constexpr int targetAmplitude = 127;

// What the editor's voices play on: 16-bit stereo at 44100 Hz.
constexpr std::int32_t outputBits = 16;
constexpr std::int32_t outputRate = 44100;
constexpr std::int32_t outputChannels = 2;

// The waveform view draws 512 rows whatever the template says.
constexpr int waveViewHeight = WaveView::drawHeight;

// The magnifications.
constexpr int zoomChoices = 5;

} // namespace

EditorDialog::EditorDialog(std::unique_ptr<WaveOut> waveOut)
    : output(waveOut != nullptr ? std::move(waveOut) : makeSoundCardWaveOut()), device(*output)
{
    if (!device.open(outputBits, outputRate, outputChannels))
        MessageBoxA(nullptr, text::noSoundDevice, text::noSoundDeviceCaption, MB_OK | MB_ICONWARNING);
    // Connected even without a device, so that every voice operation stays the same.
    synth.connect(device, 0);
    referenceSynth.connect(device, 0);
    referenceSynth.setTone(makeReferenceTone());
    referenceSynth.setVolume(referenceVolume);
    waveView.setSoundDevice(&device);
}

EditorDialog::~EditorDialog()
{
    device.close();
}

int EditorDialog::onInitDialog()
{
    SetDlgItemInt(hwnd, IDC_TARGET_AMPLITUDE, targetAmplitude, FALSE);

    HWND waveWindow = GetDlgItem(hwnd, IDC_WAVE_VIEW);
    RECT bounds{};
    GetWindowRect(waveWindow, &bounds);
    SetWindowPos(waveWindow, nullptr, 0, 0, bounds.right - bounds.left, waveViewHeight, SWP_NOMOVE | SWP_NOZORDER);

    ComboBox list;
    list.attach(GetDlgItem(hwnd, IDC_PENCIL_MODE));
    for (const char* name : text::pencilModeNames)
        list.addString(name);
    list.setCurSel(WaveView::overwrite);

    list.attach(GetDlgItem(hwnd, IDC_TONE_LIST));
    fillWithNumbers(list, NumberTexts(static_cast<int>(ToneBank::instrumentToneCount)));

    list.attach(GetDlgItem(hwnd, IDC_ZOOM));
    char number[16];
    for (int i = 0; i < zoomChoices; ++i) {
        wsprintfA(number, "%d", 1 << i);
        list.addString(number);
    }
    list.setCurSel(0);

    envelopeView.attach(GetDlgItem(hwnd, IDC_ENVELOPE_VIEW));
    envelopeView.subclass();
    waveView.attach(waveWindow);
    waveView.subclass();
    // The pencil starts in the mode its list shows.
    waveView.setPencilMode(WaveView::overwrite);

    ShowWindow(hwnd, SW_SHOW);
    return 0;
}

int EditorDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HSCROLL && reinterpret_cast<HWND>(lParam) == GetDlgItem(hwnd, IDC_WAVE_SCROLL)) {
        onWaveScroll(wParam);
        return 0;
    }
    return ModelessDialog::handleMessage(message, wParam, lParam);
}

void EditorDialog::onWaveScroll(WPARAM request)
{
    HWND bar = GetDlgItem(hwnd, IDC_WAVE_SCROLL);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(bar, SB_CTL, &info);
    // Wide enough that a step past either end cannot overflow; the view takes no position
    // outside the wave it shows.
    std::int64_t position = info.nPos;
    // The whole request is compared: a thumb request carries its position above it.
    switch (request) {
    case SB_LINELEFT: position -= scrollLine; break;
    case SB_LINERIGHT: position += scrollLine; break;
    case SB_PAGELEFT: position -= scrollPage; break;
    case SB_PAGERIGHT: position += scrollPage; break;
    case SB_ENDSCROLL: break;
    default: position = info.nTrackPos; break;
    }
    waveView.setScrollPos(static_cast<std::int32_t>(std::clamp<std::int64_t>(position, 0, waveView.shownCount())));
    info.fMask = SIF_POS;
    info.nPos = waveView.scrollPosition();
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

int EditorDialog::onCommand(int code, int id, HWND)
{
    switch (id) {
    case ID_FILE_OPEN: onOpen(); break;
    case ID_FILE_SAVE:
        storeTone();
        onSave();
        break;
    case ID_FILE_EXPORT_WAVE: onExportWave(); break;
    case ID_FILE_CLOSE: SendMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case IDC_AUDITION: runAudition(); break;
    case IDC_DRUM_SET_MAP: runDrumMapEditor(); break;
    case IDC_FINE_TUNE: runFineTune(); break;
    case IDC_TONE_LIST: onToneListCommand(code); break;
    case IDC_DRUM_MODE: showTone(); break;
    case IDC_UPDATE_ENVELOPE: storeTone(); break;
    case IDC_WAVE_LIST: onWaveListCommand(code); break;
    case IDC_ZOOM: waveView.setZoom(static_cast<std::int32_t>(GetDlgItemInt(hwnd, IDC_ZOOM, nullptr, FALSE))); break;
    case IDC_PENCIL_MODE:
        waveView.setPencilMode(
            static_cast<std::int32_t>(SendDlgItemMessageA(hwnd, IDC_PENCIL_MODE, CB_GETCURSEL, 0, 0)));
        break;
    case IDC_LOAD_WAVE: onLoadWave(); break;
    case IDC_CHANGE_AMPLITUDE: onChangeAmplitude(); break;
    case IDC_SMOOTH: onSmooth(); break;
    case IDC_DELETE_SELECTION: onDeleteSelection(); break;
    case IDC_DELETE_BEFORE: onDeleteBeforeSelection(); break;
    case IDC_DELETE_AFTER: onDeleteAfterSelection(); break;
    case IDC_CLEAR_SELECTION: waveView.clearSelection(); break;
    case IDC_SELECT_ALL: waveView.selectAll(); break;
    case IDC_RESIZE: resizeWave(); break;
    case IDC_STRETCH: stretchWave(); break;
    case IDC_DELETE_UNUSED_WAVES: onRemoveUnusedWaves(); break;
    case IDC_DELETE_UNUSED_DRUM_TONES: onRemoveUnusedDrumTones(); break;
    default: break;
    }
    return 1;
}

void EditorDialog::onToneListCommand(int code)
{
    // Opening the list stores the edits into the tone being left; a choice shows the new one.
    if (code == CBN_DROPDOWN)
        storeTone();
    else if (code == CBN_SELCHANGE)
        showTone();
}

void EditorDialog::onWaveListCommand(int code)
{
    // Only a real choice assigns the wave: focus, opening and closing the list change
    // nothing. Choosing the entry already selected sends no change, but does end with OK.
    if (code != CBN_SELCHANGE && code != CBN_SELENDOK)
        return;
    showWaveSizeInFields();
    storeTone();
    showTone();
}

void EditorDialog::showWaveSizeInFields()
{
    const int wave = currentWave();
    const UINT size = wave >= 0 ? bank.waveSize(static_cast<std::uint32_t>(wave)) : 0;
    SetDlgItemInt(hwnd, IDC_CYCLE_SIZE, size, FALSE);
    SetDlgItemInt(hwnd, IDC_SAMPLE_COUNT, size, FALSE);
}

void EditorDialog::silenceVoices()
{
    synth.silence();
}

int EditorDialog::onClose()
{
    DestroyWindow(hwnd);
    return 1;
}

int EditorDialog::onDestroy()
{
    PostQuitMessage(0);
    return ModelessDialog::onDestroy();
}
