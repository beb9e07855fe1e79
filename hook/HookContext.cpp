// HookContext.cpp - log forwarding and property lookup for one phase call.
#include "HookContext.h"

#include <cstring>

void HookContext::Log(const char* text) const {
    if (LogCallback != nullptr) {
        LogCallback(text);
    }
}

bool HookContext::GetProperty(const char* name, const char** value) const {
    if (name == nullptr) {
        Log("NULL pointer passed as property name.");
        return false;
    }
    if (value == nullptr) {
        Log("NULL pointer passed for property name.");
        return false;
    }
    if (PropertyMap == nullptr) {
        Log("Property map is not initialized.");
        return false;
    }
    for (const PropertyEntry* entry = PropertyMap; entry->Name != nullptr; ++entry) {
        if (std::strcmp(entry->Name, name) == 0) {
            *value = entry->Value;
            return true;
        }
    }
    return false;
}
