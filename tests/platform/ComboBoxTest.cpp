// A long drop-down list reaches Qt's combo box whole, although it learns of the
// entries in one batch; the layer's compact store of entries keeps every text and its
// data whatever is deleted and inserted.
#include <QComboBox>

#include <string>
#include <vector>

#include "TestWindows.h"

using namespace windowtest;

namespace {

using ComboBoxTest = WindowTest;

} // namespace

TEST_F(ComboBoxTest, ALongListShowsInTheQtComboBox)
{
    const HWND cell = GetDlgItem(openDialog(103), 9000);
    char text[8];
    for (int i = 0; i < 16384; ++i) {
        wsprintfA(text, "%d", i);
        ASSERT_EQ(SendMessageA(cell, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)), i);
    }
    EXPECT_EQ(SendMessageA(cell, CB_SETCURSEL, 16383, 0), 16383);
    auto* combo = static_cast<QComboBox*>(widgetOf(cell));
    EXPECT_EQ(combo->count(), 16384);
    EXPECT_EQ(combo->currentText(), QStringLiteral("16383"));
}

TEST_F(ComboBoxTest, EntriesKeepTheirTextsAndDataThroughDeletionsAndInsertions)
{
    // Deletions and insertions all over a long list: every entry is found again from the
    // few places the layer keeps.
    const HWND cell = GetDlgItem(openDialog(103), 9000);
    char text[32];
    std::vector<std::string> expected;
    std::vector<LONG_PTR> expectedData;
    for (int i = 0; i < 6000; ++i) {
        wsprintfA(text, "entry %d", i);
        ASSERT_EQ(SendMessageA(cell, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)), i);
        expected.emplace_back(text);
        expectedData.push_back(i % 3 == 0 ? 0 : 1000 + i);
        if (i % 3 != 0) {
            SendMessageA(cell, CB_SETITEMDATA, static_cast<WPARAM>(i), 1000 + i);
        }
    }
    for (int i = 0; i < 5000; ++i) {
        const int index = (i * 7) % static_cast<int>(expected.size());
        ASSERT_EQ(SendMessageA(cell, CB_DELETESTRING, static_cast<WPARAM>(index), 0),
                  static_cast<LRESULT>(expected.size() - 1));
        expected.erase(expected.begin() + index);
        expectedData.erase(expectedData.begin() + index);
        if (i % 10 == 0) {
            wsprintfA(text, "new %d", i);
            const int at = index / 2;
            ASSERT_EQ(SendMessageA(cell, CB_INSERTSTRING, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text)), at);
            expected.insert(expected.begin() + at, text);
            expectedData.insert(expectedData.begin() + at, 0);
        }
    }
    ASSERT_EQ(SendMessageA(cell, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(expected.size()));
    auto* combo = static_cast<QComboBox*>(widgetOf(cell));
    SendMessageA(cell, CB_SETCURSEL, 0, 0);
    ASSERT_EQ(combo->count(), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto index = static_cast<WPARAM>(i);
        ASSERT_EQ(SendMessageA(cell, CB_GETLBTEXTLEN, index, 0), static_cast<LRESULT>(expected[i].size()));
        ASSERT_EQ(SendMessageA(cell, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text)),
                  static_cast<LRESULT>(expected[i].size()));
        ASSERT_EQ(text, expected[i]) << "entry " << i;
        ASSERT_EQ(SendMessageA(cell, CB_GETITEMDATA, index, 0), expectedData[i]) << "entry " << i;
        ASSERT_EQ(combo->itemText(static_cast<int>(i)).toStdString(), expected[i]) << "entry " << i;
    }
}
