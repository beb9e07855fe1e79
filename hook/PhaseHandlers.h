// PhaseHandlers.h - the dispatch of an install mode and phase to one of fifteen handlers.
#pragma once

#include <cstdint>

#include "HookContext.h"

// Logs and returns 3 for an unsupported install mode, 4 for an unsupported
// phase; otherwise runs the handler for the pair and returns its result (0).
int32_t DispatchPhase(const HookContext& context);
