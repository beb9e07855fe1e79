// scenario_test.cpp - whole phases through the exported entry point, on a machine set up for each case.
//
// Natively the machine is a fresh machine folder for the platform emulation;
// under Wine it is the private prefix's registry and drive. One table, both
// platforms: the exact log lines, the results and the files left behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "LogRecorder.h"
#include "Platform.h"
#include "TestMachine.h"
#include "qlffhook.h"

namespace {

using Lines = std::vector<std::string>;

const std::string P = "QL FF Plugin Custom Hook: ";
const std::u16string kAppPaths = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe";
const std::u16string kMozilla = u"SOFTWARE\\Mozilla\\Mozilla Firefox";
const std::u16string kSubPath = u"\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin";
const std::u16string kExtensionId = u"{5D3B7E21-9A4F-4C08-B6E2-3F71C0A94D58}";

// The thread code page's rendering of a directory, as the source line shows it.
std::string Ansi(const std::u16string& text) {
    const int32_t size = platform::WideToMultiByte(platform::kCpThreadAcp, 0, text.c_str(), -1, nullptr, 0, nullptr,
                                                   nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    platform::WideToMultiByte(platform::kCpThreadAcp, 0, text.c_str(), -1, &narrow[0], size, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The lines of each step, as the hook sends them.
Lines Source(const std::string& directory) {
    return {P + "SharedProcs::GetQL_FFPluginDIR", P + "GetQL_FFPluginDIR->Source Files are at:" + directory};
}
const Lines kFound = {P + "SharedProcs::SearchForFirefoxPath",
                      P + "SearchForFirefoxPath-> RegQueryValueEx passed and FirefoxInstallDIR found"};
const Lines kNoAppPaths = {P + "SharedProcs::SearchForFirefoxPath", P + "SearchForFirefoxPath-> RegOpenKeyEx failed"};
const Lines kNoPath = {P + "SharedProcs::SearchForFirefoxPath", P + "SearchForFirefoxPath-> RegQueryValueEx failed"};
const Lines kSupported = {P + "SharedProcs::VerifyFirefoxVersion", P + "VerifyFirefoxVersion->RegQueryValueEx succeeded",
                          P + "VerifyFirefoxVersion-> Firefox version is supported"};
const Lines kUnsupported = {P + "SharedProcs::VerifyFirefoxVersion",
                            P + "VerifyFirefoxVersion->RegQueryValueEx succeeded",
                            P + "VerifyFirefoxVersion-> Firefox version is not supported"};
const Lines kNoMozilla = {P + "SharedProcs::VerifyFirefoxVersion", P + "VerifyFirefoxVersion-> Firefox not found"};
const Lines kCopied = {P + "SharedProcs::InstallFirefoxPlugin", P + "InstallFirefoxPlugin-> Installation succeeded"};
const Lines kNotCopied = {P + "SharedProcs::InstallFirefoxPlugin",
                          P + "InstallFirefoxPlugin-> Firefox Installation Failed"};
const Lines kDeleted = {P + "SharedProcs::UninstallFirefoxPlugin", P + "UninstallFirefoxPlugin-> Done"};
const Lines kNotDeleted = {P + "SharedProcs::UninstallFirefoxPlugin", P + "UninstallFirefoxPlugin-> Failed"};
const Lines kExtnDeleted = {P + "SharedProcs::UninstallFirefoxExtn", P + "UninstallFirefoxExtn-> Done"};
const Lines kExtnNotDeleted = {P + "SharedProcs::UninstallFirefoxExtn", P + "UninstallFirefoxExtn-> Failed"};
const Lines kInstallOpen = {P + "SharedProcs::InstallFirefoxAddons"};
const Lines kInstalled = {P + "InstallFirefoxAddons->Firefox addons were installed successfully"};
const Lines kNotInstalled = {P + "InstallFirefoxAddons->Firefox addons could not be installed"};
const Lines kUninstallOpen = {P + "SharedProcs::UninstallFirefoxAddons"};
const Lines kUninstalled = {P + "UninstallFirefoxAddons->Firefox addons were uninstalled successfully"};
const Lines kNotUninstalled = {P + "UninstallFirefoxAddons->Firefox addons could not be uninstalled"};

// One machine with a Firefox folder and a product folder inside the test's own folder.
class Scene {
public:
    TestMachine machine;
    std::u16string firefox = machine.Folder() + u"\\Mozilla Firefox";
    std::u16string product = machine.Folder() + u"\\Product";
    std::u16string installDir = product;  // the INSTALLDIR value, as UTF-16
    bool passInstallDir = true;

    std::u16string Plugins() const { return firefox + u"\\plugins"; }
    std::u16string PluginInFirefox() const { return Plugins() + u"\\npQuillet.dll"; }
    std::u16string Extension() const { return firefox + u"\\extensions\\" + kExtensionId; }
    std::u16string SourceFolder() const { return installDir + kSubPath; }
    std::string SourceLine() const { return Ansi(SourceFolder()); }

    void Register(const std::u16string& version = u"3.6.13 (en-US)") {
        machine.SetString(kAppPaths, u"Path", firefox);
        machine.SetString(kMozilla, u"CurrentVersion", version);
    }
    void WithPluginsFolder() { machine.CreateFolder(Plugins()); }
    void WithOldPlugin() {
        WithPluginsFolder();
        machine.WriteFile(PluginInFirefox(), "old plug-in");
    }
    void WithExtension() {
        machine.CreateFolder(Extension() + u"\\chrome");
        machine.WriteFile(Extension() + u"\\install.rdf", "rdf");
        machine.WriteFile(Extension() + u"\\chrome\\overlay.jar", "jar");
    }
    void WithSourcePlugin() {
        machine.CreateFolder(SourceFolder());
        machine.WriteFile(SourceFolder() + u"\\npQuillet.dll", "new plug-in");
    }

    // Runs one phase with INSTALLDIR, records its lines after those before.
    int32_t Run(int32_t installMode, int32_t entryMode, std::string rawInstallDir = std::string()) {
        if (rawInstallDir.empty()) rawInstallDir = Utf8Of(installDir);
        const PropertyEntry withDir[] = {{"ALLUSERS", "1"}, {"INSTALLDIR", rawInstallDir.c_str()}, {nullptr, nullptr}};
        const PropertyEntry withoutDir[] = {{"ALLUSERS", "1"}, {nullptr, nullptr}};
        return TeskInstallerCustomHookProc(passInstallDir ? withDir : withoutDir, entryMode, installMode, 0,
                                           LogRecorder::Callback);
    }
};

struct Scenario {
    const char* name;
    std::function<void(Scene&)> setUp;
    std::function<void(Scene&)> run;                 // the phases, their results checked inside
    std::function<Lines(const Scene&)> expected;     // every line of the run
    std::function<void(const Scene&)> check;         // the files afterwards
};

// A post-payload phase of an install in which every step succeeds, and its result on disk.
Lines InstalledRun(const Scene& s) {
    return Lines{"In PostPayloadInstallProc"} + kInstallOpen + Source(s.SourceLine()) + kFound + kSupported + kCopied +
           kInstalled;
}
void ExpectTheNewPlugin(const Scene& s) { EXPECT_EQ(s.machine.ReadFile(s.PluginInFirefox()), "new plug-in"); }

void PrePayloadInstall(Scene& s) { EXPECT_EQ(s.Run(InstallMode_Install, EntryMode_PrePayload), 0); }
void PostPayloadInstall(Scene& s) { EXPECT_EQ(s.Run(InstallMode_Install, EntryMode_PostPayload), 0); }

const Scenario kScenarios[] = {
    {"a whole install: the old extension goes and the plug-in arrives",
     [](Scene& s) { s.Register(); s.WithOldPlugin(); s.WithExtension(); s.WithSourcePlugin(); },
     [](Scene& s) { PrePayloadInstall(s); PostPayloadInstall(s); },
     [](const Scene& s) {
         return Lines{"In PrePayloadInstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kDeleted + kExtnDeleted + kUninstalled + Lines{"In PostPayloadInstallProc"} + kInstallOpen +
                Source(s.SourceLine()) + kFound + kSupported + kCopied + kInstalled;
     },
     [](const Scene& s) {
         EXPECT_EQ(s.machine.ReadFile(s.PluginInFirefox()), "new plug-in");
         EXPECT_FALSE(s.machine.Exists(s.Extension()));
         EXPECT_TRUE(s.machine.IsFolder(s.firefox + u"\\extensions"));
     }},
    {"an uninstall removes the plug-in and leaves the old extension",
     [](Scene& s) { s.Register(); s.WithOldPlugin(); s.WithExtension(); },
     [](Scene& s) {
         EXPECT_EQ(s.Run(InstallMode_Uninstall, EntryMode_PrePayload), 0);
         EXPECT_EQ(s.Run(InstallMode_Uninstall, EntryMode_PostPayload), 0);
     },
     [](const Scene& s) {
         return Lines{"In PrePayloadUninstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kDeleted + kUninstalled + Lines{"In PostPayloadUninstallProc"};
     },
     [](const Scene& s) {
         EXPECT_FALSE(s.machine.Exists(s.PluginInFirefox()));
         EXPECT_TRUE(s.machine.IsFolder(s.Extension()));
     }},
    {"no Firefox registered: six lines and nothing changes",
     [](Scene& s) { s.WithOldPlugin(); s.WithExtension(); },
     PrePayloadInstall,
     [](const Scene& s) {
         return Lines{"In PrePayloadInstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kNoAppPaths +
                kNotUninstalled;
     },
     [](const Scene& s) {
         EXPECT_EQ(s.machine.ReadFile(s.PluginInFirefox()), "old plug-in");
         EXPECT_TRUE(s.machine.IsFolder(s.Extension()));
     }},
    {"Firefox 4.0 is not supported: no file step runs",
     [](Scene& s) { s.Register(u"4.0"); s.WithOldPlugin(); s.WithSourcePlugin(); },
     [](Scene& s) { PrePayloadInstall(s); PostPayloadInstall(s); },
     [](const Scene& s) {
         return Lines{"In PrePayloadInstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kFound +
                kUnsupported + kNotUninstalled + Lines{"In PostPayloadInstallProc"} + kInstallOpen +
                Source(s.SourceLine()) + kFound + kUnsupported + kNotInstalled;
     },
     [](const Scene& s) { EXPECT_EQ(s.machine.ReadFile(s.PluginInFirefox()), "old plug-in"); }},
    {"App Paths names Firefox but its Mozilla key is missing",
     [](Scene& s) { s.machine.SetString(kAppPaths, u"Path", s.firefox); s.WithOldPlugin(); },
     PrePayloadInstall,
     [](const Scene& s) {
         return Lines{"In PrePayloadInstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kFound + kNoMozilla +
                kNotUninstalled;
     },
     [](const Scene& s) { EXPECT_TRUE(s.machine.Exists(s.PluginInFirefox())); }},
    {"the App Paths key without a Path value",
     [](Scene& s) { s.machine.SetString(kAppPaths, u"", s.firefox + u"\\firefox.exe"); },
     PostPayloadInstall,
     [](const Scene& s) {
         return Lines{"In PostPayloadInstallProc"} + kInstallOpen + Source(s.SourceLine()) + kNoPath + kNotInstalled;
     },
     [](const Scene&) {}},
    {"an empty CurrentVersion is read and reads as version 0",
     [](Scene& s) { s.Register(); s.machine.SetValue(kMozilla, u"CurrentVersion", 1, {}); },
     PostPayloadInstall,
     [](const Scene& s) {
         return Lines{"In PostPayloadInstallProc"} + kInstallOpen + Source(s.SourceLine()) + kFound + kUnsupported +
                kNotInstalled;
     },
     [](const Scene&) {}},
    {"no CurrentVersion value at all",
     [](Scene& s) { s.machine.SetString(kAppPaths, u"Path", s.firefox); s.machine.CreateKey(kMozilla); },
     PostPayloadInstall,
     [](const Scene& s) {
         return Lines{"In PostPayloadInstallProc"} + kInstallOpen + Source(s.SourceLine()) + kFound +
                Lines{P + "SharedProcs::VerifyFirefoxVersion", P + "VerifyFirefoxVersion->RegQueryValueEx failed"} +
                kNotInstalled;
     },
     [](const Scene&) {}},
    {"no plug-in in Firefox: the extension stays although its removal is on",
     [](Scene& s) { s.Register(); s.WithPluginsFolder(); s.WithExtension(); },
     PrePayloadInstall,
     [](const Scene& s) {
         return Lines{"In PrePayloadInstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kNotDeleted + kNotUninstalled;
     },
     [](const Scene& s) { EXPECT_TRUE(s.machine.IsFolder(s.Extension())); }},
    {"the plug-in without the old extension: deleted, and the run reports failure",
     [](Scene& s) { s.Register(); s.WithOldPlugin(); },
     PrePayloadInstall,
     [](const Scene& s) {
         return Lines{"In PrePayloadInstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kDeleted + kExtnNotDeleted + kNotUninstalled;
     },
     [](const Scene& s) { EXPECT_FALSE(s.machine.Exists(s.PluginInFirefox())); }},
    {"no plug-in at the source: nothing is written into Firefox",
     [](Scene& s) { s.Register(); s.WithPluginsFolder(); },
     PostPayloadInstall,
     [](const Scene& s) {
         return Lines{"In PostPayloadInstallProc"} + kInstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kNotCopied + kNotInstalled;
     },
     [](const Scene& s) { EXPECT_TRUE(s.machine.List(s.Plugins()).empty()); }},
    {"no plugins folder in Firefox: the copy fails and creates none",
     [](Scene& s) { s.Register(); s.machine.CreateFolder(s.firefox); s.WithSourcePlugin(); },
     PostPayloadInstall,
     [](const Scene& s) {
         return Lines{"In PostPayloadInstallProc"} + kInstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kNotCopied + kNotInstalled;
     },
     [](const Scene& s) { EXPECT_FALSE(s.machine.Exists(s.Plugins())); }},
    {"a reinstall round trip: deleted before the payload, copied back after it",
     [](Scene& s) { s.Register(); s.WithOldPlugin(); s.WithSourcePlugin(); },
     [](Scene& s) {
         EXPECT_EQ(s.Run(InstallMode_Reinstall, EntryMode_PrePayload), 0);
         EXPECT_FALSE(s.machine.Exists(s.PluginInFirefox()));
         EXPECT_EQ(s.Run(InstallMode_Reinstall, EntryMode_PostPayload), 0);
     },
     [](const Scene& s) {
         return Lines{"In PrePayloadReinstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kDeleted + kExtnNotDeleted + kNotUninstalled + Lines{"In PostPayloadReinstallProc"} + kInstallOpen +
                Source(s.SourceLine()) + kFound + kSupported + kCopied + kInstalled;
     },
     [](const Scene& s) { EXPECT_EQ(s.machine.ReadFile(s.PluginInFirefox()), "new plug-in"); }},
    {"a Path that ends in a backslash: the doubled separator still reaches the folder",
     [](Scene& s) {
         s.Register();
         s.machine.SetString(kAppPaths, u"Path", s.firefox + u"\\");
         s.WithPluginsFolder();
         s.WithSourcePlugin();
     },
     PostPayloadInstall,
     InstalledRun,
     ExpectTheNewPlugin},
    {"a Path with an embedded NUL and one without a terminator are cut and read",
     [](Scene& s) {
         s.Register();
         std::vector<uint8_t> data = Utf16Bytes(s.firefox, false);
         data.insert(data.end(), {0, 0, 'x', 0, 'y', 0});
         s.machine.SetValue(kAppPaths, u"Path", 1, data);
         s.WithOldPlugin();
     },
     [](Scene& s) { EXPECT_EQ(s.Run(InstallMode_Uninstall, EntryMode_PrePayload), 0); },
     [](const Scene& s) {
         return Lines{"In PrePayloadUninstallProc"} + kUninstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kDeleted + kUninstalled;
     },
     [](const Scene& s) { EXPECT_FALSE(s.machine.Exists(s.PluginInFirefox())); }},
    {"an INSTALLDIR beyond ASCII: UTF-16 on disk, the code page's rendering in the log",
     [](Scene& s) {
         s.installDir = s.machine.Folder() + u"\\Produkt \u00E9t\u00E9 \u4E2D";
         s.Register();
         s.WithPluginsFolder();
         s.WithSourcePlugin();
     },
     PostPayloadInstall,
     InstalledRun,
     ExpectTheNewPlugin},
    {"malformed UTF-8 in INSTALLDIR becomes U+FFFD, and that folder holds no plug-in",
     [](Scene& s) { s.Register(); s.WithPluginsFolder(); },
     [](Scene& s) {
         s.installDir = s.product + u"\uFFFD";
         EXPECT_EQ(s.Run(InstallMode_Install, EntryMode_PostPayload, Utf8Of(s.product) + "\xFF"), 0);
     },
     [](const Scene& s) {
         return Lines{"In PostPayloadInstallProc"} + kInstallOpen + Source(s.SourceLine()) + kFound + kSupported +
                kNotCopied + kNotInstalled;
     },
     [](const Scene& s) { EXPECT_TRUE(s.machine.List(s.Plugins()).empty()); }},
    {"no INSTALLDIR property: said so, and no copy is tried",
     [](Scene& s) { s.passInstallDir = false; s.Register(); s.WithPluginsFolder(); },
     PostPayloadInstall,
     [](const Scene&) {
         return Lines{"In PostPayloadInstallProc"} + kInstallOpen +
                Lines{P + "SharedProcs::GetQL_FFPluginDIR", P + "GetQL_FFPluginDIR->INSTALLDIR property not found"} +
                kFound + kSupported + kNotCopied + kNotInstalled;
     },
     [](const Scene& s) { EXPECT_TRUE(s.machine.List(s.Plugins()).empty()); }},
};

// Test names and failure messages show the scenario's sentence, not its bytes.
void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class Scenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(Scenarios, LogAndFilesAreExactlyAsExpected) {
    const Scenario& scenario = GetParam();
    LogRecorder::Clear();
    Scene scene;
    scenario.setUp(scene);
    scenario.run(scene);
    EXPECT_EQ(LogRecorder::Lines(), scenario.expected(scene));
    scenario.check(scene);
}

std::string NameOf(const ::testing::TestParamInfo<Scenario>& info) {
    std::string name;
    for (const char* c = info.param.name; *c != '\0' && name.size() < 60; ++c) {
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')) name += *c;
        else if (!name.empty() && name.back() != '_') name += '_';
    }
    return std::to_string(info.index) + "_" + name;
}

INSTANTIATE_TEST_SUITE_P(Machine, Scenarios, ::testing::ValuesIn(kScenarios), NameOf);

// The 255-byte read limit decides: a Firefox folder of 126 characters is
// found and served, one of 127 is not.
TEST(PathLimit, A126CharacterPathIsServedAnd127IsNot) {
    for (const std::size_t length : {std::size_t{126}, std::size_t{127}}) {
        SCOPED_TRACE(length);
        LogRecorder::Clear();
        Scene scene;
        const std::u16string base = scene.machine.Folder() + u"\\";
        scene.firefox = base + std::u16string(length - base.size(), u'f');
        scene.Register();
        scene.WithOldPlugin();
        EXPECT_EQ(scene.Run(InstallMode_Uninstall, EntryMode_PrePayload), 0);
        const Lines expected = length == 126 ? Lines{"In PrePayloadUninstallProc"} + kUninstallOpen +
                                                   Source(scene.SourceLine()) + kFound + kSupported + kDeleted +
                                                   kUninstalled
                                             : Lines{"In PrePayloadUninstallProc"} + kUninstallOpen +
                                                   Source(scene.SourceLine()) + kNoPath + kNotUninstalled;
        EXPECT_EQ(LogRecorder::Lines(), expected);
        EXPECT_EQ(scene.machine.Exists(scene.PluginInFirefox()), length == 127);
    }
}

}  // namespace
