// machine_files_test.cpp - the emulated machine's files: path mapping, confinement, and what only POSIX shows.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <locale.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Platform.h"
#include "TestMachine.h"
#include "posix/MachinePath.h"

namespace {

namespace fs = std::filesystem;
using platform::posix::MachinePath;
using platform::posix::MapWindowsPath;

TEST(MachinePathMapping, MapsAsWineMapsItsDrives) {
    struct Case {
        std::u16string windows;
        const char* relative;  // nullptr: the path does not map
    };
    const Case cases[] = {
        {u"C:\\Program Files\\Mozilla Firefox", "drive_c/Program Files/Mozilla Firefox"},
        {u"D:/data/x.dll", "drive_d/data/x.dll"},
        {u"e:\\", "drive_e"},
        {u"Z:", "drive_z"},
        {u"C:relative", "drive_c/relative"},
        {u"\\rooted\\path", "drive_c/rooted/path"},
        {u"relative\\path", "drive_c/relative/path"},
        {u"", "drive_c"},
        {u"C:\\a\\\\b//c\\", "drive_c/a/b/c"},
        {u"C:\\a\\.\\b\\.", "drive_c/a/b"},
        {u"C:\\a\\..\\b", "drive_c/b"},
        {u"C:\\..\\..\\etc\\passwd", "drive_c/etc/passwd"},
        {u"\\..\\..", "drive_c"},
        {u"C:\\Caf\u00E9\\\U0001F600", "drive_c/Caf\xC3\xA9/\xF0\x9F\x98\x80"},
        {u"C:\\...\\x", "drive_c/.../x"},
        {u"\\\\server\\share\\x", nullptr},
        {u"\\\\?\\C:\\x", nullptr},
        {u"\\\\.\\pipe\\x", nullptr},
        {u"//server/share", nullptr},
        {u"C:\\a*b", nullptr},
        {u"C:\\a?b", nullptr},
        {u"C:\\a:b", nullptr},
        {u"C:\\a|b", nullptr},
        {u"C:\\a\x01" u"b", nullptr},
        {u"C:\\lone\xD800", nullptr},
        {u"1:\\x", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.windows.begin(), c.windows.end()));
        MachinePath mapped;
        const bool ok = MapWindowsPath(c.windows, &mapped);
        EXPECT_EQ(ok, c.relative != nullptr);
        if (ok && c.relative != nullptr) {
            EXPECT_EQ(mapped.Relative(), c.relative);
        }
    }
}

// A machine folder, a folder outside it, and helpers on host paths.
class MachineFiles : public ::testing::Test {
protected:
    TestMachine machine_;
    fs::path root_ = getenv("TESKHOOK_ROOT");
    fs::path work_ = root_ / "drive_c" / "work";
    fs::path outside_;

    void SetUp() override {
        char pattern[] = "/tmp/qlff-outside-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        outside_ = pattern;
        Write(outside_ / "secret.txt", "secret");
        fs::create_directories(outside_ / "folder");
        Write(outside_ / "folder" / "inside.txt", "inside");
    }
    void TearDown() override { fs::remove_all(outside_); }

    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    void ExpectOutsideUntouched() {
        EXPECT_EQ(Read(outside_ / "secret.txt"), "secret");
        EXPECT_EQ(Read(outside_ / "folder" / "inside.txt"), "inside");
        EXPECT_EQ(std::distance(fs::directory_iterator(outside_), fs::directory_iterator()), 2);
    }
};

int32_t DeleteTree(const std::u16string& path, uint32_t function = platform::kFoDelete) {
    const std::u16string list = path + u'\0' + u'\0';
    platform::FileOperation request;
    request.function = function;
    request.from = list.c_str();
    request.flags = platform::kFofSilent | platform::kFofNoConfirmation;
    return platform::RunFileOperation(&request);
}

TEST_F(MachineFiles, LinksOutOfTheRootAreNeverFollowed) {
    fs::create_symlink(outside_ / "folder", work_ / "folder-link");
    fs::create_symlink(outside_ / "secret.txt", work_ / "secret-link");
    fs::create_symlink("../../../..", work_ / "up");
    Write(work_ / "plugin.dll", "plugin");

    EXPECT_EQ(platform::CopyFileTo(u"C:\\work\\plugin.dll", u"C:\\work\\folder-link\\inside.txt", false), 0);
    EXPECT_EQ(platform::CopyFileTo(u"C:\\work\\plugin.dll", u"C:\\work\\folder-link\\new.txt", false), 0);
    EXPECT_EQ(platform::CopyFileTo(u"C:\\work\\secret-link", u"C:\\work\\copy.txt", false), 0);
    EXPECT_EQ(platform::CopyFileTo(u"C:\\work\\folder-link\\inside.txt", u"C:\\work\\copy.txt", false), 0);
    EXPECT_EQ(platform::CopyFileTo(u"C:\\work\\up\\tmp\\x", u"C:\\work\\copy.txt", false), 0);
    EXPECT_EQ(platform::DeleteOneFile(u"C:\\work\\folder-link\\inside.txt"), 0);
    EXPECT_NE(DeleteTree(u"C:\\work\\folder-link\\inside.txt"), 0);
    EXPECT_FALSE(fs::exists(work_ / "copy.txt"));
    ExpectOutsideUntouched();

    // Removing a link removes the link only.
    EXPECT_EQ(DeleteTree(u"C:\\work\\folder-link"), 0);
    EXPECT_EQ(platform::DeleteOneFile(u"C:\\work\\secret-link"), 1);
    EXPECT_FALSE(fs::exists(fs::symlink_status(work_ / "folder-link")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(work_ / "secret-link")));
    ExpectOutsideUntouched();
}

TEST_F(MachineFiles, ATreeWithLinksInsideLosesTheLinksNotTheirTargets) {
    fs::create_directories(work_ / "extension" / "sub");
    fs::create_symlink(outside_ / "folder", work_ / "extension" / "sub" / "to-folder");
    fs::create_symlink(outside_ / "secret.txt", work_ / "extension" / "to-secret");
    EXPECT_EQ(DeleteTree(u"C:\\work\\extension"), 0);
    EXPECT_FALSE(fs::exists(work_ / "extension"));
    ExpectOutsideUntouched();
}

TEST_F(MachineFiles, ADriveLinkedOutOfTheRootIsUnreachable) {
    fs::create_symlink(outside_, root_ / "drive_d");
    EXPECT_EQ(platform::DeleteOneFile(u"D:\\secret.txt"), 0);
    EXPECT_NE(DeleteTree(u"D:\\folder"), 0);
    EXPECT_EQ(platform::CopyFileTo(u"D:\\secret.txt", u"C:\\work\\copy.txt", false), 0);
    ExpectOutsideUntouched();
}

TEST_F(MachineFiles, DotDotStopsAtTheDrive) {
    Write(root_ / "registry.reg", "REGEDIT4\n");
    Write(work_ / "plugin.dll", "plugin");
    EXPECT_EQ(platform::DeleteOneFile(u"C:\\..\\registry.reg"), 0);  // that is C:\registry.reg
    EXPECT_TRUE(fs::exists(root_ / "registry.reg"));
    EXPECT_NE(platform::CopyFileTo(u"C:\\work\\plugin.dll", u"C:\\..\\..\\work\\..\\plugin.dll", false), 0);
    EXPECT_EQ(Read(root_ / "drive_c" / "plugin.dll"), "plugin");
}

TEST_F(MachineFiles, WithoutARootNothingIsTouched) {
    Write(work_ / "plugin.dll", "plugin");
    const char* const values[] = {"", nullptr};
    for (const char* value : values) {
        if (value != nullptr) {
            setenv("TESKHOOK_ROOT", value, 1);
        } else {
            unsetenv("TESKHOOK_ROOT");
        }
        EXPECT_EQ(platform::CopyFileTo(u"C:\\work\\plugin.dll", u"C:\\work\\copy.dll", false), 0);
        EXPECT_EQ(platform::DeleteOneFile(u"C:\\work\\plugin.dll"), 0);
        EXPECT_NE(DeleteTree(u"C:\\work"), 0);
    }
    setenv("TESKHOOK_ROOT", root_.c_str(), 1);
    EXPECT_EQ(Read(work_ / "plugin.dll"), "plugin");
    EXPECT_FALSE(fs::exists(work_ / "copy.dll"));
}

TEST_F(MachineFiles, NamesOnDiskAreCaseSensitive) {
    Write(work_ / "File.txt", "x");
    EXPECT_EQ(platform::DeleteOneFile(u"C:\\work\\FILE.TXT"), 0);
    EXPECT_EQ(platform::DeleteOneFile(u"C:\\work\\File.txt"), 1);
}

TEST_F(MachineFiles, CopyKeepsPermissionBitsAndLeavesNoTemporaryFile) {
    Write(work_ / "tool.exe", "tool");
    chmod((work_ / "tool.exe").c_str(), 0751);
    Write(work_ / "locked.dll", "locked");
    chmod((work_ / "locked.dll").c_str(), 0444);
    EXPECT_NE(platform::CopyFileTo(u"C:\\work\\tool.exe", u"C:\\work\\tool-copy.exe", false), 0);
    EXPECT_NE(platform::CopyFileTo(u"C:\\work\\locked.dll", u"C:\\work\\locked-copy.dll", false), 0);
    EXPECT_EQ(platform::CopyFileTo(u"C:\\work\\missing", u"C:\\work\\x", false), 0);
    struct stat status;
    ASSERT_EQ(stat((work_ / "tool-copy.exe").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0751u);
    ASSERT_EQ(stat((work_ / "locked-copy.dll").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0444u);
    EXPECT_EQ(std::distance(fs::directory_iterator(work_), fs::directory_iterator()), 4);
}

TEST_F(MachineFiles, CopyRefusesAReadOnlyTarget) {
    // Windows refuses too; Wine running as root overwrites it, so this case
    // is stated for the emulation only.
    Write(work_ / "source.dll", "new");
    Write(work_ / "target.dll", "old");
    chmod((work_ / "target.dll").c_str(), 0444);
    EXPECT_EQ(platform::CopyFileTo(u"C:\\work\\source.dll", u"C:\\work\\target.dll", false), 0);
    EXPECT_EQ(Read(work_ / "target.dll"), "old");
}

TEST_F(MachineFiles, CopyReplacesTheTargetWholeRatherThanRewritingIt) {
    Write(work_ / "source.dll", "the new plug-in");
    Write(work_ / "target.dll", "the old plug-in, still being read");
    std::ifstream reader(work_ / "target.dll", std::ios::binary);  // a reader that has the old file open
    EXPECT_NE(platform::CopyFileTo(u"C:\\work\\source.dll", u"C:\\work\\target.dll", false), 0);
    std::ostringstream seen;
    seen << reader.rdbuf();
    EXPECT_EQ(seen.str(), "the old plug-in, still being read");
    EXPECT_EQ(Read(work_ / "target.dll"), "the new plug-in");
}

TEST_F(MachineFiles, CopyOverALinkReplacesTheLink) {
    Write(work_ / "source.dll", "new");
    fs::create_symlink(outside_ / "secret.txt", work_ / "target.dll");
    EXPECT_NE(platform::CopyFileTo(u"C:\\work\\source.dll", u"C:\\work\\target.dll", false), 0);
    EXPECT_FALSE(fs::is_symlink(work_ / "target.dll"));
    EXPECT_EQ(Read(work_ / "target.dll"), "new");
    ExpectOutsideUntouched();
}

TEST_F(MachineFiles, TreeDeleteRemovesReadOnlyFolders) {
    fs::create_directories(work_ / "ext" / "locked");
    Write(work_ / "ext" / "locked" / "file", "x");
    chmod((work_ / "ext" / "locked").c_str(), 0555);
    chmod((work_ / "ext").c_str(), 0555);
    EXPECT_EQ(DeleteTree(u"C:\\work\\ext"), 0);
    EXPECT_FALSE(fs::exists(work_ / "ext"));
}

TEST_F(MachineFiles, TreeDeleteRefusesWildcardsOtherFunctionsAndWholeDrives) {
    fs::create_directories(work_ / "ext");
    EXPECT_NE(DeleteTree(u"C:\\work\\e*"), 0);
    EXPECT_NE(DeleteTree(u"C:\\work\\ex?"), 0);
    EXPECT_EQ(DeleteTree(u"C:\\work\\ext", 2 /* FO_COPY */), platform::kErrorInvalidParameter);
    EXPECT_NE(DeleteTree(u"C:\\"), 0);
    EXPECT_NE(DeleteTree(u"C:"), 0);
    EXPECT_TRUE(fs::is_directory(work_ / "ext"));
}

TEST_F(MachineFiles, TreeDeleteStopsAtTheFirstMissingEntry) {
    fs::create_directories(work_ / "a");
    fs::create_directories(work_ / "c");
    const std::u16string list = std::u16string(u"C:\\work\\a") + u'\0' + u"C:\\work\\b" + u'\0' + u"C:\\work\\c" +
                                u'\0' + u'\0';
    platform::FileOperation request;
    request.function = platform::kFoDelete;
    request.from = list.c_str();
    EXPECT_EQ(platform::RunFileOperation(&request), 2);
    EXPECT_FALSE(fs::exists(work_ / "a"));
    EXPECT_TRUE(fs::exists(work_ / "c"));
}

}  // namespace

namespace {

std::string InThreadCodePage(const std::u16string& text) {
    char out[64] = {};
    const int32_t bytes =
        platform::WideToMultiByte(platform::kCpThreadAcp, 0, text.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return bytes > 0 ? std::string(out, static_cast<std::size_t>(bytes - 1)) : "<failed>";
}

TEST(ThreadCodePage, FollowsTheLocaleOfTheCallingThread) {
    const std::u16string text = u"Caf\u00E9 \u0416";
    EXPECT_EQ(InThreadCodePage(text), "Caf? ZH");  // the "C" locale: ASCII, transliterated where glibc can
    locale_t utf8 = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    ASSERT_NE(utf8, static_cast<locale_t>(nullptr));
    const locale_t previous = uselocale(utf8);
    EXPECT_EQ(InThreadCodePage(text), "Caf\xC3\xA9 \xD0\x96");
    uselocale(previous);
    freelocale(utf8);
    EXPECT_EQ(InThreadCodePage(text), "Caf? ZH");
}

}  // namespace
