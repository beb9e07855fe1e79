// sharedprocs_test.cpp - the plug-in steps over the recording platform: what only their calls show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingPlatform.h"
#include "SharedProcs.h"

namespace {

using Names = std::vector<std::string>;
using recording::State;

const std::u16string kAppPaths = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe";
const std::u16string kMozilla = u"SOFTWARE\\Mozilla\\Mozilla Firefox";
const std::string P = SharedProcs::LogPrefix;

void QLFFHOOK_CALL Record(const char* line) { recording::LogIntoCalls(line); }

class Steps : public ::testing::Test {
protected:
    const PropertyEntry* map_ = nullptr;
    HookContext Context() const { return HookContext{map_, 0, 0, 0, Record}; }

    void SetUp() override {
        recording::Reset();
        SharedProcs::FirefoxInstallDIR = u"C:\\Firefox";
        SharedProcs::QL_FFPluginDIR = u"C:\\Product\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin";
    }
    void TearDown() override { EXPECT_EQ(State().openKeys, 0) << "a registry key was left open"; }

    static std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (const recording::Call& call : State().calls) {
            if (call.function == "Log") lines.push_back(call.line);
        }
        return lines;
    }
    static const recording::Call& Only(const char* function) {
        const recording::Call* found = nullptr;
        for (const recording::Call& call : State().calls) {
            if (call.function == function) {
                EXPECT_EQ(found, nullptr) << function << " called more than once";
                found = &call;
            }
        }
        EXPECT_NE(found, nullptr) << function << " not called";
        static const recording::Call none;
        return found != nullptr ? *found : none;
    }
    // The position of a "Log" call with `line`, or of the first call named `function`.
    static std::size_t IndexOf(const std::string& functionOrLine) {
        for (std::size_t i = 0; i < State().calls.size(); ++i) {
            const recording::Call& call = State().calls[i];
            if (call.function == functionOrLine || call.line == functionOrLine) return i;
        }
        return State().calls.size();
    }
};

// ------------------------------------------------------------ search

TEST_F(Steps, SearchReadsPathWithExactlyTheRegistryArgumentsAndClosesTheKey) {
    recording::SetText(kAppPaths, u"Path", u"D:\\Mozilla Firefox");
    EXPECT_EQ(SharedProcs::SearchForFirefoxPath(Context()), 1);
    EXPECT_EQ(recording::PlatformCalls(), (Names{"OpenRegistryKey", "QueryRegistryValue", "CloseRegistryKey"}));
    const recording::Call& open = Only("OpenRegistryKey");
    EXPECT_EQ(open.first, kAppPaths);
    EXPECT_EQ(open.options, 0u);
    EXPECT_EQ(open.access, 0x20019u);  // KEY_READ
    const recording::Call& query = Only("QueryRegistryValue");
    EXPECT_EQ(query.first, u"Path");
    EXPECT_EQ(query.typeIn, 1u);    // REG_SZ
    EXPECT_EQ(query.sizeIn, 255u);  // 255, not 256
    EXPECT_TRUE(query.bufferCleared);
    EXPECT_EQ(SharedProcs::FirefoxInstallDIR, u"D:\\Mozilla Firefox");
    EXPECT_EQ(Lines(), (Names{P + "SharedProcs::SearchForFirefoxPath",
                              P + "SearchForFirefoxPath-> RegQueryValueEx passed and FirefoxInstallDIR found"}));
    EXPECT_LT(IndexOf(P + "SearchForFirefoxPath-> RegQueryValueEx passed and FirefoxInstallDIR found"),
              IndexOf("CloseRegistryKey"));
}

TEST_F(Steps, TheEntryLineOfTheSearchIs59Characters) {
    SharedProcs::SearchForFirefoxPath(Context());
    ASSERT_FALSE(Lines().empty());
    EXPECT_EQ(Lines().front(), "QL FF Plugin Custom Hook: SharedProcs::SearchForFirefoxPath");
    EXPECT_EQ(Lines().front().size(), 59u);
}

TEST_F(Steps, FailedSearchesKeepTheEarlierDirectory) {
    EXPECT_EQ(SharedProcs::SearchForFirefoxPath(Context()), 0);  // no App Paths key
    EXPECT_EQ(recording::PlatformCalls(), Names{"OpenRegistryKey"});
    EXPECT_EQ(Lines().back(), P + "SearchForFirefoxPath-> RegOpenKeyEx failed");

    State().registry[kAppPaths];  // the key without "Path"
    EXPECT_EQ(SharedProcs::SearchForFirefoxPath(Context()), 0);
    EXPECT_EQ(Lines().back(), P + "SearchForFirefoxPath-> RegQueryValueEx failed");
    EXPECT_EQ(SharedProcs::FirefoxInstallDIR, u"C:\\Firefox");
}

TEST_F(Steps, SearchStoresThePathAsRead) {
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        int32_t result;
        std::u16string directory;
    };
    auto text = [](const std::u16string& s, bool terminated = true) {
        std::vector<uint8_t> bytes;
        for (char16_t u : s) bytes.insert(bytes.end(), {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8)});
        if (terminated) bytes.insert(bytes.end(), {0, 0});
        return bytes;
    };
    const std::u16string c126(126, u'x');
    const std::u16string c127(127, u'x');
    const Case cases[] = {
        {"126 characters and the NUL: 254 bytes", text(c126), 1, c126},
        {"127 characters and the NUL: 256 bytes", text(c127), 0, u"C:\\Firefox"},
        {"127 characters without NUL: 254 bytes", text(c127, false), 1, c127},
        {"trailing backslash kept", text(u"C:\\Firefox\\"), 1, u"C:\\Firefox\\"},
        {"embedded NUL cuts", text(std::u16string(u"C:\\A\0B", 6)), 1, u"C:\\A"},
        {"no terminator", text(u"C:\\B", false), 1, u"C:\\B"},
        {"odd length", {'C', 0, ':'}, 1, u"C:"},
        {"empty value", text(u""), 1, u""},
        {"no data at all", {}, 1, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SharedProcs::FirefoxInstallDIR = u"C:\\Firefox";
        State().registry[kAppPaths][u"Path"] = c.data;
        EXPECT_EQ(SharedProcs::SearchForFirefoxPath(Context()), c.result);
        EXPECT_EQ(SharedProcs::FirefoxInstallDIR, c.directory);
    }
}

// ------------------------------------------------------------ version

TEST_F(Steps, VersionIsSupportedExactlyForThreeDotSomething) {
    struct Case {
        std::u16string text;
        bool supported;
    };
    const Case cases[] = {
        {u"3.6.13 (en-US)", true}, {u"3.0", true},       {u"3.0.19 (en-US)", true}, {u"3.10", true},
        {u"3", true},              {u"3x", true},        {u"4.0", false},           {u"10.0.2", false},
        {u"2.0.0.20", false},      {u" 3.6", false},     {u"", false},              {u"-3.6", false},
        {u"+3.6", false},          {u"\t3", false},      {u"39", true},
        // Code units whose both bytes are digits make long runs: they saturate.
        {u"\u3333\u3333\u3333\u3333\u3333\u3333", false},
        {u"-\u3333\u3333\u3333\u3333\u3333", false},
        {u"\u3033", false},  // bytes 33 30: a major number of 30, so 300 and more
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        recording::Reset();
        recording::SetText(kMozilla, u"CurrentVersion", c.text);
        const int32_t result = SharedProcs::VerifyFirefoxVersion(Context());
        const std::string verdict = c.supported ? "VerifyFirefoxVersion-> Firefox version is supported"
                                                : "VerifyFirefoxVersion-> Firefox version is not supported";
        EXPECT_EQ(result, c.supported ? 1 : 0);
        EXPECT_EQ(Lines(), (Names{P + "SharedProcs::VerifyFirefoxVersion",
                                  P + "VerifyFirefoxVersion->RegQueryValueEx succeeded", P + verdict}));
        EXPECT_LT(IndexOf("CloseRegistryKey"), IndexOf(P + verdict));  // closed before the verdict
    }
}

TEST_F(Steps, VersionReadUsesTheSameLimitsAndReportsItsFailures) {
    EXPECT_EQ(SharedProcs::VerifyFirefoxVersion(Context()), 0);
    EXPECT_EQ(Lines().back(), P + "VerifyFirefoxVersion-> Firefox not found");
    recording::Reset();
    recording::SetText(kMozilla, u"CurrentVersion", std::u16string(127, u'3'));  // 256 bytes
    EXPECT_EQ(SharedProcs::VerifyFirefoxVersion(Context()), 0);
    EXPECT_EQ(Lines().back(), P + "VerifyFirefoxVersion->RegQueryValueEx failed");
    const recording::Call& query = Only("QueryRegistryValue");
    EXPECT_EQ(query.first, u"CurrentVersion");
    EXPECT_EQ(query.sizeIn, 255u);
    EXPECT_TRUE(query.bufferCleared);
    EXPECT_EQ(Only("OpenRegistryKey").first, kMozilla);
    EXPECT_EQ(Only("OpenRegistryKey").access, 0x20019u);
}

// ------------------------------------------------------------ file steps

TEST_F(Steps, InstallCopiesOverAnyPluginInPlace) {
    EXPECT_EQ(SharedProcs::InstallFirefoxPlugin(Context()), 1);
    EXPECT_EQ(recording::PlatformCalls(), Names{"CopyFileTo"});
    const recording::Call& copy = Only("CopyFileTo");
    EXPECT_EQ(copy.first, u"C:\\Product\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin\\npQuillet.dll");
    EXPECT_EQ(copy.second, u"C:\\Firefox\\plugins\\npQuillet.dll");
    EXPECT_FALSE(copy.failIfExists);
    EXPECT_EQ(Lines(), (Names{P + "SharedProcs::InstallFirefoxPlugin", P + "InstallFirefoxPlugin-> Installation succeeded"}));

    recording::Reset();
    State().copyResult = 0;
    EXPECT_EQ(SharedProcs::InstallFirefoxPlugin(Context()), 0);
    EXPECT_EQ(Lines().back(), P + "InstallFirefoxPlugin-> Firefox Installation Failed");
}

TEST_F(Steps, InstallWithoutASourceDirectoryCopiesNothing) {
    SharedProcs::QL_FFPluginDIR.clear();
    EXPECT_EQ(SharedProcs::InstallFirefoxPlugin(Context()), 0);
    EXPECT_TRUE(recording::PlatformCalls().empty());
    EXPECT_EQ(Lines(), (Names{P + "SharedProcs::InstallFirefoxPlugin", P + "InstallFirefoxPlugin-> Firefox Installation Failed"}));
}

TEST_F(Steps, UninstallDeletesThePluginAndReturnsTheDeletionsResult) {
    struct Case {
        int32_t deleted;
        const char* line;
    };
    for (const Case& c : {Case{1, "UninstallFirefoxPlugin-> Done"}, Case{0, "UninstallFirefoxPlugin-> Failed"},
                          Case{2, "UninstallFirefoxPlugin-> Failed"}}) {
        recording::Reset();
        State().deleteResult = c.deleted;
        EXPECT_EQ(SharedProcs::UninstallFirefoxPlugin(Context()), c.deleted);
        EXPECT_EQ(recording::PlatformCalls(), Names{"DeleteOneFile"});
        EXPECT_EQ(Only("DeleteOneFile").first, u"C:\\Firefox\\plugins\\npQuillet.dll");
        EXPECT_EQ(Lines(), (Names{P + "SharedProcs::UninstallFirefoxPlugin", P + c.line}));
    }
}

TEST_F(Steps, ExtensionRemovalSendsOneSilentPermanentDeleteOfOneFolder) {
    EXPECT_EQ(SharedProcs::UninstallFirefoxExtn(Context()), 1);
    EXPECT_EQ(recording::PlatformCalls(), Names{"RunFileOperation"});
    const recording::Call& call = Only("RunFileOperation");
    const std::u16string folder = u"C:\\Firefox\\extensions\\{5D3B7E21-9A4F-4C08-B6E2-3F71C0A94D58}";
    EXPECT_EQ(call.deletionList, folder + u'\0' + u'\0');
    EXPECT_EQ(call.deletionList.size(), folder.size() + 2);
    EXPECT_EQ(call.request.function, 3u);       // FO_DELETE
    EXPECT_EQ(call.request.flags, 0x0014);      // FOF_SILENT | FOF_NOCONFIRMATION, nothing else
    EXPECT_EQ(call.request.ownerWindow, nullptr);
    EXPECT_EQ(call.request.to, nullptr);
    EXPECT_EQ(call.request.anyOperationsAborted, 0);
    EXPECT_EQ(call.request.nameMappings, nullptr);
    EXPECT_EQ(call.request.progressTitle, nullptr);
    EXPECT_EQ(Lines(), (Names{P + "SharedProcs::UninstallFirefoxExtn", P + "UninstallFirefoxExtn-> Done"}));

    for (int32_t failure : {2, 0x7C, 5}) {
        recording::Reset();
        State().fileOperationResult = failure;
        EXPECT_EQ(SharedProcs::UninstallFirefoxExtn(Context()), 0);
        EXPECT_EQ(Lines().back(), P + "UninstallFirefoxExtn-> Failed");
    }
}

TEST_F(Steps, PathsAreJoinedAsTheyAreAndTheDirectoriesStayUnchanged) {
    SharedProcs::FirefoxInstallDIR = u"C:\\Firefox\\";
    SharedProcs::QL_FFPluginDIR = u"C:\\Src";
    SharedProcs::InstallFirefoxPlugin(Context());
    SharedProcs::UninstallFirefoxPlugin(Context());
    SharedProcs::UninstallFirefoxExtn(Context());
    EXPECT_EQ(Only("CopyFileTo").first, u"C:\\Src\\npQuillet.dll");
    EXPECT_EQ(Only("CopyFileTo").second, u"C:\\Firefox\\\\plugins\\npQuillet.dll");
    EXPECT_EQ(Only("DeleteOneFile").first, u"C:\\Firefox\\\\plugins\\npQuillet.dll");
    EXPECT_EQ(Only("RunFileOperation").first, u"C:\\Firefox\\\\extensions\\{5D3B7E21-9A4F-4C08-B6E2-3F71C0A94D58}");
    EXPECT_EQ(SharedProcs::FirefoxInstallDIR, u"C:\\Firefox\\");
    EXPECT_EQ(SharedProcs::QL_FFPluginDIR, u"C:\\Src");
}

// ------------------------------------------------------------ plug-in source

TEST_F(Steps, SourceDirectoryIsInstallDirPlusTheFixedSubPath) {
    struct Case {
        const char* installDir;
        std::u16string directory;
        std::string logged;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Corvane", u"C:\\Program Files\\Corvane\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin",
         "C:\\Program Files\\Corvane\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin"},
        {"C:\\P\\", u"C:\\P\\\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin",
         "C:\\P\\\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin"},
        {"", u"\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin", "\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin"},
        {"C:\\Caf\xC3\xA9", u"C:\\Caf\u00E9\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin",
         "C:\\Caf?\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin"},  // as the code page renders it
        {"C:\\\xFF", u"C:\\\uFFFD\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin",
         "C:\\?\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installDir);
        recording::Reset();
        const PropertyEntry map[] = {{"INSTALLDIR", c.installDir}, {nullptr, nullptr}};
        map_ = map;
        for (int run = 0; run < 2; ++run) SharedProcs::GetQL_FFPluginDIR(Context());  // never stacks
        EXPECT_EQ(SharedProcs::QL_FFPluginDIR, c.directory);
        EXPECT_EQ(Lines().back(), P + "GetQL_FFPluginDIR->Source Files are at:" + c.logged);
        EXPECT_EQ(Lines().size(), 4u);
    }
    map_ = nullptr;
}

TEST_F(Steps, WithoutAnInstallDirValueTheSourceDirectoryIsEmptied) {
    const PropertyEntry absent[] = {{"OTHER", "x"}, {nullptr, nullptr}};
    const PropertyEntry nullValue[] = {{"INSTALLDIR", nullptr}, {nullptr, nullptr}};
    struct Case {
        const char* what;
        const PropertyEntry* map;
        Names lines;
    };
    const Case cases[] = {
        {"absent", absent,
         {P + "SharedProcs::GetQL_FFPluginDIR", P + "GetQL_FFPluginDIR->INSTALLDIR property not found"}},
        {"null value", nullValue,
         {P + "SharedProcs::GetQL_FFPluginDIR", P + "GetQL_FFPluginDIR->INSTALLDIR property not found"}},
        {"no map", nullptr,
         {P + "SharedProcs::GetQL_FFPluginDIR", "Property map is not initialized.",
          P + "GetQL_FFPluginDIR->INSTALLDIR property not found"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        recording::Reset();
        SharedProcs::QL_FFPluginDIR = u"C:\\Earlier\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin";
        map_ = c.map;
        SharedProcs::GetQL_FFPluginDIR(Context());
        EXPECT_EQ(SharedProcs::QL_FFPluginDIR, u"");
        EXPECT_EQ(Lines(), c.lines);
    }
    map_ = nullptr;
}

// ------------------------------------------------------------ conversions

TEST_F(Steps, Utf8ToWideConvertsEveryByteWithTheExactLength) {
    EXPECT_EQ(SharedProcs::Utf8ToWide(""), u"");
    EXPECT_TRUE(recording::PlatformCalls().empty());  // nothing to convert, nothing called
    EXPECT_EQ(SharedProcs::Utf8ToWide("C:\\A"), u"C:\\A");
    EXPECT_EQ(SharedProcs::Utf8ToWide("\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(SharedProcs::Utf8ToWide("\xF0\x9F\x98\x80").size(), 2u);
    EXPECT_EQ(SharedProcs::Utf8ToWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    for (const recording::Call& call : State().calls) {
        EXPECT_EQ(call.codePage, 65001u);
        EXPECT_EQ(call.flags, 0u);
    }
    EXPECT_EQ(State().calls.back().inputLength, 3);  // no terminator counted
}

TEST_F(Steps, WideToAnsiReadsUpToTheFirstNulInTheThreadCodePage) {
    EXPECT_EQ(SharedProcs::WideToAnsi(u""), "");
    EXPECT_EQ(SharedProcs::WideToAnsi(std::u16string(u"ab\0cd", 5)), "ab");
    EXPECT_EQ(SharedProcs::WideToAnsi(u"x\u0416y"), "x?y");  // replaced, not dropped
    for (const recording::Call& call : State().calls) {
        EXPECT_EQ(call.codePage, 3u);  // CP_THREAD_ACP
        EXPECT_EQ(call.inputLength, -1);
    }
}

// ------------------------------------------------------------ sequences

TEST_F(Steps, AStepThatDoesNotRunLogsNothing) {
    SharedProcs::UninstallFirefoxAddons(Context(), true);  // no Firefox at all
    for (const std::string& line : Lines()) {
        EXPECT_EQ(line.find("VerifyFirefoxVersion"), std::string::npos) << line;
        EXPECT_EQ(line.find("UninstallFirefoxPlugin"), std::string::npos) << line;
    }
    EXPECT_EQ(recording::PlatformCalls(), (Names{"OpenRegistryKey"}));
}

TEST_F(Steps, TheExtensionIsRemovedOnlyAfterThePluginWasDeleted) {
    recording::SetText(kAppPaths, u"Path", u"C:\\FF");
    recording::SetText(kMozilla, u"CurrentVersion", u"3.6");
    State().deleteResult = 0;
    SharedProcs::UninstallFirefoxAddons(Context(), true);
    EXPECT_EQ(IndexOf("RunFileOperation"), State().calls.size());
    EXPECT_EQ(Lines().back(), P + "UninstallFirefoxAddons->Firefox addons could not be uninstalled");

    recording::Reset();
    recording::SetText(kAppPaths, u"Path", u"C:\\FF");
    recording::SetText(kMozilla, u"CurrentVersion", u"3.6");
    SharedProcs::UninstallFirefoxAddons(Context(), false);
    EXPECT_EQ(IndexOf("RunFileOperation"), State().calls.size());
    EXPECT_EQ(Lines().back(), P + "UninstallFirefoxAddons->Firefox addons were uninstalled successfully");
}

}  // namespace
