#include "tests/support/ExitStatus.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The editor started where there is no display to show it: with none named, and with
// one named that cannot be reached (Qt's own warnings may come first then). Either way
// the advice and status 1, never Qt's abort (which runCommand reports as -1).
TEST(NoDisplay, TheEditorSaysWhatItNeedsAndExitsWithStatusOne)
{
    TempDir dir;
    const std::string output = dir.file("stderr.txt");
    const std::string program = ZBKEDIT_PATH;
    const std::string advice = "zbkedit: the editor needs a display: start it in a desktop session or under "
                               "xvfb-run (xvfb-run -a zbkedit); for work without a screen use zbk (zbk --help)\n";
    for (const std::string display : {"-u DISPLAY", "DISPLAY=:9317"}) {
        const std::string command = "cd " + dir.file("") + " && env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY " + display +
                                    " " + program + " 2> " + output;
        EXPECT_EQ(runCommand(command), 1) << display;
        const auto bytes = readBytes(output);
        const std::string message(bytes.begin(), bytes.end());
        if (display == "-u DISPLAY")
            EXPECT_EQ(message, advice);
        else
            EXPECT_NE(message.find(advice), std::string::npos) << message;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"stderr.txt"}) << "no core file";
    }
}

TEST(NoDisplay, TheEditorGivesItsVersionWithoutOne)
{
    TempDir dir;
    const std::string output = dir.file("stdout.txt");
    const std::string command =
        std::string("env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY ") + ZBKEDIT_PATH + " --version > " + output;
    ASSERT_EQ(runCommand(command), 0);
    const auto bytes = readBytes(output);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string("zbkedit ") + ZBK_VERSION + "\n");
}

} // namespace
