#include "editor/EditorDialog.h"

// The audition keyboard, the drum map editor and the waveform fine tuning are not
// built yet: their buttons do nothing.
void EditorDialog::runAudition() {}
void EditorDialog::runDrumMapEditor() {}
void EditorDialog::runFineTune() {}
