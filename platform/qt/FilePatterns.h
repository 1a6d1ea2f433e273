// The file dialogs' filter patterns ("*.ZBK;*.zbk"), which on Windows match names
// whatever their letter case, in the form of Qt's name filters.
#pragma once

#include <QString>

#include <string>

namespace win32qt {

// "*.ZBK" becomes "*.[zZ][bB][kK]", so that it also finds bank.zbk on a file system
// that tells the cases apart.
QString caselessPattern(const QString& pattern);

// A Qt name filter "description (patterns)" from one entry of an OPENFILENAME filter.
QString qtNameFilter(const std::string& description, const std::string& patterns);

} // namespace win32qt
