// LogRecorder.cpp - the recording log callback.
#include "LogRecorder.h"

std::vector<std::string>& LogRecorder::Lines() {
    static std::vector<std::string> lines;
    return lines;
}

void LogRecorder::Clear() { Lines().clear(); }

void QLFFHOOK_CALL LogRecorder::Callback(const char* line) { Lines().emplace_back(line); }
