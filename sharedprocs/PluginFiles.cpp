// PluginFiles.cpp - copying and deleting the plug-in library, deleting the old extension folder.
//
// Each step builds its path in a string of its own from the two directory
// strings, makes exactly one platform call and logs one outcome line.
#include <memory>

#include "Platform.h"
#include "SharedProcs.h"

namespace SharedProcs {

namespace {

const char16_t kPluginFile[] = u"\\npQuillet.dll";
const char16_t kFirefoxPluginFile[] = u"\\plugins\\npQuillet.dll";
const char16_t kExtensionsFolder[] = u"\\extensions\\";
const char16_t kOldExtensionId[] = u"{5D3B7E21-9A4F-4C08-B6E2-3F71C0A94D58}";

}  // namespace

int32_t InstallFirefoxPlugin(const HookContext& context) {
    LogLine(context, "SharedProcs::InstallFirefoxPlugin");
    // Without INSTALLDIR there is no source: a bare "\npQuillet.dll" would be
    // taken from the root of the current drive, where anyone can put a file.
    if (QL_FFPluginDIR.empty()) {
        LogLine(context, "InstallFirefoxPlugin-> Firefox Installation Failed");
        return 0;
    }
    std::u16string source = QL_FFPluginDIR;
    source += kPluginFile;
    int32_t copied = 0;
    {
        const std::u16string destination = FirefoxInstallDIR + kFirefoxPluginFile;
        copied = platform::CopyFileTo(source.c_str(), destination.c_str(), false);
    }
    if (copied == 0) {
        LogLine(context, "InstallFirefoxPlugin-> Firefox Installation Failed");
        return 0;
    }
    LogLine(context, "InstallFirefoxPlugin-> Installation succeeded");
    return 1;
}

int32_t UninstallFirefoxPlugin(const HookContext& context) {
    LogLine(context, "SharedProcs::UninstallFirefoxPlugin");
    std::u16string path = FirefoxInstallDIR;
    path += kFirefoxPluginFile;
    const int32_t deleted = platform::DeleteOneFile(path.c_str());
    LogLine(context, deleted == 1 ? "UninstallFirefoxPlugin-> Done" : "UninstallFirefoxPlugin-> Failed");
    return deleted;
}

int32_t UninstallFirefoxExtn(const HookContext& context) {
    LogLine(context, "SharedProcs::UninstallFirefoxExtn");
    std::u16string path = FirefoxInstallDIR;
    path += kExtensionsFolder;
    path += kOldExtensionId;
    int32_t result = 0;
    {
        // The shell reads a list of paths ended by an empty one: the path,
        // its NUL, and one more NUL.
        const std::size_t n = path.size();
        const std::unique_ptr<char16_t[]> list(new char16_t[n + 2]);
        std::char_traits<char16_t>::copy(list.get(), path.c_str(), n + 1);
        list[n] = u'\0';
        list[n + 1] = u'\0';
        platform::FileOperation request;
        request.ownerWindow = nullptr;
        request.function = platform::kFoDelete;
        request.from = list.get();
        request.to = nullptr;
        request.flags = platform::kFofSilent | platform::kFofNoConfirmation;
        request.anyOperationsAborted = 0;
        request.nameMappings = nullptr;
        request.progressTitle = nullptr;
        result = platform::RunFileOperation(&request);
    }
    if (result != 0) {
        LogLine(context, "UninstallFirefoxExtn-> Failed");
        return 0;
    }
    LogLine(context, "UninstallFirefoxExtn-> Done");
    return 1;
}

}  // namespace SharedProcs
