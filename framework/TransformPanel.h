#pragma once

#include "framework/Control.h"

class TransformBuffer;

// A panel that shows a transform buffer's place: it paints its whole area in the
// desktop colour, whatever the buffer holds.
class TransformPanel : public Control {
public:
    void setSource(TransformBuffer* buffer) { source = buffer; }

    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    TransformBuffer* source = nullptr;
};
