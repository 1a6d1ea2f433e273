#include "GuiDriver.h"

#include "framework/ModelessDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int mainTemplate = 101;
constexpr int attackRate = 1002;      // number edit, unsigned
constexpr int decayRate = 1003;       // edit, signed
constexpr int sustainRate = 1005;     // edit without the digits-only style, read unsigned
constexpr int targetAmplitude = 1033; // number edit

class DlgItemInt : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.open(nullptr, mainTemplate));
        ASSERT_NE(dialog.hwnd, nullptr);
    }
    void TearDown() override
    {
        if (dialog.hwnd != nullptr)
            DestroyWindow(dialog.hwnd);
    }
    std::string text(int id)
    {
        char buffer[64] = {};
        GetDlgItemTextA(dialog.hwnd, id, buffer, sizeof buffer);
        return buffer;
    }
    // The value and whether it was a number.
    std::pair<UINT, BOOL> read(int id, BOOL isSigned)
    {
        BOOL translated = -1;
        const UINT value = GetDlgItemInt(dialog.hwnd, id, &translated, isSigned);
        return {value, translated};
    }
    void typeInto(int id, const char* typed)
    {
        HWND edit = GetDlgItem(dialog.hwnd, id);
        SetDlgItemTextA(dialog.hwnd, id, "");
        SetFocus(edit);
        gui::typeText(edit, typed);
    }

    ModelessDialog dialog;
};

} // namespace

TEST_F(DlgItemInt, UnsignedValuesRoundTripThroughTheirText)
{
    const struct {
        UINT value;
        const char* shown;
    } cases[] = {
        {0, "0"},
        {127, "127"},
        {0x7F0000, "8323072"},
        {2147483648u, "2147483648"},
        {0xFFFFFFFFu, "4294967295"}, // -1 in an unsigned field
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetDlgItemInt(dialog.hwnd, attackRate, c.value, FALSE));
        EXPECT_EQ(text(attackRate), c.shown);
        EXPECT_EQ(read(attackRate, FALSE), std::make_pair(c.value, TRUE)) << c.shown;
    }
}

TEST_F(DlgItemInt, SignedValuesRoundTripThroughTheirText)
{
    const struct {
        int value;
        const char* shown;
    } cases[] = {
        {-65536, "-65536"}, {-1, "-1"}, {0, "0"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetDlgItemInt(dialog.hwnd, decayRate, static_cast<UINT>(c.value), TRUE));
        EXPECT_EQ(text(decayRate), c.shown);
        EXPECT_EQ(read(decayRate, TRUE), std::make_pair(static_cast<UINT>(c.value), TRUE)) << c.shown;
    }
}

TEST_F(DlgItemInt, TypedTextReadsAsTheUserMeantIt)
{
    typeInto(decayRate, "-42");
    EXPECT_EQ(read(decayRate, TRUE), std::make_pair(static_cast<UINT>(-42), TRUE));

    // A digits-only edit keeps only the digits.
    typeInto(targetAmplitude, "1a2-3");
    EXPECT_EQ(text(targetAmplitude), "123");
    EXPECT_EQ(read(targetAmplitude, FALSE), std::make_pair(123u, TRUE));

    // Text that is no number reads as 0, and says so.
    typeInto(sustainRate, "abc");
    EXPECT_EQ(text(sustainRate), "abc");
    EXPECT_EQ(read(sustainRate, FALSE), std::make_pair(0u, FALSE));
}

TEST_F(DlgItemInt, ReadsWholeDecimalNumbersOnly)
{
    const struct {
        const char* text;
        BOOL isSigned;
        UINT value;
        BOOL translated;
    } readings[] = {
        {"123", FALSE, 123, TRUE},
        {"  42  ", FALSE, 42, TRUE},
        {"0", TRUE, 0, TRUE},
        {"-5", TRUE, static_cast<UINT>(-5), TRUE},
        {"-2147483648", TRUE, 0x80000000u, TRUE},
        {"2147483647", TRUE, 2147483647u, TRUE},
        {"4294967295", FALSE, 4294967295u, TRUE},
        {"abc", TRUE, 0, FALSE},
        {"", FALSE, 0, FALSE},
        {"-", TRUE, 0, FALSE},
    };
    for (const auto& reading : readings) {
        ASSERT_TRUE(SetDlgItemTextA(dialog.hwnd, sustainRate, reading.text));
        EXPECT_EQ(read(sustainRate, reading.isSigned), std::make_pair(reading.value, reading.translated))
            << '"' << reading.text << '"';
        EXPECT_EQ(GetDlgItemInt(dialog.hwnd, sustainRate, nullptr, reading.isSigned), reading.value)
            << '"' << reading.text << '"';
    }
    // No such item: no number.
    EXPECT_EQ(read(4444, FALSE), std::make_pair(0u, FALSE));
}

TEST_F(DlgItemInt, StaticsAndDropDownListsReadAsTheirText)
{
    SetDlgItemInt(dialog.hwnd, 1019, 65536, FALSE);
    EXPECT_EQ(read(1019, FALSE), std::make_pair(65536u, TRUE));
    const HWND zoom = GetDlgItem(dialog.hwnd, 1037);
    for (const char* entry : {"1", "2", "4", "8", "16"})
        SendMessageA(zoom, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(read(1037, FALSE), std::make_pair(0u, FALSE)) << "nothing selected is no number";
    SendMessageA(zoom, CB_SETCURSEL, 4, 0);
    EXPECT_EQ(read(1037, FALSE), std::make_pair(16u, TRUE));
}
