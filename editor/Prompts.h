// The kinds of message box the editor shows, each owned by the window it names.
#pragma once

#include "editor/MessageTexts.h"
#include "platform/win32.h"

// A question with Yes and No; true unless the answer is No.
inline bool confirm(HWND owner, const char* question)
{
    return MessageBoxA(owner, question, text::confirmCaption, MB_YESNO | MB_ICONQUESTION) != IDNO;
}

// A question before something that takes long, with Yes and No; true unless the
// answer is No.
inline bool confirmLongWork(HWND owner, const char* question)
{
    return MessageBoxA(owner, question, text::confirmCaption, MB_YESNO | MB_ICONINFORMATION) != IDNO;
}

// An error the user caused or can mend; the command stops.
inline void showError(HWND owner, const char* message)
{
    MessageBoxA(owner, message, text::errorCaption, MB_ICONWARNING);
}

// A file that could not be read or written.
inline void showFileError(HWND owner, const char* message)
{
    MessageBoxA(owner, message, text::fileErrorCaption, MB_ICONWARNING);
}

// Something done that the user should know of.
inline void showReport(HWND owner, const char* message)
{
    MessageBoxA(owner, message, text::reportCaption, MB_ICONINFORMATION);
}
