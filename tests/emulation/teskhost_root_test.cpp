// teskhost_root_test.cpp - teskhost --root points the emulation at a machine folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "Process.h"
#include "TestMachine.h"

namespace {

TEST(TeskhostRoot, RootOptionNamesTheMachineFolder) {
    std::string root;
    {
        TestMachine machine;
        root = getenv("TESKHOOK_ROOT");
        machine.SetString(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe", u"Path", u"C:\\FF");
        unsetenv("TESKHOOK_ROOT");  // only the option tells the child where the machine is
        const ProcessResult run = RunProcess(ProgramBesideTest("teskhost"),
                                             {"--root", root, "--property", "INSTALLDIR=C:\\P", "install", "pre-payload"});
        setenv("TESKHOOK_ROOT", root.c_str(), 1);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_NE(run.standardOutput.find("SearchForFirefoxPath-> RegQueryValueEx passed"), std::string::npos)
            << run.standardOutput;
    }
    const ProcessResult without = RunProcess(ProgramBesideTest("teskhost"), {"install", "pre-payload"});
    EXPECT_NE(without.standardOutput.find("SearchForFirefoxPath-> RegOpenKeyEx failed"), std::string::npos);
}

}  // namespace
