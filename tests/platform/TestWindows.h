// Windows for the tests of what the Qt layer alone decides: the recording windows of
// the window tests, and the widget that stands for a window handle.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "RecordingWindows.h"
#include "platform/win32.h"

namespace windowtest {

using namespace recording;

QWidget* widgetOf(HWND hwnd);

} // namespace windowtest
