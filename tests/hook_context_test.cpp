// hook_context_test.cpp - property lookup and log forwarding of the phase-call record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HookContext.h"
#include "LogRecorder.h"

namespace {

using Lines = std::vector<std::string>;

HookContext ContextWith(const PropertyEntry* map, LogCallback callback = LogRecorder::Callback) {
    return HookContext{map, 0, 0, 0, callback};
}

const char kUntouched[] = "untouched";

class GetProperty : public ::testing::Test {
protected:
    void SetUp() override { LogRecorder::Clear(); }
    const char* value_ = kUntouched;
};

const PropertyEntry kMap[] = {
    {"INSTALLDIR", "C:\\Product"},
    {"INSTALLDIR", "C:\\Second"},
    {"INSTALL", "prefix"},
    {"EMPTY", ""},
    {"NULLVALUE", nullptr},
    {nullptr, "after the end"},
    {"HIDDEN", "beyond the end entry"},
};

struct LookupCase {
    const char* name;
    bool found;
    const char* value;  // expected when found
};

TEST_F(GetProperty, LooksNamesUpExactlyAndFirstEntryWins) {
    const LookupCase cases[] = {
        {"INSTALLDIR", true, "C:\\Product"},  // the earlier of two entries
        {"INSTALL", true, "prefix"},
        {"EMPTY", true, ""},
        {"installdir", false, nullptr},    // case-sensitive
        {"INSTALLDI", false, nullptr},     // a prefix of an entry's name
        {"INSTALLDIRX", false, nullptr},   // an entry's name is a prefix of it
        {"INSTALLDIR ", false, nullptr},   // nothing trimmed
        {"HIDDEN", false, nullptr},        // the map ends at the first null name
        {"", false, nullptr},
    };
    const HookContext context = ContextWith(kMap);
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(std::string("name '") + c.name + "'");
        value_ = kUntouched;
        EXPECT_EQ(context.GetProperty(c.name, &value_), c.found);
        if (c.found) {
            EXPECT_STREQ(value_, c.value);
        } else {
            EXPECT_EQ(value_, kUntouched);  // a failed lookup leaves the location alone
        }
    }
    EXPECT_TRUE(LogRecorder::Lines().empty());
}

TEST_F(GetProperty, ReturnsTheHostsOwnPointer) {
    EXPECT_TRUE(ContextWith(kMap).GetProperty("INSTALLDIR", &value_));
    EXPECT_EQ(value_, kMap[0].Value);
}

TEST_F(GetProperty, EntryWithNullValueIsFoundWithNullValue) {
    EXPECT_TRUE(ContextWith(kMap).GetProperty("NULLVALUE", &value_));
    EXPECT_EQ(value_, nullptr);
}

TEST_F(GetProperty, MapWithOnlyTheEndEntryFindsNothingSilently) {
    const PropertyEntry endOnly[] = {{nullptr, nullptr}};
    EXPECT_FALSE(ContextWith(endOnly).GetProperty("INSTALLDIR", &value_));
    EXPECT_EQ(value_, kUntouched);
    EXPECT_TRUE(LogRecorder::Lines().empty());
}

TEST_F(GetProperty, BadArgumentsAreLoggedInOrderOfTheirChecks) {
    struct BadCase {
        const char* name;
        bool nullValue;
        const PropertyEntry* map;
        const char* line;
    };
    const BadCase cases[] = {
        {nullptr, true, nullptr, "NULL pointer passed as property name."},  // only the first check logs
        {nullptr, false, kMap, "NULL pointer passed as property name."},
        {"INSTALLDIR", true, kMap, "NULL pointer passed for property name."},
        {"INSTALLDIR", false, nullptr, "Property map is not initialized."},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.line);
        LogRecorder::Clear();
        value_ = kUntouched;
        EXPECT_FALSE(ContextWith(c.map).GetProperty(c.name, c.nullValue ? nullptr : &value_));
        EXPECT_EQ(LogRecorder::Lines(), Lines{c.line});
        EXPECT_EQ(value_, kUntouched);
    }
}

TEST_F(GetProperty, NullCallbackGivesTheSameResults) {
    const HookContext silent = ContextWith(kMap, nullptr);
    EXPECT_FALSE(silent.GetProperty(nullptr, &value_));
    EXPECT_FALSE(silent.GetProperty("INSTALLDIR", nullptr));
    EXPECT_FALSE(ContextWith(nullptr, nullptr).GetProperty("INSTALLDIR", &value_));
    EXPECT_TRUE(silent.GetProperty("INSTALLDIR", &value_));
    EXPECT_STREQ(value_, "C:\\Product");
    EXPECT_TRUE(LogRecorder::Lines().empty());
}

TEST(HookContextLog, PassesTheSamePointerOnceAndNothingWithoutCallback) {
    static const char* received = nullptr;
    static int calls = 0;
    struct Spy {
        static void QLFFHOOK_CALL Callback(const char* line) {
            received = line;
            ++calls;
        }
    };
    const char text[] = "a line";
    ContextWith(nullptr, Spy::Callback).Log(text);
    EXPECT_EQ(received, text);
    EXPECT_EQ(calls, 1);
    ContextWith(nullptr, nullptr).Log(text);
    EXPECT_EQ(calls, 1);
}

}  // namespace
