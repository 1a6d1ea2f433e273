#include "RecordingDialog.h"

#include "framework/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Writes down which operation each message reaches and with which arguments.
class RecordingWindow : public Window {
public:
    int onDestroy() override { return note({"destroy"}); }
    int onCommand(int code, int id, HWND control) override
    {
        return note({"command", code, id, reinterpret_cast<long long>(control)});
    }
    int onLButtonDown(WPARAM keys, int x, int y) override { return note({"lbuttondown", (long long)keys, x, y}); }
    int onLButtonUp(WPARAM keys, int x, int y) override { return note({"lbuttonup", (long long)keys, x, y}); }
    int onRButtonDown(WPARAM keys, int x, int y) override { return note({"rbuttondown", (long long)keys, x, y}); }
    int onRButtonUp(WPARAM keys, int x, int y) override { return note({"rbuttonup", (long long)keys, x, y}); }
    int onMouseMove(WPARAM keys, int x, int y) override { return note({"mousemove", (long long)keys, x, y}); }
    int onKeyDown(WPARAM wParam, LPARAM lParam) override { return note({"keydown", (long long)wParam, lParam}); }
    int onKeyUp(WPARAM wParam, LPARAM lParam) override { return note({"keyup", (long long)wParam, lParam}); }
    int onClose() override { return note({"close"}); }
    int onPaint() override { return note({"paint"}); }
    int onTimer(WPARAM id) override { return note({"timer", (long long)id}); }
    int onSize(WPARAM type, int width, int height) override { return note({"size", (long long)type, width, height}); }
    int onNotify(WPARAM wParam, LPARAM lParam) override { return note({"notify", (long long)wParam, lParam}); }

    std::vector<Call> calls;
    int result = 7;

private:
    int note(Call call)
    {
        calls.push_back(call);
        return result;
    }
};

} // namespace

TEST(WindowDispatch, EachMessageReachesItsOperationWithDecodedArguments)
{
    // Values chosen so that a swapped half, a lost sign or a sign where none belongs shows.
    const LPARAM leftAbove = MAKELPARAM(-5, -32768); // x = -5, y = -32768
    const LPARAM rightBelow = MAKELPARAM(32767, 1);
    const LPARAM large = MAKELPARAM(0xFFFF, 0x8000); // as a size: 65535 x 32768
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        Call expected;
    };
    const Case cases[] = {
        {WM_DESTROY, 0, 0, {"destroy"}},
        {WM_SIZE, 2, large, {"size", 2, 65535, 32768}},
        {WM_PAINT, 0, 0, {"paint"}},
        {WM_CLOSE, 0, 0, {"close"}},
        {WM_NOTIFY, 1018, 0x1234567, {"notify", 1018, 0x1234567}},
        {WM_KEYDOWN, 'A', 0x001E0001, {"keydown", 'A', 0x001E0001}},
        {WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC02A0001u), {"keyup", VK_SHIFT, 0xC02A0001}},
        {WM_COMMAND, MAKEWPARAM(9000, 0x8003), 0x4242, {"command", 0x8003, 9000, 0x4242}},
        {WM_TIMER, 77, 0, {"timer", 77}},
        {WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, leftAbove, {"mousemove", MK_LBUTTON | MK_SHIFT, -5, -32768}},
        {WM_LBUTTONDOWN, MK_LBUTTON, rightBelow, {"lbuttondown", MK_LBUTTON, 32767, 1}},
        {WM_LBUTTONUP, 0, leftAbove, {"lbuttonup", 0, -5, -32768}},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(-1, -1), {"rbuttondown", MK_RBUTTON, -1, -1}},
        {WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(640, -2), {"rbuttonup", MK_SHIFT, 640, -2}},
    };
    for (const Case& c : cases) {
        RecordingWindow window;
        EXPECT_EQ(window.handleMessage(c.message, c.wParam, c.lParam), 7) << std::hex << c.message;
        ASSERT_EQ(window.calls.size(), 1u) << std::hex << c.message;
        EXPECT_EQ(window.calls[0], c.expected) << std::hex << c.message;
    }
}

TEST(WindowDispatch, MessagesOutsideTheTableAreNotHandled)
{
    for (UINT message : {WM_NULL, WM_CREATE, WM_SETFONT, WM_INITDIALOG, WM_CHAR, WM_HSCROLL, WM_VSCROLL,
                         WM_LBUTTONDBLCLK, WM_MBUTTONDOWN, WM_USER}) {
        RecordingWindow window;
        EXPECT_EQ(window.handleMessage(message, 1, 2), 0) << std::hex << message;
        EXPECT_TRUE(window.calls.empty()) << std::hex << message;
    }
}

TEST(WindowDispatch, PlainWindowDefaults)
{
    Window window;
    EXPECT_EQ(window.status, 0u);
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_FALSE(window.createWindow());
    EXPECT_EQ(window.status, 0x8000000Au);

    // Every handler but the table's gaps swallows its message.
    for (UINT message : {WM_COMMAND, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE,
                         WM_KEYDOWN, WM_KEYUP, WM_TIMER, WM_SIZE, WM_NOTIFY})
        EXPECT_EQ(window.handleMessage(message, 0, 0), 1) << std::hex << message;

    window.hwnd = reinterpret_cast<HWND>(0x1);
    EXPECT_EQ(window.onDestroy(), 1);
    EXPECT_EQ(window.hwnd, nullptr);
}
