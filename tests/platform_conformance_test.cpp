// platform_conformance_test.cpp - the platform interface's contract, held against both implementations.
//
// Natively this runs against the emulated machine, cross-built under Wine
// against the Win32 calls: the same cases, the same expected results.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Platform.h"
#include "TestMachine.h"

namespace {

using platform::RegistryKey;
using platform::RegistryRoot;
using Bytes = std::vector<uint8_t>;

const std::u16string kKey = u"SOFTWARE\\QlffConformance\\Values";

class Conformance : public ::testing::Test {
protected:
    TestMachine machine_;

    std::u16string In(const std::u16string& name) const { return machine_.Folder() + u"\\" + name; }

    RegistryKey Open(const std::u16string& key, int32_t* result = nullptr) {
        RegistryKey handle = reinterpret_cast<RegistryKey>(1);
        const int32_t opened =
            platform::OpenRegistryKey(RegistryRoot::LocalMachine, key.c_str(), 0, platform::kKeyRead, &handle);
        if (result != nullptr) *result = opened;
        return handle;
    }
};

// ---------------------------------------------------------------- registry

TEST_F(Conformance, OpeningAMissingKeyFailsWithFileNotFoundAndNoKey) {
    machine_.SetString(kKey, u"Name", u"x");
    int32_t result = 0;
    EXPECT_EQ(Open(u"SOFTWARE\\QlffConformance\\Missing", &result), nullptr);
    EXPECT_EQ(result, platform::kErrorFileNotFound);
}

TEST_F(Conformance, KeysAndValueNamesCompareWithoutCase) {
    machine_.SetString(kKey, u"CurrentVersion", u"3.6");
    int32_t result = -1;
    platform::UniqueRegistryKey key(Open(u"software\\QLFFCONFORMANCE\\values", &result));
    ASSERT_EQ(result, 0);
    ASSERT_NE(key, nullptr);
    uint32_t size = 64;
    uint8_t buffer[64] = {};
    EXPECT_EQ(platform::QueryRegistryValue(key.get(), u"currentversion", nullptr, buffer, &size), 0);
    EXPECT_EQ(size, 8u);
}

TEST_F(Conformance, ParentsOfAKeyOpenToo) {
    machine_.SetString(kKey, u"Name", u"x");
    int32_t result = -1;
    platform::UniqueRegistryKey key(Open(u"SOFTWARE\\QlffConformance", &result));
    EXPECT_EQ(result, 0);
}

struct QueryCase {
    const char* what;
    uint32_t type;
    Bytes stored;
    uint32_t capacity;
    int32_t result;
    uint32_t size;
    Bytes expected;  // the whole buffer afterwards (filled with 0xAB before)
};

TEST_F(Conformance, QueryCopiesWhatFitsAndReportsTheSizeOfWhatDoesNot) {
    const uint8_t F = 0xAB;
    const QueryCase cases[] = {
        {"text that fits", 1, Utf16Bytes(u"3.6"), 10, 0, 8, {'3', 0, '.', 0, '6', 0, 0, 0, F, F}},
        {"text one byte too long", 1, Utf16Bytes(u"3.6"), 7, 234, 8, {F, F, F, F, F, F, F}},
        {"exact fit", 1, Utf16Bytes(u"ab"), 6, 0, 6, {'a', 0, 'b', 0, 0, 0}},
        {"unterminated text gets a NUL when there is room", 1, Utf16Bytes(u"ab", false), 8, 0, 4,
         {'a', 0, 'b', 0, 0, 0, F, F}},
        {"unterminated text without room for a NUL", 1, Utf16Bytes(u"ab", false), 5, 0, 4,
         {'a', 0, 'b', 0, F}},
        {"odd length stays odd, a NUL unit after it", 1, {'a', 0, 'b'}, 6, 0, 3, {'a', 0, 'b', 0, 0, F}},
        {"binary gets no NUL", 3, {1, 2, 3, 4}, 8, 0, 4, {1, 2, 3, 4, F, F, F, F}},
        {"empty data", 1, {}, 4, 0, 0, {F, F, F, F}},
        {"dword", 4, {0x78, 0x56, 0x34, 0x12}, 4, 0, 4, {0x78, 0x56, 0x34, 0x12}},
    };
    for (const QueryCase& c : cases) {
        SCOPED_TRACE(c.what);
        machine_.SetValue(kKey, u"Value", c.type, c.stored);
        platform::UniqueRegistryKey key(Open(kKey));
        ASSERT_NE(key, nullptr);
        Bytes buffer(c.capacity, F);
        uint32_t size = c.capacity;
        uint32_t type = 99;
        EXPECT_EQ(platform::QueryRegistryValue(key.get(), u"Value", &type, buffer.data(), &size), c.result);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(buffer, c.expected);
    }
}

TEST_F(Conformance, QueryWithoutBufferGivesTheSizeAndMissingValueFails) {
    machine_.SetValue(kKey, u"Path", 1, Utf16Bytes(u"C:\\Firefox"));
    platform::UniqueRegistryKey key(Open(kKey));
    ASSERT_NE(key, nullptr);
    uint32_t size = 0;
    EXPECT_EQ(platform::QueryRegistryValue(key.get(), u"Path", nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 22u);
    uint8_t buffer[32];
    size = sizeof buffer;
    EXPECT_EQ(platform::QueryRegistryValue(key.get(), u"Missing", nullptr, buffer, &size),
              platform::kErrorFileNotFound);
}

TEST_F(Conformance, TheTypePresetByTheCallerIsIgnored) {
    machine_.SetValue(kKey, u"Number", 4, {1, 0, 0, 0});
    platform::UniqueRegistryKey key(Open(kKey));
    ASSERT_NE(key, nullptr);
    uint32_t type = platform::kRegSz;
    uint8_t buffer[255] = {};
    uint32_t size = 255;
    EXPECT_EQ(platform::QueryRegistryValue(key.get(), u"Number", &type, buffer, &size), 0);
    EXPECT_EQ(type, 4u);
}

TEST_F(Conformance, TheDefaultValueHasAnEmptyName) {
    machine_.SetString(kKey, u"", u"default");
    platform::UniqueRegistryKey key(Open(kKey));
    ASSERT_NE(key, nullptr);
    uint8_t buffer[64] = {};
    uint32_t size = sizeof buffer;
    EXPECT_EQ(platform::QueryRegistryValue(key.get(), u"", nullptr, buffer, &size), 0);
    EXPECT_EQ(size, 16u);
}

// ------------------------------------------------------------------- files

TEST_F(Conformance, CopyCreatesOrOverwritesTheTarget) {
    machine_.WriteFile(In(u"source.dll"), "new bytes");
    EXPECT_NE(platform::CopyFileTo(In(u"source.dll").c_str(), In(u"target.dll").c_str(), false), 0);
    EXPECT_EQ(machine_.ReadFile(In(u"target.dll")), "new bytes");

    machine_.WriteFile(In(u"target.dll"), "an older and longer content");
    EXPECT_NE(platform::CopyFileTo(In(u"source.dll").c_str(), In(u"target.dll").c_str(), false), 0);
    EXPECT_EQ(machine_.ReadFile(In(u"target.dll")), "new bytes");
    EXPECT_EQ(machine_.ReadFile(In(u"source.dll")), "new bytes");
}

TEST_F(Conformance, CopyWithFailIfExistsKeepsAnExistingTarget) {
    machine_.WriteFile(In(u"source.dll"), "new");
    machine_.WriteFile(In(u"target.dll"), "old");
    EXPECT_EQ(platform::CopyFileTo(In(u"source.dll").c_str(), In(u"target.dll").c_str(), true), 0);
    EXPECT_EQ(machine_.ReadFile(In(u"target.dll")), "old");
}

TEST_F(Conformance, CopyFailuresLeaveEverythingAsItWas) {
    machine_.WriteFile(In(u"source.dll"), "bytes");
    machine_.CreateFolder(In(u"folder"));
    struct Case {
        const char* what;
        std::u16string source;
        std::u16string target;
    };
    const Case cases[] = {
        {"missing source", In(u"missing.dll"), In(u"target.dll")},
        {"missing source folder", In(u"nowhere\\source.dll"), In(u"target.dll")},
        {"missing target folder", In(u"source.dll"), In(u"plugins\\target.dll")},
        {"target is a folder", In(u"source.dll"), In(u"folder")},
        {"source is a folder", In(u"folder"), In(u"target.dll")},
        {"source is the target", In(u"source.dll"), In(u"source.dll")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::CopyFileTo(c.source.c_str(), c.target.c_str(), false), 0);
        EXPECT_EQ(machine_.List(machine_.Folder()), (std::vector<std::u16string>{u"folder", u"source.dll"}));
        EXPECT_EQ(machine_.ReadFile(In(u"source.dll")), "bytes");
        EXPECT_TRUE(machine_.List(In(u"folder")).empty());
    }
}

TEST_F(Conformance, DeleteRemovesAFileAndNothingElse) {
    machine_.WriteFile(In(u"npQuillet.dll"), "x");
    machine_.WriteFile(In(u"other.dll"), "y");
    EXPECT_EQ(platform::DeleteOneFile(In(u"npQuillet.dll").c_str()), 1);
    EXPECT_FALSE(machine_.Exists(In(u"npQuillet.dll")));
    EXPECT_TRUE(machine_.Exists(In(u"other.dll")));
}

TEST_F(Conformance, DeleteFailsForMissingPathsFoldersAndReadOnlyFiles) {
    machine_.CreateFolder(In(u"folder"));
    machine_.WriteFile(In(u"locked.dll"), "x");
    machine_.SetReadOnly(In(u"locked.dll"));
    for (const std::u16string& path : {In(u"missing.dll"), In(u"nowhere\\missing.dll"), In(u"folder"),
                                       In(u"locked.dll")}) {
        EXPECT_EQ(platform::DeleteOneFile(path.c_str()), 0);
    }
    EXPECT_TRUE(machine_.IsFolder(In(u"folder")));
    EXPECT_EQ(machine_.ReadFile(In(u"locked.dll")), "x");
}

// An FO_DELETE request with the flags the plug-in work uses, for `list`.
int32_t DeleteTree(const std::u16string& list) {
    platform::FileOperation request;
    request.function = platform::kFoDelete;
    request.from = list.c_str();
    request.flags = platform::kFofSilent | platform::kFofNoConfirmation;
    return platform::RunFileOperation(&request);
}

std::u16string ListOf(const std::vector<std::u16string>& paths) {
    std::u16string list;
    for (const std::u16string& path : paths) list += path + u'\0';
    return list + u'\0';
}

TEST_F(Conformance, TreeDeleteRemovesAFolderWithEverythingInIt) {
    const std::u16string extension = In(u"{5D3B7E21-9A4F-4C08-B6E2-3F71C0A94D58}");
    machine_.CreateFolder(extension + u"\\chrome\\content");
    machine_.WriteFile(extension + u"\\install.rdf", "rdf");
    machine_.WriteFile(extension + u"\\chrome\\content\\overlay.xul", "xul");
    machine_.WriteFile(extension + u"\\chrome\\locked.jar", "jar");
    machine_.SetReadOnly(extension + u"\\chrome\\locked.jar");
    machine_.WriteFile(In(u"neighbour.txt"), "stays");
    EXPECT_EQ(DeleteTree(ListOf({extension})), 0);
    EXPECT_FALSE(machine_.Exists(extension));
    EXPECT_EQ(machine_.ReadFile(In(u"neighbour.txt")), "stays");
}

TEST_F(Conformance, TreeDeleteRemovesFilesAndEveryListedEntry) {
    machine_.WriteFile(In(u"a.txt"), "a");
    machine_.CreateFolder(In(u"b"));
    EXPECT_EQ(DeleteTree(ListOf({In(u"a.txt"), In(u"b")})), 0);
    EXPECT_TRUE(machine_.List(machine_.Folder()).empty());
}

TEST_F(Conformance, TreeDeleteReportsWhatIsMissing) {
    machine_.CreateFolder(In(u"kept"));
    EXPECT_EQ(DeleteTree(ListOf({In(u"missing")})), 2);
    EXPECT_NE(DeleteTree(ListOf({In(u"nowhere\\missing")})), 0);
    EXPECT_NE(DeleteTree(ListOf({})), 0);  // an empty list
    EXPECT_TRUE(machine_.IsFolder(In(u"kept")));
}

// ------------------------------------------------------------- conversions

std::u16string FromUtf8(const std::string& bytes) {
    const int32_t units =
        platform::MultiByteToWide(platform::kCpUtf8, 0, bytes.data(), static_cast<int32_t>(bytes.size()), nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    const int32_t written = platform::MultiByteToWide(platform::kCpUtf8, 0, bytes.data(),
                                                      static_cast<int32_t>(bytes.size()), &wide[0], units);
    EXPECT_EQ(written, units);
    return wide;
}

TEST(ConformanceText, Utf8BecomesUtf16AsWindowsRendersIt) {
    const char16_t R = 0xFFFD;
    struct Case {
        const char* what;
        std::string input;
        std::u16string output;
    };
    const Case cases[] = {
        {"ASCII", "C:\\Program Files", u"C:\\Program Files"},
        {"two-byte character", "caf\xC3\xA9", u"caf\u00E9"},
        {"three-byte character", "\xE2\x82\xAC", u"\u20AC"},
        {"beyond the BMP: a surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"embedded NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"byte order mark kept", "\xEF\xBB\xBF" "a", u"\uFEFFa"},
        {"stray continuation byte", "a\x80" "b", {u'a', R, u'b'}},
        {"invalid lead bytes", "\xC0\xC1\xF5\xFF", {R, R, R, R}},
        {"overlong two-byte form", "\xC0\xAF", {R, R}},
        {"overlong three-byte form", "\xE0\x80\x80", {R, R}},
        {"encoded surrogate", "\xED\xA0\x80", {R, R}},
        {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R}},
        {"cut short before a plain byte", "\xE4\xB8" "A", {R, u'A'}},
        {"four-byte form cut short", "\xF0\x9F\x98" "A", {R, u'A'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FromUtf8(c.input), c.output);
    }
}

TEST(ConformanceText, Utf8ConversionFailsOnlyForAShortBuffer) {
    char16_t out[2] = {};
    EXPECT_EQ(platform::MultiByteToWide(platform::kCpUtf8, 0, "abc", 3, out, 2), 0);
    EXPECT_EQ(platform::MultiByteToWide(platform::kCpUtf8, 0, "abc", -1, nullptr, 0), 4);  // with the NUL
}

std::string ToThreadCodePage(const std::u16string& text) {
    const int32_t bytes = platform::WideToMultiByte(platform::kCpThreadAcp, 0, text.c_str(), -1, nullptr, 0,
                                                    nullptr, nullptr);
    if (bytes <= 0) return "<failed>";
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    EXPECT_EQ(platform::WideToMultiByte(platform::kCpThreadAcp, 0, text.c_str(), -1, &narrow[0], bytes, nullptr,
                                        nullptr),
              bytes);
    narrow.pop_back();  // the terminator
    return narrow;
}

TEST(ConformanceText, ThreadCodePageKeepsAsciiAndReplacesWhatItLacks) {
    EXPECT_EQ(ToThreadCodePage(u"C:\\Program Files\\Corvane"), "C:\\Program Files\\Corvane");
    EXPECT_EQ(ToThreadCodePage(u"\u4E2D\u6587"), "??");   // CJK: no rendering in either code page
    EXPECT_EQ(ToThreadCodePage(u"a\xD800" "b"), "a?b");    // an unpaired surrogate
    EXPECT_EQ(ToThreadCodePage(u""), "");
}

TEST(ConformanceText, ThreadCodePageConversionFailsForAShortBuffer) {
    char out[3] = {};
    EXPECT_EQ(platform::WideToMultiByte(platform::kCpThreadAcp, 0, u"abc", -1, out, 3, nullptr, nullptr), 0);
}

}  // namespace
