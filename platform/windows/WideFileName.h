#pragma once

#include <string>

// Every file name the program hands to `File` is UTF-8. Windows' own file calls take
// such a name only as UTF-16, whatever the system's code page; this is that UTF-16.
// A name that is not valid UTF-8 gives an empty name, which no file call accepts.
std::wstring wideFileName(const std::string& utf8);
