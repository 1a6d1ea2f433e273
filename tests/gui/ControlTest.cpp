#include "GuiDriver.h"
#include "RecordingDialog.h"

#include "framework/ComboBox.h"
#include "framework/DctBuffer.h"
#include "framework/PushNotifyButton.h"
#include "framework/TransformPanel.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int auditionTemplate = 104;
constexpr int fineTuneTemplate = 105;
constexpr int keyC = 9000;
constexpr int keyCSharp = 9001;
constexpr int keyA = 9009;
constexpr int toneCombo = 1046;
constexpr int octaveCombo = 1044;
constexpr int spectrumPanel = 1049;

// Counts the presses that reach the wrapper and passes everything on.
class CountingControl : public Control {
public:
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONDOWN)
            ++presses;
        return Control::windowProc(message, wParam, lParam);
    }
    int presses = 0;
};

// Keeps the left button from the control.
class SwallowingControl : public Control {
public:
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)
            return 0;
        return Control::windowProc(message, wParam, lParam);
    }
};

// A modeless dialog of the given template for one test, destroyed at its end.
class OpenDialog : public ::testing::Test {
protected:
    void open(int templateId)
    {
        ASSERT_TRUE(dialog.open(nullptr, templateId));
        ASSERT_NE(dialog.hwnd, nullptr);
        gui::processEvents();
        dialog.calls.clear();
    }
    void TearDown() override
    {
        if (dialog.hwnd != nullptr)
            DestroyWindow(dialog.hwnd);
    }
    HWND item(int id) { return GetDlgItem(dialog.hwnd, id); }
    // The click notifications the dialog received from control `id`.
    size_t clicksFrom(int id)
    {
        size_t count = 0;
        for (const Call& call : dialog.only("command"))
            count += call.a == BN_CLICKED && call.b == id;
        return count;
    }
    WNDPROC procedureOf(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)); }

    RecordingDialog<ModelessDialog> dialog;
};

using ControlTest = OpenDialog;

} // namespace

TEST_F(ControlTest, SubclassingTwiceSubclassesOnceAndUnsubclassingTwiceRestoresOnce)
{
    open(auditionTemplate);
    HWND key = item(keyC);
    const WNDPROC original = procedureOf(key);
    ASSERT_NE(original, nullptr);

    CountingControl wrapper;
    wrapper.attach(key);
    EXPECT_EQ(wrapper.savedProc, nullptr);
    wrapper.subclass();
    wrapper.subclass();
    EXPECT_EQ(wrapper.savedProc, original);
    EXPECT_EQ(procedureOf(key), &Control::controlProc);
    EXPECT_EQ(GetWindowLongPtrA(key, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&wrapper));

    gui::click(key);
    EXPECT_EQ(wrapper.presses, 1);
    EXPECT_EQ(clicksFrom(keyC), 1u); // passed on: the button still clicks

    wrapper.unsubclass();
    wrapper.unsubclass();
    EXPECT_EQ(procedureOf(key), original);
    EXPECT_EQ(wrapper.savedProc, nullptr);
    // The user data still names the wrapper, but nothing reaches it any more.
    EXPECT_EQ(GetWindowLongPtrA(key, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&wrapper));
    gui::click(key);
    EXPECT_EQ(wrapper.presses, 1);
    EXPECT_EQ(clicksFrom(keyC), 2u);
}

TEST_F(ControlTest, AttachGivesTheOldWindowItsProcedureBack)
{
    open(auditionTemplate);
    HWND first = item(keyC);
    HWND second = item(keyCSharp);
    const WNDPROC original = procedureOf(first);

    SwallowingControl wrapper;
    wrapper.attach(first);
    wrapper.subclass();
    gui::click(first);
    EXPECT_EQ(clicksFrom(keyC), 0u); // swallowed: the button never saw the press

    wrapper.attach(second);
    EXPECT_EQ(wrapper.hwnd, second);
    EXPECT_EQ(wrapper.savedProc, nullptr);
    EXPECT_EQ(procedureOf(first), original);
    EXPECT_NE(procedureOf(second), &Control::controlProc); // bound, not subclassed
    gui::click(first);
    EXPECT_EQ(clicksFrom(keyC), 1u);
}

TEST_F(ControlTest, DestroyingTheWrapperGivesTheProcedureBack)
{
    open(auditionTemplate);
    HWND key = item(keyC);
    const WNDPROC original = procedureOf(key);
    {
        SwallowingControl wrapper;
        wrapper.attach(key);
        wrapper.subclass();
        ASSERT_EQ(procedureOf(key), &Control::controlProc);
    }
    EXPECT_EQ(procedureOf(key), original);
    gui::click(key);
    EXPECT_EQ(clicksFrom(keyC), 1u);
}

TEST_F(ControlTest, ControlProcFindsItsWrapperInTheUserData)
{
    open(auditionTemplate);
    HWND key = item(keyC);
    ASSERT_EQ(GetWindowLongPtrA(key, GWLP_USERDATA), 0);
    // No wrapper: the default window procedure, which keeps the text.
    EXPECT_EQ(Control::controlProc(key, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Do")), TRUE);
    char text[8] = {};
    GetWindowTextA(key, text, sizeof text);
    EXPECT_STREQ(text, "Do");

    CountingControl wrapper;
    wrapper.hwnd = key;
    wrapper.savedProc = procedureOf(key);
    SetWindowLongPtrA(key, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&wrapper));
    Control::controlProc(key, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    Control::controlProc(key, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(wrapper.presses, 1);
    EXPECT_EQ(clicksFrom(keyC), 1u); // and on to the button's own procedure
    wrapper.savedProc = nullptr;
}

TEST_F(ControlTest, PushNotifyButtonPostsPressAndReleaseAroundItsClick)
{
    open(auditionTemplate);
    HWND key = item(keyA);
    PushNotifyButton wrapper;
    wrapper.attach(key);
    wrapper.subclass();

    const long long fromKey = reinterpret_cast<long long>(key);
    // The user presses a button on the screen.
    ShowWindow(dialog.hwnd, SW_SHOW);
    gui::processEvents();
    dialog.calls.clear();
    ASSERT_NE(GetFocus(), key);
    // The control that loses the focus may say so too; only the button's notices count.
    auto fromKeyA = [this] {
        std::vector<Call> found;
        for (const Call& call : dialog.only("command"))
            if (call.b == keyA)
                found.push_back(call);
        return found;
    };
    // The button takes the focus on the press and, being BS_NOTIFY, says so.
    const Call focused{"command", BN_SETFOCUS, keyA, fromKey};
    const Call pushed{"command", 2, keyA, fromKey};
    const Call clicked{"command", BN_CLICKED, keyA, fromKey};
    const Call released{"command", 3, keyA, fromKey};
    // The wrapper's notices are posted before the button's own handling runs, which
    // sends BN_SETFOCUS on the press and BN_CLICKED on the release: were they sent,
    // each would come first.
    gui::mousePress(key, 5, 5);
    EXPECT_EQ(GetFocus(), key);
    EXPECT_EQ(GetCapture(), key); // the button's own press ran
    gui::drainPostedMessages();
    EXPECT_EQ(fromKeyA(), (std::vector<Call>{focused, pushed}));

    gui::mouseRelease(key, 5, 5);
    EXPECT_EQ(GetCapture(), nullptr);
    gui::drainPostedMessages();
    EXPECT_EQ(fromKeyA(), (std::vector<Call>{focused, pushed, clicked, released}));
}

TEST_F(ControlTest, TransformPanelPaintsTheDesktopColourWhateverItsSource)
{
    open(fineTuneTemplate);
    HWND panelWindow = item(spectrumPanel);
    RECT area;
    GetClientRect(panelWindow, &area);
    ASSERT_GT(area.right, 4);
    ASSERT_GT(area.bottom, 4);
    const COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
    // A black frame left to itself shows black at its edge and the face colour inside.
    ASSERT_NE(gui::shownPixel(panelWindow, area.right / 2, area.bottom / 2), desktop);

    ForwardDctBuffer spectrum;
    ASSERT_TRUE(spectrum.allocate(16));
    for (int i = 0; i < 16; ++i)
        spectrum.setInput(i, static_cast<float>(i * 8 - 64));
    spectrum.transform();

    TransformPanel panel;
    panel.setSource(&spectrum);
    EXPECT_EQ(panel.source, &spectrum);
    panel.attach(panelWindow);
    panel.subclass();
    InvalidateRect(panelWindow, nullptr, TRUE);
    gui::processEvents();
    const POINT samples[] = {{0, 0},
                             {area.right - 1, 0},
                             {0, area.bottom - 1},
                             {area.right - 1, area.bottom - 1},
                             {area.right / 2, area.bottom / 2},
                             {area.right / 3, area.bottom * 2 / 3}};
    for (const POINT& p : samples)
        EXPECT_EQ(gui::shownPixel(panelWindow, p.x, p.y), desktop) << p.x << "," << p.y;
    EXPECT_EQ(SendMessageA(panelWindow, WM_PAINT, 0, 0), 1);

    // Its own painting back, the frame draws only its frame: inside, what the panel
    // painted stays.
    panel.unsubclass();
    InvalidateRect(panelWindow, nullptr, TRUE);
    gui::processEvents();
    EXPECT_NE(gui::shownPixel(panelWindow, 0, 0), desktop);
    EXPECT_NE(gui::shownPixel(panelWindow, area.right - 1, area.bottom - 1), desktop);
    EXPECT_EQ(gui::shownPixel(panelWindow, area.right / 2, area.bottom / 2), desktop);
}

TEST_F(ControlTest, ComboBoxOperationsActOnTheBoundList)
{
    open(auditionTemplate);
    ComboBox combo;
    combo.attach(item(toneCombo));
    combo.resetContent();
    EXPECT_EQ(combo.getCurSel(), CB_ERR);
    EXPECT_EQ(combo.addString("0: Piano 1"), 0);
    EXPECT_EQ(combo.addString("1: Piano 2"), 1);
    EXPECT_EQ(combo.addString("音色"), 2);
    EXPECT_EQ(combo.setCurSel(2), 2);
    EXPECT_EQ(combo.getCurSel(), 2);
    char text[32] = {};
    SendMessageA(combo.hwnd, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "音色");

    // Re-bound, the same wrapper fills the next list and leaves the first alone.
    combo.attach(item(octaveCombo));
    combo.resetContent();
    EXPECT_EQ(combo.addString("4"), 0);
    EXPECT_EQ(SendMessageA(item(toneCombo), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(item(octaveCombo), CB_GETCOUNT, 0, 0), 1);

    combo.attach(item(toneCombo));
    combo.resetContent();
    EXPECT_EQ(SendMessageA(item(toneCombo), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(combo.getCurSel(), CB_ERR);
}

TEST_F(ControlTest, WrapperOutlivingItsWindowLetsGoQuietly)
{
    open(auditionTemplate);
    auto keys = std::make_unique<PushNotifyButton[]>(2);
    keys[0].attach(item(keyC));
    keys[0].subclass();
    keys[1].attach(item(keyCSharp));
    keys[1].subclass();
    DestroyWindow(dialog.hwnd);
    EXPECT_EQ(dialog.hwnd, nullptr);
    // The dialog object ends after its window, and its keys with it.
    keys.reset();
    gui::drainPostedMessages();
}
