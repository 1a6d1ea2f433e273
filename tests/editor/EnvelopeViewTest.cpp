// The envelope curve as the user sees it after typing the rates and levels and pressing
// the envelope button.
#include "EditorFixture.h"

namespace {

class EnvelopeViewTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        selectInList(IDC_TONE_LIST, 0);
        HWND envelope = item(IDC_ENVELOPE_VIEW);
        RECT client{};
        GetClientRect(envelope, &client);
        width = client.right;
        height = client.bottom;
        ASSERT_GT(width, 100);
        ASSERT_GT(height, 10);
    }

    void showEnvelope(std::initializer_list<std::pair<int, const char*>> fields)
    {
        for (const auto& [id, value] : fields)
            typeInto(id, value);
        clickButton(IDC_UPDATE_ENVELOPE);
    }

    COLORREF pixel(int x, int y) const { return gui::shownPixel(item(IDC_ENVELOPE_VIEW), x, y); }

    // The first row of column x that is white (the column is black above it and white
    // below), or the height when the column is all black.
    int whiteFrom(int x) const
    {
        for (int y = 0; y < height; ++y) {
            const COLORREF shown = pixel(x, y);
            if (shown == white) {
                for (int below = y; below < height; ++below)
                    EXPECT_EQ(pixel(x, below), white) << "column " << x << " row " << below;
                return y;
            }
            // Anything but black above the curve is a view that did not paint.
            EXPECT_EQ(shown, black) << "column " << x << " row " << y;
            if (shown != black)
                return -1;
        }
        return height;
    }

    int width = 0;
    int height = 0;
};

} // namespace

TEST_F(EnvelopeViewTest, WithoutAnAttackTheViewIsBlack)
{
    showEnvelope({{IDC_AR, "0"}, {IDC_DL, "8323072"}});
    for (int x : {0, width / 2, width - 1})
        EXPECT_EQ(whiteFrom(x), height) << x;
}

TEST_F(EnvelopeViewTest, AnAttackAboveItsLevelEndsAtOnceAndAFlatDecayHoldsTheLevel)
{
    showEnvelope({{IDC_AR, "8323072"}, {IDC_DL, "8323072"}, {IDC_DR, "0"}});
    for (int x : {0, 1, width / 2, width - 1})
        EXPECT_EQ(whiteFrom(x), 0) << x;
}

TEST_F(EnvelopeViewTest, ALinearDecayFallsOverItsColumnsAndTheViewIsBlackOnceItEnds)
{
    // From full level to 0 in 2048 ticks: eight columns of 256 ticks.
    showEnvelope({{IDC_AR, "8323072"},
                  {IDC_DL, "8323072"},
                  {IDC_DR, "4064"},
                  {IDC_NL, "0"},
                  {IDC_NR, "1"},
                  {IDC_SL, "0"},
                  {IDC_SR, "1"}});
    for (int column = 0; column < 7; ++column) {
        // The attack takes the first tick; after it the level falls 1/2048 a tick.
        const double fallen = (255.0 + 256.0 * column) / 2048.0;
        EXPECT_NEAR(whiteFrom(column), height * fallen, 1.0) << "column " << column;
    }
    for (int column : {8, 9, 100, width - 1})
        EXPECT_EQ(whiteFrom(column), height) << "column " << column;
}

TEST_F(EnvelopeViewTest, ANegativeRateRisesAndALevelAboveFullFillsTheColumn)
{
    // Half level at once, then a first "decay" upwards to twice full level in 12 columns.
    showEnvelope({{IDC_AR, "4161536"}, {IDC_DL, "4161536"}, {IDC_DR, "-4064"}, {IDC_NL, "16646144"}, {IDC_NR, "0"}});
    EXPECT_NEAR(whiteFrom(0), height / 2.0 - height * 255.0 / 2048.0, 1.0);
    EXPECT_GT(whiteFrom(0), whiteFrom(2));
    for (int column : {20, width - 1})
        EXPECT_EQ(whiteFrom(column), 0) << "a level above full fills column " << column;
}
