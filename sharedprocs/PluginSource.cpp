// PluginSource.cpp - where the product keeps the plug-in library that goes into Firefox.
#include "SharedProcs.h"

namespace SharedProcs {

namespace {

const char16_t kPluginSubPath[] = u"\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin";

}  // namespace

void GetQL_FFPluginDIR(const HookContext& context) {
    LogLine(context, "SharedProcs::GetQL_FFPluginDIR");
    const char* installDir = nullptr;
    if (!context.GetProperty("INSTALLDIR", &installDir) || installDir == nullptr) {
        // No directory from an earlier call may stand in for the missing one:
        // the copy would take its source from wherever that pointed.
        QL_FFPluginDIR.clear();
        LogLine(context, "GetQL_FFPluginDIR->INSTALLDIR property not found");
        return;
    }
    std::u16string directory = Utf8ToWide(std::string(installDir));
    directory += kPluginSubPath;
    QL_FFPluginDIR.swap(directory);
    LogLine(context, "GetQL_FFPluginDIR->Source Files are at:" + WideToAnsi(QL_FFPluginDIR));
}

}  // namespace SharedProcs
