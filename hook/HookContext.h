// HookContext.h - the record of one phase call, through which all work reaches the host.
//
// Built by the phase entry point from its five arguments and passed by
// reference to the phase handler and every operation below it. It owns
// nothing: the property map and the callback are the host's, borrowed for the
// duration of the call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qlffhook.h"

struct HookContext {
    const PropertyEntry* PropertyMap;  // may be null
    int32_t EntryMode;                 // read only by the dispatch
    int32_t InstallMode;               // read only by the dispatch
    uintptr_t Reserved;                // the host's fourth argument; never read
    ::LogCallback LogCallback;         // may be null

    // Hands `text` to the host's callback as it is; does nothing without one.
    void Log(const char* text) const;

    // Looks `name` up in the property map, exactly and case-sensitively. On a
    // match stores the host's own value pointer in *value and returns true;
    // otherwise returns false and leaves *value as it was.
    bool GetProperty(const char* name, const char** value) const;
};

// A 32-bit host lays the arguments out as five 32-bit fields.
static_assert(sizeof(void*) != 4 || (sizeof(HookContext) == 20 && offsetof(HookContext, PropertyMap) == 0 &&
                                     offsetof(HookContext, EntryMode) == 4 &&
                                     offsetof(HookContext, InstallMode) == 8 &&
                                     offsetof(HookContext, Reserved) == 12 &&
                                     offsetof(HookContext, LogCallback) == 16),
              "HookContext must be five 32-bit fields on a 32-bit host");
static_assert(sizeof(void*) != 4 || (sizeof(PropertyEntry) == 8 && offsetof(PropertyEntry, Value) == 4),
              "PropertyEntry must be two 32-bit pointers on a 32-bit host");
