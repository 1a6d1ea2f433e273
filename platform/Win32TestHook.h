// Lets a test stand in for the user at message boxes and common file dialogs.
//
// While a DialogAnswers object lives, MessageBoxA, GetOpenFileNameA and
// GetSaveFileNameA take the next queued answer and record what they were asked (owner,
// texts, caption, style, filter, default extension, flags) and what they returned. A
// message box with no queued answer takes its default button; a file dialog with no
// queued answer is cancelled. Only one DialogAnswers may live at a time, and only in
// the thread that shows the dialogs.
//
// A file name answer is what the user typed or picked; the dialog then behaves as it
// would with it: the default extension is added to a name without one, a missing file
// is refused with a notice when the file must exist, and an existing file asks the
// overwrite question when OFN_OVERWRITEPROMPT is set. That notice and that question
// are message boxes that take the next message-box answer (or their default button)
// and are recorded among the message boxes; after them the dialog goes on to the next
// file name answer.
//
// On the Qt layer nothing is shown: the functions answer at once and the layer itself
// plays the dialog's part. On Windows the system's own dialogs come up and are answered
// as soon as they are on the screen (the queued button pressed, the file name typed and
// Open/Save pressed, or Cancel); what happens to the answer is the system's doing. The
// texts of the notice and the question are then the system's own, and a message box
// the system shows by itself is recorded with the type its buttons show (no icon) and
// a missing caption as the box showed it; file dialogs without a title record the one
// they showed.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"

namespace win32test {

struct MessageBoxRecord {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
    int answer = 0;
    bool answered = false; // false: no answer was queued, the default button was taken
};

struct FileDialogRecord {
    bool save = false;
    HWND owner = nullptr;
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters; // description, pattern
    std::string defaultExtension;
    DWORD flags = 0;
    std::string result; // the full path returned, empty when cancelled
};

class DialogAnswers {
public:
    DialogAnswers();
    ~DialogAnswers();
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;

    // Queues the button (IDOK, IDYES, IDNO, ...) for the next message box.
    DialogAnswers& messageBox(int answer);
    // Queues a file name typed or chosen in the next file dialog.
    DialogAnswers& fileName(std::string path);
    // Queues the Cancel button of the next file dialog.
    DialogAnswers& cancelFileDialog();

    const std::vector<MessageBoxRecord>& messageBoxes() const;
    const std::vector<FileDialogRecord>& fileDialogs() const;
    // Answers queued but not used yet.
    std::size_t pending() const;
};

} // namespace win32test
