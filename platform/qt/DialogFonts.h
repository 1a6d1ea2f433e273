// The dialog templates name Japanese Windows fonts; these map them onto the
// Japanese Gothic fonts installed here. Call once after the QApplication exists.
#pragma once

namespace win32qt {

void installDialogFonts();

} // namespace win32qt
