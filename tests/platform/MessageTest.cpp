// The message queue over Qt's event loop: GetMessageA turns Qt's loop while it waits,
// and posted messages are delivered while only Qt's loop runs (the messages
// themselves are checked on both window layers with the window tests).
#include "TestWindows.h"

using namespace windowtest;

namespace {

class MessageTest : public WindowTest {};

constexpr UINT testMessage = WM_APP + 7;

} // namespace

TEST_F(MessageTest, GetMessageWaitsForAMessagePostedLaterFromTheEventLoop)
{
    const HWND dialog = openDialog(104);
    QTimer::singleShot(20, [dialog] { PostMessageA(dialog, testMessage, 9, 0); });
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, static_cast<UINT>(testMessage));
    EXPECT_EQ(msg.wParam, 9u);
}

TEST_F(MessageTest, PostedMessagesReachTheirWindowWhileOnlyQtsLoopRuns)
{
    const HWND dialog = openDialog(104);
    clearLog();
    PostMessageA(dialog, testMessage, 1, 0);
    PostMessageA(dialog, testMessage, 2, 0);
    QTest::qWait(20);
    const auto seen = logged({testMessage});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].wParam, 1u);
    EXPECT_EQ(seen[1].wParam, 2u);
}
