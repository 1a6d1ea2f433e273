// Banks and waves to and from files through the File menu and the load button, with
// the common dialogs answered as the user answers them.
#include "EditorFixture.h"

#include "cli/DemoBank.h"
#include "tests/bank/WavFiles.h"
#include "tests/cli/ZbkRun.h"

namespace {

constexpr DWORD openFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES;

class FileCommandsTest : public EditorTest {
protected:
    // The demo bank, as a file the editor did not write.
    std::string demoFile()
    {
        ToneBank demo;
        buildDemoBank(demo);
        EXPECT_TRUE(demo.saveBank(path("demo.zbk").c_str()));
        return path("demo.zbk");
    }

    // An 8-bit mono WAV file of `samples` (unsigned bytes, as the format stores them).
    std::string wavFile(const std::string& name, const Bytes& samples)
    {
        const Bytes bytes = riffWave({chunk("fmt ", formatBody(1, 1, 1, 8)), chunk("data", samples)});
        std::ofstream(pathFromUtf8(path(name)), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }

    void expectOneFileError(const char* text)
    {
        ASSERT_EQ(answers.messageBoxes().size(), 1u);
        const win32test::MessageBoxRecord& box = answers.messageBoxes()[0];
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "ERROR");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_EQ(box.owner, window);
    }
};

} // namespace

TEST_F(FileCommandsTest, EachCommandAsksWithItsPatternExtensionAndFlags)
{
    const std::string bank = demoFile();
    openBankFile(bank);
    saveBank();
    answers.fileName(path("wave.wav"));
    chooseMenu(ID_FILE_EXPORT_WAVE);
    answers.cancelFileDialog();
    clickButton(IDC_LOAD_WAVE);

    const auto& dialogs = answers.fileDialogs();
    ASSERT_EQ(dialogs.size(), 4u);
    const struct {
        bool save;
        const char* pattern;
        const char* extension;
        DWORD flags;
    } expected[] = {
        {false, "*.ZBK", "", openFlags},
        {true, "*.ZBK", "ZBK", OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_OVERWRITEPROMPT},
        {true, "*.WAV", "WAV", OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_OVERWRITEPROMPT},
        {false, "*.WAV", "", openFlags},
    };
    for (std::size_t i = 0; i < dialogs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dialogs[i].save, expected[i].save);
        EXPECT_EQ(dialogs[i].owner, window);
        ASSERT_EQ(dialogs[i].filters.size(), 1u);
        EXPECT_EQ(dialogs[i].filters[0].first, expected[i].pattern);
        EXPECT_EQ(dialogs[i].filters[0].second, expected[i].pattern);
        EXPECT_EQ(dialogs[i].defaultExtension, expected[i].extension);
        EXPECT_EQ(dialogs[i].flags & ~OFN_EXPLORER, expected[i].flags);
    }
    EXPECT_TRUE(answers.messageBoxes().empty());
}

TEST_F(FileCommandsTest, SavingStoresTheFieldsShownFirst)
{
    openBankFile(demoFile());
    selectInList(IDC_TONE_LIST, 40);
    typeInto(IDC_GROUP_NUMBER, "99");
    typeInto(IDC_NR, "-3");
    saveBank();
    ToneBank saved;
    ASSERT_TRUE(saved.loadBank(path("saved.zbk").c_str()));
    EXPECT_EQ(saved.getInstrumentTone(40).groupNumber, 99);
    EXPECT_EQ(saved.getInstrumentTone(40).NR, -3);
}

TEST_F(FileCommandsTest, BanksSavedFromAnEmptyStartANewBankOrTheDemoCheckClean)
{
    // The window's own empty bank, then what the tool writes, each opened and saved.
    saveBank("from-empty.zbk");
    ASSERT_EQ(zbk({"new", path("new.zbk")}).status, 0);
    ASSERT_EQ(zbk({"demo", path("demo-by-tool.zbk")}).status, 0);
    for (const char* name : {"new.zbk", "demo-by-tool.zbk"}) {
        openBankFile(path(name));
        saveBank(std::string("resaved-") + name);
    }
    for (const char* name : {"from-empty.zbk", "resaved-new.zbk", "resaved-demo-by-tool.zbk"}) {
        const ZbkRun check = zbk({"check", path(name)});
        EXPECT_EQ(check.status, 0) << name << "\n" << check.out;
        EXPECT_NE(check.out.find(": no inconsistencies"), std::string::npos) << check.out;
    }
    const ZbkRun empty = zbk({"check", path("from-empty.zbk")});
    EXPECT_NE(empty.out.find("empty (plays nothing): programs without a wave: 0-127\n"), std::string::npos)
        << empty.out;
    EXPECT_NE(empty.out.find("empty (plays nothing): no drum tones: the drum maps play nothing\n"), std::string::npos)
        << empty.out;
}

TEST_F(FileCommandsTest, AFailedOpenIsReportedAndTheWindowGoesOnShowingTheBank)
{
    const std::string bank = demoFile();
    openBankFile(bank);
    selectInList(IDC_TONE_LIST, 24);
    const std::string arShown = fieldText(IDC_AR);
    const int waveShown = selectionOf(IDC_WAVE_LIST);
    HWND view = item(IDC_WAVE_VIEW);
    std::vector<COLORREF> columns;
    for (int x = 1; x < 40; x += 3)
        columns.push_back(gui::shownPixel(view, x, 200));

    std::vector<char> truncated = fileBytes(bank);
    truncated.resize(truncated.size() / 2);
    std::ofstream(pathFromUtf8(path("truncated.zbk")), std::ios::binary)
        .write(truncated.data(), static_cast<std::streamsize>(truncated.size()));
    openBankFile(path("truncated.zbk"));

    expectOneFileError("読み込みに失敗しました");
    EXPECT_EQ(fieldText(IDC_AR), arShown);
    EXPECT_EQ(selectionOf(IDC_WAVE_LIST), waveShown);
    std::size_t i = 0;
    for (int x = 1; x < 40; x += 3)
        EXPECT_EQ(gui::shownPixel(view, x, 200), columns[i++]) << x;
    EXPECT_EQ(saveBank(), fileBytes(bank)) << "the bank is the one opened before";
}

TEST_F(FileCommandsTest, CancellingADialogChangesNothing)
{
    const std::string bank = demoFile();
    openBankFile(bank);
    typeInto(IDC_GROUP_NUMBER, "5");
    answers.cancelFileDialog();
    chooseMenu(ID_FILE_OPEN);
    answers.cancelFileDialog();
    chooseMenu(ID_FILE_EXPORT_WAVE);
    answers.cancelFileDialog();
    clickButton(IDC_LOAD_WAVE);
    EXPECT_EQ(fieldText(IDC_GROUP_NUMBER), "5");
    EXPECT_EQ(inside().bank().getInstrumentTone(0).groupNumber, 0);
    EXPECT_TRUE(answers.messageBoxes().empty());
    EXPECT_EQ(inside().bank().waveCount(), static_cast<std::uint32_t>(demoWaveCount));
}

TEST_F(FileCommandsTest, ExportWritesTheCurrentWaveAndFailsWithoutOne)
{
    answers.fileName(path("nothing.wav"));
    chooseMenu(ID_FILE_EXPORT_WAVE);
    expectOneFileError("書き込みに失敗しました");

    openBankFile(demoFile());
    const int wave = selectionOf(IDC_WAVE_LIST);
    ASSERT_GE(wave, 0);
    answers.fileName(path("current.wav"));
    chooseMenu(ID_FILE_EXPORT_WAVE);
    EXPECT_EQ(answers.messageBoxes().size(), 1u);
    ToneBank reread;
    ASSERT_TRUE(reread.importWav(path("current.wav").c_str()));
    EXPECT_EQ(reread.waveData(0)->samples, inside().bank().waveData(static_cast<std::uint32_t>(wave))->samples);
}

TEST_F(FileCommandsTest, ALoadedWaveBecomesTheCurrentTonesWaveWithItsFullSize)
{
    answers.fileName(wavFile("first.wav", {128, 200, 56, 128, 128, 128}));
    clickButton(IDC_LOAD_WAVE);
    EXPECT_EQ(SendMessageA(item(IDC_WAVE_LIST), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(selectionOf(IDC_WAVE_LIST), 0);
    EXPECT_EQ(selectionOf(IDC_TONE_LIST), 0);
    EXPECT_EQ(fieldText(IDC_SAMPLE_COUNT), "6");
    EXPECT_EQ(inside().bank().findWave(inside().bank().getInstrumentTone(77).wave), 0)
        << "the first wave goes to every tone";
    EXPECT_TRUE(gui::shownPixel(item(IDC_WAVE_VIEW), 1, 200) == white) << "sample 1 is 72";

    answers.fileName(wavFile("second.wav", Bytes(1000, 128)));
    clickButton(IDC_LOAD_WAVE);
    EXPECT_EQ(selectionOf(IDC_WAVE_LIST), 1);
    const ToneRecord current = inside().bank().getInstrumentTone(0);
    EXPECT_EQ(inside().bank().findWave(current.wave), 1);
    EXPECT_EQ(current.sampleCount, 1000);
    EXPECT_EQ(current.cycleSize, 1000);
    EXPECT_EQ(inside().bank().findWave(inside().bank().getInstrumentTone(1).wave), 0);

    saveBank("not-a-wave.zbk"); // a bank file is no WAV file
    answers.fileName(path("not-a-wave.zbk"));
    clickButton(IDC_LOAD_WAVE);
    expectOneFileError("読み込みに失敗しました");
    EXPECT_EQ(inside().bank().waveCount(), 2u);
}
