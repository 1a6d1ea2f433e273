#include "app/Application.h"

// Exists before the entry point runs, as the one application of the program.
static Application application;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    return application.run(instance, commandLine, showCommand);
}
