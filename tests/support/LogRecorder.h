// LogRecorder.h - a host log callback that keeps every line, for tests.
#pragma once

#include <string>
#include <vector>

#include "qlffhook.h"

// The lines received since the last Clear(), in order. One process-wide
// recorder: the callback is a plain function, as hosts pass it.
struct LogRecorder {
    static std::vector<std::string>& Lines();
    static void Clear();
    static void QLFFHOOK_CALL Callback(const char* line);
};
