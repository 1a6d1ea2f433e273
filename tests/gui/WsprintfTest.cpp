// wsprintfA, with which the program writes numbers and names into its lists.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

TEST(Wsprintf, FormatsIntegersTextAndCharacters)
{
    char buffer[1100];
    EXPECT_EQ(wsprintfA(buffer, "%d", 127), 3);
    EXPECT_STREQ(buffer, "127");
    wsprintfA(buffer, "%d|%d|%u", -5, INT_MIN, 4294967295u);
    EXPECT_STREQ(buffer, "-5|-2147483648|4294967295");
    wsprintfA(buffer, "[%5d][%-4d][%05d][%x][%04X]", 42, 7, -42, 255, 0xab);
    EXPECT_STREQ(buffer, "[   42][7   ][-0042][ff][00AB]");
    wsprintfA(buffer, "%s: %c%%", "0: Piano 1", 'x');
    EXPECT_STREQ(buffer, "0: Piano 1: x%");
    // A program name used as the format string comes out as it is.
    wsprintfA(buffer, "127: Gun Shot", 127);
    EXPECT_STREQ(buffer, "127: Gun Shot");
}

TEST(Wsprintf, StopsAt1024CharactersWithTheTerminator)
{
    char buffer[1100];
    std::memset(buffer, 'x', sizeof buffer);
    // (What the count is when the output just fits, Wine and the Qt layer do not agree
    // on; nothing here relies on it.)
    const std::string fits(1023, 'a');
    wsprintfA(buffer, "%s", fits.c_str());
    EXPECT_EQ(std::strlen(buffer), 1023u);
    // What does not fit is cut, and the count says the buffer is full.
    const std::string longText(2000, 'b');
    EXPECT_EQ(wsprintfA(buffer, "%s", longText.c_str()), 1024);
    EXPECT_EQ(std::strlen(buffer), 1023u);
    EXPECT_EQ(buffer[1024], 'x') << "nothing was written past the limit";
}
