#pragma once

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

// Runs `command` through the system's shell and gives the exit status of the program
// it ran (-1 if it did not end by itself). POSIX shells wrap that status in what
// std::system returns; on Windows it is returned as it is.
inline int runCommand(const std::string& command)
{
    const int result = std::system(command.c_str());
#ifdef _WIN32
    return result;
#else
    return result != -1 && WIFEXITED(result) ? WEXITSTATUS(result) : -1;
#endif
}
