// main() of a program whose entry point is WinMain, on the Qt layer: Qt starts, the
// dialog fonts are installed, and WinMain gets the module handle, the command line
// after the program name, and SW_SHOWDEFAULT.
#include <QApplication>

#include <string>

#include "platform/qt/DialogFonts.h"
#include "platform/win32.h"

int main(int argc, char** argv)
{
  QApplication application(argc, argv);
  win32qt::installDialogFonts();

  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) {
      commandLine += ' ';
    }
    commandLine += argv[i];
  }
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
