#pragma once
// The platform widget and rendering tests run on: offscreen, unless QT_QPA_PLATFORM names
// another. The Windows build's Qt has no offscreen platform, and Wine keeps QT_* variables to
// itself, so there the default one (windows) serves: asking for offscreen would end the test
// program in a fatal error (under Wine, a crash dialog nobody closes).
#include <QtGlobal>

inline void UseTestPlatform() {
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
}
