// Lets a test stand in for the user at message boxes and common file dialogs.
//
// While a DialogAnswers object lives, MessageBoxA, GetOpenFileNameA and
// GetSaveFileNameA show nothing: each takes the next queued answer and records what
// it was asked (owner, texts, caption, style, filter, default extension, flags).
// A message box with no queued answer takes its default button; a file dialog with
// no queued answer is cancelled. Only one DialogAnswers may live at a time.
//
// A file name answer is what the user typed or picked; the dialog then behaves as it
// would with it: the default extension is added to a name without one, a missing file
// is refused when the file must exist, and an existing file asks the overwrite
// question when OFN_OVERWRITEPROMPT is set (that question is a message box that takes
// the next message-box answer; No goes on to the next file name answer).
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
