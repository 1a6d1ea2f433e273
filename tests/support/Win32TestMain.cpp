// main() for GoogleTest programs that drive real windows on Windows: the common
// controls registered once, as the program does before its first window.
#include <gtest/gtest.h>

#include "platform/win32.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    return RUN_ALL_TESTS();
}
