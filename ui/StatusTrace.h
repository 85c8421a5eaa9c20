#pragma once

#include <QString>

// A diagnostic for scripts that drive the program: the texts of status panels and message
// boxes, each as one line "kind: text" (line breaks as spaces). With TOLVANE_STATUS_TRACE set
// in the environment the lines go to stderr; with TOLVANE_STATUS_TRACE_FILE naming a file they
// are appended to it instead (a Windows window program has no stderr a driver could read).
// Nothing is written when neither is set.
void TraceStatusLine(const char* kind, const QString& text);
