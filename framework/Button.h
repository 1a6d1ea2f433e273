#pragma once

#include "framework/Control.h"

// A push button bound by a dialog.
class Button : public Control {};
