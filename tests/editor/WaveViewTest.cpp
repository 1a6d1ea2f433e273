// The waveform as the user sees it in the main window: bars, selection, repetition,
// magnification and scrolling, and the pencil, checked by the colours shown and by the
// samples saved.
#include "EditorFixture.h"

#include <functional>

namespace {

// Tone 0 plays wave 0, whose sample i is sample(i), all `count` of them.
std::unique_ptr<ToneBank> bankWithWave(std::int32_t count, const std::function<int(int)>& sample)
{
    auto bank = std::make_unique<ToneBank>();
    auto block = std::make_shared<WaveBlock>(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        block->samples[static_cast<std::size_t>(i)] = static_cast<std::int8_t>(sample(i));
    bank->appendWave(block);
    ToneRecord tone;
    tone.wave = block;
    tone.sampleCount = count;
    tone.cycleSize = count;
    bank->setInstrumentTone(0, tone);
    return bank;
}

// A sample value that differs from its neighbours, so that a shifted view shows.
int ramp(int i)
{
    return i % 200 - 100;
}

class WaveViewTest : public EditorTest {
protected:
    HWND view() const { return item(IDC_WAVE_VIEW); }

    int viewWidth() const
    {
        RECT client{};
        GetClientRect(view(), &client);
        return client.right;
    }

    // Whether the columns from `x` to `x + width - 1` show value v as a bar of colour
    // `bar` on `background`, judged by the rows at both ends of the bar.
    ::testing::AssertionResult showsColumn(int x, int value, COLORREF bar, COLORREF background, int width = 1) const
    {
        const int top = (127 - value) * 2;
        std::vector<std::pair<int, COLORREF>> rows;
        if (value >= 0) {
            rows = {{top, bar}, {255, bar}, {256, background}, {511, background}};
            if (top > 0)
                rows.push_back({top - 1, background});
        } else {
            rows = {{255, background}, {top, background}, {511, background}};
            if (value < -1)
                rows.push_back({256, bar}), rows.push_back({top - 1, bar});
            else
                rows.push_back({256, background});
        }
        for (int dx = 0; dx < width; ++dx)
            for (const auto& [row, colour] : rows) {
                const COLORREF shown = gui::shownPixel(view(), x + dx, row);
                // Where the dialog's font makes the window shorter than the view, the
                // lowest rows lie outside it and show nothing; the rest must be right.
                if (shown == CLR_INVALID && row > zeroRowsShown)
                    continue;
                if (shown != colour)
                    return ::testing::AssertionFailure()
                           << "column " << x + dx << " row " << row << " shows " << std::hex << shown << " instead of "
                           << colour << " for value " << std::dec << value;
            }
        return ::testing::AssertionSuccess();
    }

    // Rows down to here are always on the screen: the bars above and below the zero line.
    static constexpr int zeroRowsShown = 300;

    std::int8_t sampleOfWave0(int i) const { return inside().bank().waveData(0)->samples[static_cast<std::size_t>(i)]; }

    void rightDrag(int from, int to, bool shift = false)
    {
        gui::mousePress(view(), from, 100, true, shift);
        gui::mouseMove(view(), to, 100);
        gui::mouseRelease(view(), to, 100, true, shift);
        settle();
    }

    // Where the wave's scroll bar has its parts, as the user sees them.
    struct ScrollBarParts {
        RECT client;
        int arrow;      // the width of each arrow
        int thumbRight; // where the thumb ends
    };
    ScrollBarParts scrollBarParts() const
    {
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetScrollBarInfo(item(IDC_WAVE_SCROLL), OBJID_CLIENT, &info));
        ScrollBarParts parts{};
        GetClientRect(item(IDC_WAVE_SCROLL), &parts.client);
        parts.arrow = info.xyThumbTop;
        parts.thumbRight = info.xyThumbBottom;
        return parts;
    }

    void drawAt(int x, int y)
    {
        gui::mousePress(view(), x, y);
        gui::mouseRelease(view(), x, y);
        settle();
    }
};

} // namespace

TEST_F(WaveViewTest, BarsStandOnTheZeroLineAndTheWaveRepeatsInGrayPastItsEnd)
{
    const int samples[] = {127, 0, -1, -128, 64, -64, 1, -2};
    openBank(*bankWithWave(8, [&](int i) { return samples[i]; }));
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(showsColumn(i, samples[i], white, black));
    EXPECT_TRUE(showsColumn(8, samples[0], gray, black));
    EXPECT_TRUE(showsColumn(11, samples[3], gray, black));
    EXPECT_TRUE(showsColumn(8 * 50 + 5, samples[5], gray, black));
}

TEST_F(WaveViewTest, EachMagnificationWidensTheColumns)
{
    openBank(*bankWithWave(300, ramp));
    HWND zoom = item(IDC_ZOOM);
    const int widths[] = {1, 2, 4, 8, 16};
    for (int step = 1; step < 5; ++step) {
        gui::keyClick(zoom, VK_DOWN);
        settle();
        const int width = widths[step];
        for (int sample : {0, 1, 7, 30})
            EXPECT_TRUE(showsColumn(sample * width, ramp(sample), white, black, width)) << "zoom " << width;
    }
}

TEST_F(WaveViewTest, TheRightButtonSelectsFromTheAnchorAndShiftExtendsTheSelection)
{
    openBank(*bankWithWave(100, ramp));
    rightDrag(10, 20);
    EXPECT_EQ(fieldText(IDC_SELECTED_COUNT), "11") << "from the anchor's sample through the pointer's";
    EXPECT_TRUE(showsColumn(9, ramp(9), white, black));
    EXPECT_TRUE(showsColumn(10, ramp(10), selectedBar, gray));
    EXPECT_TRUE(showsColumn(20, ramp(20), selectedBar, gray));
    EXPECT_TRUE(showsColumn(21, ramp(21), white, black));

    rightDrag(30, 25);
    EXPECT_EQ(fieldText(IDC_SELECTED_COUNT), "5") << "from the pointer's sample up to the anchor's";
    EXPECT_TRUE(showsColumn(25, ramp(25), selectedBar, gray));
    EXPECT_TRUE(showsColumn(30, ramp(30), white, black));

    rightDrag(40, 40, true);
    EXPECT_EQ(fieldText(IDC_SELECTED_COUNT), "11") << "Shift goes on from the old anchor, 30";
    EXPECT_TRUE(showsColumn(30, ramp(30), selectedBar, gray));
    EXPECT_TRUE(showsColumn(40, ramp(40), selectedBar, gray));

    gui::mousePress(view(), 60, 100, true);
    gui::mouseMove(view(), 70, 100);
    gui::mouseMove(view(), 60, 100);
    gui::mouseRelease(view(), 60, 100, true);
    settle();
    EXPECT_EQ(fieldText(IDC_SELECTED_COUNT), "0") << "back at the anchor, nothing is selected";

    rightDrag(90, 150);
    EXPECT_EQ(fieldText(IDC_SELECTED_COUNT), "10") << "past the last sample the selection ends with the wave";
    EXPECT_TRUE(showsColumn(99, ramp(99), selectedBar, gray));
    EXPECT_TRUE(showsColumn(100, ramp(0), gray, black));
}

TEST_F(WaveViewTest, DraggingPastAnEdgeScrollsBy64SamplesAMove)
{
    openBank(*bankWithWave(2000, ramp));
    const int width = viewWidth();
    gui::mousePress(view(), 300, 100, true);
    gui::mouseMove(view(), width + 10, 100);
    gui::mouseMove(view(), width + 20, 100);
    settle();
    EXPECT_TRUE(showsColumn(0, ramp(128), white, black)) << "two moves past the right edge";
    gui::mouseMove(view(), -5, 100);
    gui::mouseRelease(view(), 5, 100, true);
    settle();
    EXPECT_TRUE(showsColumn(0, ramp(64), white, black)) << "one move back past the left edge";
    EXPECT_TRUE(showsColumn(5, ramp(69), selectedBar, gray));
    EXPECT_EQ(fieldText(IDC_SELECTED_COUNT), "231") << "from the sample released on up to the anchor, 300";
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(item(IDC_WAVE_SCROLL), SB_CTL, &info);
    EXPECT_EQ(info.nPos, 0) << "the scroll bar is not told";
}

TEST_F(WaveViewTest, TheScrollBarMovesTheWaveByLinesAndPagesAtEveryMagnification)
{
    openBank(*bankWithWave(2000, ramp));
    HWND bar = item(IDC_WAVE_SCROLL);
    const ScrollBarParts parts = scrollBarParts();
    const RECT client = parts.client;
    const int arrow = parts.arrow;
    const int middle = client.bottom / 2;

    gui::quickClick(bar, client.right - arrow / 2, middle);
    settle();
    EXPECT_TRUE(showsColumn(0, ramp(4), white, black)) << "one line";
    gui::quickClick(bar, client.right - arrow - 5, middle);
    settle();
    EXPECT_TRUE(showsColumn(0, ramp(132), white, black)) << "and one page";

    gui::keyClick(item(IDC_ZOOM), VK_DOWN);
    gui::keyClick(item(IDC_ZOOM), VK_DOWN);
    settle();
    gui::quickClick(bar, arrow / 2, middle);
    settle();
    EXPECT_TRUE(showsColumn(0, ramp(128), white, black, 4)) << "a line is 4 samples at zoom 4 too";
}

TEST_F(WaveViewTest, ATonesCountPastItsWaveScrollsAndDrawsOnlyWithinTheWave)
{
    // A file may claim 2^31 - 1 samples of a 256-sample wave; the editor opens it.
    auto bank = bankWithWave(256, [](int) { return 0; });
    ToneRecord tone = bank->getInstrumentTone(0);
    tone.sampleCount = 0x7FFFFFFF;
    bank->setInstrumentTone(0, tone);
    openBank(*bank);

    HWND bar = item(IDC_WAVE_SCROLL);
    const ScrollBarParts parts = scrollBarParts();
    const RECT client = parts.client;
    const int arrow = parts.arrow;
    const int middle = client.bottom / 2;
    // Page after page to the far right, then a line further. (The thumb is never pressed:
    // that enters the system's own tracking loop, which a test cannot end on real Win32.)
    for (int click = 0; click < 8; ++click) {
        const int pageRight = scrollBarParts().thumbRight + 3;
        if (pageRight >= client.right - arrow)
            break;
        gui::quickClick(bar, pageRight, middle);
        settle();
    }
    gui::quickClick(bar, client.right - arrow / 2, middle);
    settle();
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS | SIF_RANGE, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, SB_CTL, &info);
    EXPECT_EQ(info.nMax, 256) << "the range is the wave the view shows";
    EXPECT_EQ(info.nPos, 256);

    // Column 3 is sample 259 of the repeated wave: sample 3.
    drawAt(3, 0);
    rightDrag(10, 20);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(sampleOfWave0(i), i == 3 ? 127 : 0) << i;
    EXPECT_EQ(fieldText(IDC_SELECTED_COUNT), "0") << "a selection past the end selects nothing";
}

TEST_F(WaveViewTest, ThePencilWritesTheValueOfItsRowInTheModeItsListShows)
{
    openBank(*bankWithWave(8, [](int) { return 50; }));
    char mode[16] = {};
    GetWindowTextA(item(IDC_PENCIL_MODE), mode, sizeof mode);
    EXPECT_STREQ(mode, "更新");
    const std::pair<int, int> rowsAndValues[] = {{0, 127}, {1, 127}, {254, 0}, {255, 0}, {256, -1}, {511, -128}};
    int x = 1;
    for (const auto& [row, value] : rowsAndValues) {
        drawAt(x, row);
        EXPECT_EQ(sampleOfWave0(x), value) << "row " << row;
        ++x;
    }
    EXPECT_TRUE(showsColumn(6, -128, white, black));
    drawAt(8 + 7, 200);
    EXPECT_EQ(sampleOfWave0(7), 27) << "past the end the pencil draws on the repeated sample";

    selectInList(IDC_PENCIL_MODE, 0);
    drawAt(7, 236); // 9: quieter than 27
    drawAt(4, 100); // 77: louder than 0
    EXPECT_EQ(sampleOfWave0(7), 27);
    EXPECT_EQ(sampleOfWave0(4), 77);

    selectInList(IDC_PENCIL_MODE, 1);
    drawAt(4, 0);   // 127: louder than 77
    drawAt(7, 300); // -23: quieter than 27
    EXPECT_EQ(sampleOfWave0(4), 77);
    EXPECT_EQ(sampleOfWave0(7), -23);

    // What was drawn is what is saved.
    ToneBank saved;
    saveBank();
    ASSERT_TRUE(saved.loadBank(path("saved.zbk").c_str()));
    EXPECT_EQ(saved.waveData(0)->samples, inside().bank().waveData(0)->samples);
    EXPECT_EQ(saved.waveData(0)->samples[6], -128);
}

TEST_F(WaveViewTest, AStrokeSetsTheSamplesUnderTheReportedPositionsOnly)
{
    openBank(*bankWithWave(100, [](int) { return 0; }));
    gui::mousePress(view(), 10, 54);
    gui::mouseMove(view(), 12, 54);
    gui::mouseMove(view(), 20, 54);
    gui::mouseRelease(view(), 20, 54);
    settle();
    for (int i : {10, 12, 20})
        EXPECT_EQ(sampleOfWave0(i), 100) << i;
    for (int i : {11, 13, 19})
        EXPECT_EQ(sampleOfWave0(i), 0) << i;
}

TEST_F(WaveViewTest, WithoutAWaveTheViewIsBlackAndThePencilAndSelectionDoNothing)
{
    EXPECT_EQ(gui::shownPixel(view(), 10, 100), black);
    EXPECT_EQ(gui::shownPixel(view(), 10, 300), black);
    drawAt(10, 100);
    rightDrag(5, 50);
    EXPECT_EQ(fieldText(IDC_SELECTED_COUNT), "0");
    EXPECT_EQ(gui::shownPixel(view(), 10, 100), black);
}
