// The waveform fine tuning: its unfinished window, the transform it takes on opening,
// and OK and Cancel that only close it.
#include "SubDialogRig.h"

#include "editor/EditorTestAccess.h"
#include "editor/WaveTuneDialog.h"
#include "resources/resource.h"

#include <cmath>
#include <numbers>
#include <vector>

TEST(WaveTuneDialog, ShowsItsUnfinishedWindowTakesTheTransformAndOkOrCancelOnlyClose)
{
    // A cosine that the orthonormal transform puts into bin 3 alone, at 100 x sqrt(N / 2).
    constexpr int size = 64;
    std::vector<std::int8_t> samples(size);
    for (int n = 0; n < size; ++n)
        samples[n] =
            static_cast<std::int8_t>(std::lround(100 * std::cos(std::numbers::pi * 3 * (2 * n + 1) / (2 * size))));
    const std::vector<std::int8_t> before = samples;

    for (int button : {IDOK, IDCANCEL}) {
        WaveTuneDialog dialog;
        HWND shown = nullptr;
        ASSERT_TRUE(whileOpen([&] { dialog.run(nullptr, samples.data(), size); },
                              [&](HWND window) {
                                  shown = window;
                                  EXPECT_EQ(shownText(window), "波形微調整");
                                  for (int peak : {IDC_TUNE_PEAK_1ST, IDC_TUNE_PEAK_2ND, IDC_TUNE_PEAK_3RD})
                                      EXPECT_EQ(shownText(GetDlgItem(window, peak)), "0");
                                  for (int panel : {IDC_TUNE_SPECTRUM, IDC_TUNE_OUTLINE}) {
                                      RECT area;
                                      GetClientRect(GetDlgItem(window, panel), &area);
                                      EXPECT_EQ(
                                          gui::shownPixel(GetDlgItem(window, panel), area.right / 2, area.bottom / 2),
                                          GetSysColor(COLOR_BACKGROUND))
                                          << "panel " << panel << " shows the desktop colour";
                                  }
                                  gui::click(GetDlgItem(window, button));
                              }));
        EXPECT_FALSE(IsWindow(shown)) << "button " << button << " closes the window";
        // Rounding the samples to whole numbers moves each bin by at most 0.5 x sqrt(N).
        ForwardDctBuffer& spectrum = WaveTuneDialog::TestAccess(dialog).spectrum();
        for (int k = 0; k < size; ++k) {
            const double expected = k == 3 ? 100 * std::sqrt(size / 2.0) : 0.0;
            EXPECT_NEAR(spectrum.getOutput(k), expected, 4.0) << "bin " << k;
        }
        EXPECT_EQ(samples, before);
    }
}
