// RecordingPlatform.cpp - the recording platform: every call noted, results from the scripted machine.
#include "RecordingPlatform.h"

#include <cstring>

#include "posix/Unicode.h"

namespace recording {

Machine& State() {
    static Machine machine;
    return machine;
}

void Reset() { State() = Machine(); }

std::vector<std::string> PlatformCalls() {
    std::vector<std::string> names;
    for (const Call& call : State().calls) {
        if (call.function != "Log") names.emplace_back(call.function);
    }
    return names;
}

void LogIntoCalls(const char* line) {
    Call call;
    call.function = "Log";
    call.line = line;
    State().calls.push_back(call);
}

void SetText(const std::u16string& key, const std::u16string& name, const std::u16string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    State().registry[key][name] = bytes;
}

}  // namespace recording

namespace platform {

struct RegistryKeyRecord {
    std::u16string path;
};

namespace {

recording::Call& Record(const char* function) {
    recording::State().calls.emplace_back();
    recording::State().calls.back().function = function;
    return recording::State().calls.back();
}

std::u16string Text(const char16_t* text) { return text != nullptr ? std::u16string(text) : std::u16string(); }

}  // namespace

int32_t OpenRegistryKey(RegistryRoot, const char16_t* subKey, uint32_t options, uint32_t access,
                        RegistryKey* key) {
    recording::Call& call = Record("OpenRegistryKey");
    call.first = Text(subKey);
    call.options = options;
    call.access = access;
    *key = nullptr;
    if (recording::State().registry.count(call.first) == 0) return kErrorFileNotFound;
    *key = new RegistryKeyRecord{call.first};
    ++recording::State().openKeys;
    return kErrorSuccess;
}

int32_t QueryRegistryValue(RegistryKey key, const char16_t* valueName, uint32_t* type, void* data, uint32_t* size) {
    recording::Call& call = Record("QueryRegistryValue");
    call.first = Text(valueName);
    call.typeIn = type != nullptr ? *type : 0;
    call.sizeIn = size != nullptr ? *size : 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    call.bufferCleared = bytes != nullptr;
    for (int i = 0; bytes != nullptr && i < 260; ++i) call.bufferCleared = call.bufferCleared && bytes[i] == 0;

    const auto& values = recording::State().registry[key->path];
    const auto found = values.find(call.first);
    if (found == values.end()) return kErrorFileNotFound;
    if (type != nullptr) *type = kRegSz;
    const uint32_t length = static_cast<uint32_t>(found->second.size());
    const uint32_t capacity = *size;
    *size = length;
    if (length > capacity) return kErrorMoreData;
    if (length > 0) std::memcpy(data, found->second.data(), length);
    return kErrorSuccess;
}

int32_t CloseRegistryKey(RegistryKey key) {
    // Keys are closed by destructors: nothing here may throw, so nothing is copied.
    Record("CloseRegistryKey");
    if (key == nullptr) return kErrorInvalidParameter;
    --recording::State().openKeys;
    delete key;
    return kErrorSuccess;
}

int32_t CopyFileTo(const char16_t* source, const char16_t* target, bool failIfExists) {
    recording::Call& call = Record("CopyFileTo");
    call.first = Text(source);
    call.second = Text(target);
    call.failIfExists = failIfExists;
    return recording::State().copyResult;
}

int32_t DeleteOneFile(const char16_t* path) {
    Record("DeleteOneFile").first = Text(path);
    return recording::State().deleteResult;
}

int32_t RunFileOperation(FileOperation* operation) {
    recording::Call& call = Record("RunFileOperation");
    call.request = *operation;
    // The list runs up to its first empty entry: two NULs in a row.
    const char16_t* from = operation->from;
    std::size_t length = 0;
    while (from != nullptr && !(from[length] == u'\0' && (length == 0 || from[length - 1] == u'\0'))) ++length;
    if (from != nullptr) call.deletionList.assign(from, length + 1);
    if (!call.deletionList.empty()) call.first = call.deletionList.c_str();
    return recording::State().fileOperationResult;
}

int32_t MultiByteToWide(uint32_t codePage, uint32_t flags, const char* input, int32_t inputBytes, char16_t* output,
                        int32_t outputUnits) {
    recording::Call& call = Record("MultiByteToWide");
    call.codePage = codePage;
    call.flags = flags;
    call.inputLength = inputBytes;
    const std::u16string wide = posix::DecodeUtf8(input, static_cast<std::size_t>(inputBytes));
    if (outputUnits == 0) return static_cast<int32_t>(wide.size());
    if (wide.size() > static_cast<std::size_t>(outputUnits)) return 0;
    std::memcpy(output, wide.data(), wide.size() * sizeof(char16_t));
    return static_cast<int32_t>(wide.size());
}

// Plain ASCII stays; everything else becomes '?'.
int32_t WideToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* input, int32_t inputUnits, char* output,
                        int32_t outputBytes, const char*, int32_t*) {
    recording::Call& call = Record("WideToMultiByte");
    call.codePage = codePage;
    call.flags = flags;
    call.inputLength = inputUnits;
    const std::size_t units =
        inputUnits == -1 ? std::char_traits<char16_t>::length(input) + 1 : static_cast<std::size_t>(inputUnits);
    std::string narrow;
    for (std::size_t i = 0; i < units; ++i) narrow.push_back(input[i] < 0x80 ? static_cast<char>(input[i]) : '?');
    if (outputBytes == 0) return static_cast<int32_t>(narrow.size());
    if (narrow.size() > static_cast<std::size_t>(outputBytes)) return 0;
    std::memcpy(output, narrow.data(), narrow.size());
    return static_cast<int32_t>(narrow.size());
}

}  // namespace platform
