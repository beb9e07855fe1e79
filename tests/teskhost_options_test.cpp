// teskhost_options_test.cpp - teskhost's command line: what it runs, and what it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostOptions.h"

namespace {

using Args = std::vector<std::string>;

std::vector<std::string> CallLabels(const HostOptions& options) {
    std::vector<std::string> labels;
    for (const HostCall& call : options.calls) {
        labels.push_back(call.label);
    }
    return labels;
}

TEST(TeskhostOptions, ModeAloneRunsTheWholeModeInInstallerOrder) {
    const HostParseResult parsed = ParseHostArguments({"reinstall"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.installMode, 1);
    EXPECT_TRUE(parsed.options.wholeRun);
    EXPECT_EQ(CallLabels(parsed.options),
              (Args{"init-session", "session-open", "pre-system-check", "pre-payload", "post-payload",
                    "session-close", "close-session"}));
    EXPECT_EQ(parsed.options.calls.front().kind, HostCall::Kind::InitSession);
    EXPECT_EQ(parsed.options.calls.back().kind, HostCall::Kind::CloseSession);
    std::vector<int32_t> phases;
    for (const HostCall& call : parsed.options.calls) {
        if (call.kind == HostCall::Kind::Phase) phases.push_back(call.entryMode);
    }
    EXPECT_EQ(phases, (std::vector<int32_t>{3, 0, 1, 2, 4}));
}

TEST(TeskhostOptions, NamedAndNumericModesAndPhases) {
    struct Case {
        Args args;
        int32_t mode;
        std::string modeLabel;
        std::vector<int32_t> phases;
    };
    const Case cases[] = {
        {{"install", "pre-payload"}, 0, "install", {1}},
        {{"uninstall", "post-payload", "session-close"}, 2, "uninstall", {2, 4}},
        {{"1", "0", "3"}, 1, "reinstall", {0, 3}},
        {{"7", "pre-payload"}, 7, "7", {1}},
        {{"-1", "-1", "9"}, -1, "-1", {-1, 9}},
        {{"install", "2147483647", "-2147483648"}, 0, "install", {INT32_MAX, INT32_MIN}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const HostParseResult parsed = ParseHostArguments(c.args);
        ASSERT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.options.installMode, c.mode);
        EXPECT_EQ(parsed.options.modeLabel, c.modeLabel);
        EXPECT_FALSE(parsed.options.wholeRun);
        std::vector<int32_t> phases;
        for (const HostCall& call : parsed.options.calls) {
            EXPECT_EQ(call.kind, HostCall::Kind::Phase);
            phases.push_back(call.entryMode);
        }
        EXPECT_EQ(phases, c.phases);
    }
}

TEST(TeskhostOptions, OptionsAreKeptAsGiven) {
    const HostParseResult parsed = ParseHostArguments(
        {"--library", "/x/lib.so", "--property", "INSTALLDIR=C:\\P=Q", "--property", "B=", "--no-callback",
         "--root", "/machine", "--payload", "/payload", "install"});
    ASSERT_EQ(parsed.error, "");
    const HostOptions& o = parsed.options;
    EXPECT_EQ(o.library, "/x/lib.so");
    ASSERT_EQ(o.properties.size(), 2u);
    EXPECT_EQ(o.properties[0].first, "INSTALLDIR");
    EXPECT_EQ(o.properties[0].second, "C:\\P=Q");  // split at the first '='
    EXPECT_EQ(o.properties[1].first, "B");
    EXPECT_EQ(o.properties[1].second, "");
    EXPECT_TRUE(o.noCallback);
    EXPECT_FALSE(o.noProperties);
    EXPECT_TRUE(o.hasRoot);
    EXPECT_EQ(o.root, "/machine");
    EXPECT_TRUE(o.hasPayload);
    EXPECT_EQ(o.payload, "/payload");
}

TEST(TeskhostOptions, HelpWinsOverEverythingElse) {
    EXPECT_TRUE(ParseHostArguments({"--help"}).options.help);
    EXPECT_TRUE(ParseHostArguments({"--no-callback", "--help", "bogus"}).options.help);
}

TEST(TeskhostOptions, BadCommandLinesGetAClearReason) {
    struct Case {
        Args args;
        std::string error;
    };
    const Case cases[] = {
        {{}, "no MODE given"},
        {{"--no-callback"}, "no MODE given"},
        {{"--bogus", "install"}, "unknown option --bogus"},
        {{"--library"}, "option --library needs a value"},
        {{"install", "--property"}, "unknown phase '--property'"},
        {{"--property"}, "option --property needs a value"},
        {{"--property", "NOEQUALS", "install"}, "property 'NOEQUALS' is not NAME=VALUE"},
        {{"--property", "=value", "install"}, "property '=value' is not NAME=VALUE"},
        {{"--no-properties", "--property", "A=1", "install"}, "--no-properties and --property exclude each other"},
        {{"installer"}, "unknown mode 'installer'"},
        {{"2147483648"}, "unknown mode '2147483648'"},
        {{"1x"}, "unknown mode '1x'"},
        {{"--root"}, "option --root needs a value"},
        {{"install", "pre_payload"}, "unknown phase 'pre_payload'"},
        {{"install", "+-1"}, "unknown phase '+-1'"},
        {{"install", ""}, "unknown phase ''"},
        {{"--payload", "/p", "install", "pre-payload"}, "--payload needs a whole run (no PHASE)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        EXPECT_EQ(ParseHostArguments(c.args).error, c.error);
    }
}

TEST(TeskhostOptions, ParseInt32AcceptsOnlyWholeDecimalNumbersInRange) {
    int32_t value = 0;
    EXPECT_TRUE(ParseInt32("+42", &value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(ParseInt32("-2147483648", &value));
    EXPECT_EQ(value, INT32_MIN);
    for (const char* bad : {"", "-", "+", "2147483648", "-2147483649", "0x10", " 1", "1 ", "99999999999999999999"}) {
        value = 5;
        EXPECT_FALSE(ParseInt32(bad, &value)) << bad;
        EXPECT_EQ(value, 5) << bad;
    }
}

}  // namespace
