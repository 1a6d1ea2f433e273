// Dialog boxes made from templates: creation, layout in dialog units, the dialog
// manager's default processing and keyboard navigation of modal dialogs.
#pragma once

#include <QFont>
#include <QSize>

#include "platform/qt/ResourceScript.h"
#include "platform/qt/WindowRecord.h"

namespace win32qt {

// The font a template names, at its point size on a 96 dpi screen.
QFont dialogFont(const DialogTemplate& dialogTemplate);
// The dialog base units of a font: average character width and height in pixels.
QSize dialogBaseUnits(const QFont& font);
// Dialog units to pixels with the given base units.
QRect dialogUnitsToPixels(int x, int y, int cx, int cy, QSize baseUnits);

// Escape and Enter in a modal dialog: the commands IDCANCEL and the default button.
// True when the key was the dialog's.
bool handleDialogKey(Window& window, UINT virtualKey);
// Whether the window's dialog has the system's keyboard navigation (modal dialogs).
bool dialogNavigates(Window& window);

} // namespace win32qt
