#pragma once
// The installer window's log: its list (LogList), the caret following each
// step with a 10 ms pause, a held file asked about with a box.
#include "app/install/LogSink.h"

const LogSink& WindowLogSink();
// Shows the lines added since the last step, the caret left where it is.
void WindowLogShow();
