// teskhost_process_test.cpp - teskhost run as a person runs it: its output streams and exit codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform.h"
#include "Process.h"
#include "TestMachine.h"

namespace {

using Args = std::vector<std::string>;

ProcessResult Teskhost(const Args& args) { return RunProcess(ProgramBesideTest("teskhost"), args); }

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

TEST(TeskhostProcess, SessionPhasesPrintExactlyTheHookLines) {
    const ProcessResult run = Teskhost({"uninstall", "session-open", "pre-system-check", "session-close"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.standardOutput,
              "In UninstallSessionOpenProc\nIn UninstallPreSystemCheckProc\nIn UninstallSessionCloseProc\n");
    EXPECT_EQ(run.standardError,
              "teskhost: uninstall session-open -> 0\n"
              "teskhost: uninstall pre-system-check -> 0\n"
              "teskhost: uninstall session-close -> 0\n");
}

TEST(TeskhostProcess, WholeRunOpensAndClosesTheSession) {
    const ProcessResult run = Teskhost({"--no-callback", "install"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.standardOutput, "");  // no callback, no lines
    EXPECT_EQ(run.standardError,
              "teskhost: init-session -> 0\n"
              "teskhost: install session-open -> 0\n"
              "teskhost: install pre-system-check -> 0\n"
              "teskhost: install pre-payload -> 0\n"
              "teskhost: install post-payload -> 0\n"
              "teskhost: install session-close -> 0\n"
              "teskhost: close-session -> 0\n");
}

TEST(TeskhostProcess, ExitStatusIsTheFirstNonzeroPhaseResult) {
    struct Case {
        Args args;
        int exitStatus;
        std::string output;
    };
    const Case cases[] = {
        {{"7", "session-open"}, 3, "Unsupported install mode specified.\n"},
        {{"install", "9", "session-open"}, 4, "Unsupported entry mode specified.\nIn InstallSessionOpenProc\n"},
        {{"install", "session-open", "-1"}, 4, "In InstallSessionOpenProc\nUnsupported entry mode specified.\n"},
        {{"5"}, 3, Repeat("Unsupported install mode specified.\n", 5)},  // every phase of a whole run
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ProcessResult run = Teskhost(c.args);
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        EXPECT_EQ(run.standardOutput, c.output);
    }
}

TEST(TeskhostProcess, UsageErrorsExitWithTwoAndAReason) {
    const Args cases[] = {{}, {"--bogus", "install"}, {"--property", "X", "install"}, {"install", "later"},
                          {"--library"}};
    for (const Args& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const ProcessResult run = Teskhost(args);
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(run.standardOutput, "");
        EXPECT_TRUE(StartsWith(run.standardError, "teskhost: ")) << run.standardError;
        EXPECT_NE(run.standardError.find("usage: teskhost"), std::string::npos);
    }
}

TEST(TeskhostProcess, HelpGoesToStandardOutput) {
    const ProcessResult run = Teskhost({"--help"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(StartsWith(run.standardOutput, "usage: teskhost")) << run.standardOutput;
}

TEST(TeskhostProcess, UnloadableLibraryExitsWithOne) {
    const ProcessResult run = Teskhost({"--library", FileBesideTest("no-such-library.module"), "install"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_TRUE(StartsWith(run.standardError, "teskhost: ")) << run.standardError;
}

TEST(TeskhostProcess, LibraryWithoutTheEntryPointsExitsWithOne) {
    const ProcessResult run = Teskhost({"--library", FileBesideTest("hookless.module"), "install"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.standardError.find("TeskInstallerCustomHook"), std::string::npos) << run.standardError;
}

TEST(TeskhostProcess, PayloadIsLaidDownBetweenThePayloadPhasesAndTakenAwayOnUninstall) {
    TestMachine machine;  // the child process sees the same machine
    const std::u16string firefox = machine.Folder() + u"\\Mozilla Firefox";
    const std::u16string product = machine.Folder() + u"\\Product";
    const std::u16string payload = machine.Folder() + u"\\payload";
    machine.SetString(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe", u"Path", firefox);
    machine.SetString(u"SOFTWARE\\Mozilla\\Mozilla Firefox", u"CurrentVersion", u"3.6");
    machine.CreateFolder(firefox + u"\\plugins");
    machine.CreateFolder(payload + u"\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin");
    machine.WriteFile(payload + u"\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin\\npQuillet.dll", "plug-in 5.1");
    // INSTALLDIR is the Windows path, as an installer passes it; the payload a folder of this platform.
    const std::string installDir(product.begin(), product.end());  // ASCII here
    Args install = {"--payload", machine.HostPathOf(payload), "--property", "INSTALLDIR=" + installDir, "install"};
    const ProcessResult installed = Teskhost(install);
    EXPECT_EQ(installed.exitStatus, 0) << installed.standardError;
    EXPECT_NE(installed.standardOutput.find("InstallFirefoxPlugin-> Installation succeeded"), std::string::npos);
    EXPECT_NE(installed.standardError.find("teskhost: laid down 1 files"), std::string::npos) << installed.standardError;
    EXPECT_EQ(machine.ReadFile(firefox + u"\\plugins\\npQuillet.dll"), "plug-in 5.1");

    install.back() = "uninstall";
    const ProcessResult removed = Teskhost(install);
    EXPECT_EQ(removed.exitStatus, 0) << removed.standardError;
    EXPECT_FALSE(machine.Exists(firefox + u"\\plugins\\npQuillet.dll"));
    EXPECT_FALSE(machine.Exists(product));  // what was laid down is gone again
}

TEST(TeskhostProcess, PropertyValuesReachTheHookAsUtf8) {
    // "C:\Café" as UTF-8 on the command line; on Windows teskhost reads it back
    // from the wide command line. The hook logs it in the thread's code page.
    const ProcessResult run = Teskhost({"--property", "INSTALLDIR=C:\\Caf\xC3\xA9", "install", "pre-payload"});
    EXPECT_EQ(run.exitStatus, 0);
    const char16_t directory[] = u"C:\\Caf\u00E9\\Corvane Quillet Tesk5.1\\Plugins\\FirefoxPlugin";
    char rendered[128] = {};
    ASSERT_GT(platform::WideToMultiByte(platform::kCpThreadAcp, 0, directory, -1, rendered, sizeof rendered, nullptr,
                                        nullptr),
              0);
    EXPECT_NE(run.standardOutput.find(std::string("GetQL_FFPluginDIR->Source Files are at:") + rendered + "\n"),
              std::string::npos)
        << run.standardOutput;
}

TEST(TeskhostProcess, PayloadNeedsAnInstallDirAndAWholeRun) {
    EXPECT_EQ(Teskhost({"--payload", FileBesideTest("."), "install"}).exitStatus, 2);
    EXPECT_EQ(Teskhost({"--payload", FileBesideTest("."), "--property", "INSTALLDIR=C:\\P", "install", "pre-payload"})
                  .exitStatus,
              2);
}

}  // namespace
