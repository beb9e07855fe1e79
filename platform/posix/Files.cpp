// Files.cpp - copy, delete and tree delete, each confined to the machine folder.
//
// Every path is resolved to its parent folder beneath the machine folder
// (openat2, RESOLVE_BENEATH); the last component is then handled with the
// *at calls without following a symbolic link.
#include "Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "MachineRoot.h"
#include "Platform.h"

namespace platform::posix {

namespace {

// Beside the codes of Platform.h, the two that only a tree delete gives.
constexpr int32_t kFolderMissing = 124;  // what Wine answers for an entry whose folder is missing
constexpr int32_t kFailed = 1117;        // ERROR_IO_DEVICE: any other failure

bool IsReadOnly(const struct stat& status) { return (status.st_mode & S_IWUSR) == 0; }

// Copies all of `in` into `out`: in the kernel where it can, else by reading.
bool CopyContents(int in, int out) {
    for (;;) {
        const ssize_t copied = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (copied == 0) return true;
        if (copied > 0) continue;
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return false;
        break;  // not between these files: copy by hand from where it stopped
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = write(out, buffer + written, static_cast<std::size_t>(got - written));
            if (put < 0 && errno != EINTR) return false;
            if (put > 0) written += put;
        }
    }
}

// A new file beside the target, removed again unless it is renamed into place.
class TemporaryFile {
public:
    TemporaryFile(int folder, const std::string& leaf) : folder_(folder) {
        std::random_device random;
        for (int attempt = 0; attempt < 16 && !fd_; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
            name_ = "." + leaf + ".copy-" + suffix;
            fd_.reset(openat(folder_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!fd_ && errno != EEXIST) break;
        }
    }
    ~TemporaryFile() {
        if (!name_.empty() && !committed_) unlinkat(folder_, name_.c_str(), 0);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_.get(); }
    explicit operator bool() const { return static_cast<bool>(fd_); }

    bool CommitAs(const std::string& leaf) {
        if (close(fd_.release()) != 0) return false;
        committed_ = renameat(folder_, name_.c_str(), folder_, leaf.c_str()) == 0;
        return committed_;
    }

private:
    int folder_;
    std::string name_;
    UniqueFd fd_;
    bool committed_ = false;
};

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Removes everything inside the open folder `folder`, then nothing else.
bool EmptyFolder(int folder) {
    const int listing = dup(folder);
    if (listing < 0) return false;
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(listing));
    if (!dir) {
        close(listing);
        return false;
    }
    bool madeWritable = false;
    for (dirent* entry = readdir(dir.get()); entry != nullptr; entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status;
            if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return false;
            isFolder = S_ISDIR(status.st_mode);
        }
        if (isFolder) {
            UniqueFd child(openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!child) {
                // A folder that cannot even be listed is made readable once, as
                // Windows removes read-only folders too.
                if (errno != EACCES || fchmodat(folder, name.c_str(), 0700, 0) != 0) return false;
                child.reset(openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
                if (!child) return false;
            }
            if (!EmptyFolder(child.get())) return false;
        }
        if (unlinkat(folder, name.c_str(), isFolder ? AT_REMOVEDIR : 0) != 0) {
            // A read-only folder keeps its entries; make it writable once.
            if (errno != EACCES || madeWritable || fchmod(folder, 0700) != 0) return false;
            madeWritable = true;
            if (unlinkat(folder, name.c_str(), isFolder ? AT_REMOVEDIR : 0) != 0) return false;
        }
    }
    return true;
}

}  // namespace

int32_t CopyMachineFile(const char16_t* source, const char16_t* target, bool failIfExists) {
    ResolvedPath from;
    ResolvedPath to;
    if (!ResolveParent(source, &from) || !ResolveParent(target, &to)) return 0;
    // The source may be reached through links that stay inside the machine.
    const UniqueFd in = OpenBeneath(from.root.get(), from.path.Relative(), O_RDONLY);
    struct stat sourceStatus;
    if (!in || fstat(in.get(), &sourceStatus) != 0 || !S_ISREG(sourceStatus.st_mode)) return 0;

    struct stat targetStatus;
    if (fstatat(to.parent.get(), to.leaf.c_str(), &targetStatus, AT_SYMLINK_NOFOLLOW) == 0) {
        if (failIfExists || S_ISDIR(targetStatus.st_mode)) return 0;
        if (S_ISREG(targetStatus.st_mode) && IsReadOnly(targetStatus)) return 0;
        if (targetStatus.st_dev == sourceStatus.st_dev && targetStatus.st_ino == sourceStatus.st_ino) return 0;
    } else if (errno != ENOENT) {
        return 0;
    }

    TemporaryFile copy(to.parent.get(), to.leaf);
    if (!copy || !CopyContents(in.get(), copy.fd()) || fchmod(copy.fd(), sourceStatus.st_mode & 0777) != 0) {
        return 0;
    }
    return copy.CommitAs(to.leaf) ? 1 : 0;
}

int32_t DeleteMachineFile(const char16_t* path) {
    ResolvedPath resolved;
    if (!ResolveParent(path, &resolved)) return 0;
    struct stat status;
    if (fstatat(resolved.parent.get(), resolved.leaf.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return 0;
    if (S_ISDIR(status.st_mode) || (S_ISREG(status.st_mode) && IsReadOnly(status))) return 0;
    return unlinkat(resolved.parent.get(), resolved.leaf.c_str(), 0) == 0 ? 1 : 0;
}

int32_t DeleteMachineTree(const char16_t* path) {
    ResolvedPath resolved;
    if (!ResolveParent(path, &resolved)) {
        if (errno == EINVAL) return kErrorInvalidName;
        return errno == ENOENT || errno == ENOTDIR ? kFolderMissing : kFailed;
    }
    struct stat status;
    if (fstatat(resolved.parent.get(), resolved.leaf.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? kErrorFileNotFound : kFailed;
    }
    if (!S_ISDIR(status.st_mode)) {
        return unlinkat(resolved.parent.get(), resolved.leaf.c_str(), 0) == 0 ? kErrorSuccess : kErrorAccessDenied;
    }
    UniqueFd folder(
        openat(resolved.parent.get(), resolved.leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder && errno == EACCES && fchmodat(resolved.parent.get(), resolved.leaf.c_str(), 0700, 0) == 0) {
        folder.reset(
            openat(resolved.parent.get(), resolved.leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    if (!folder || !EmptyFolder(folder.get())) return kFailed;
    return unlinkat(resolved.parent.get(), resolved.leaf.c_str(), AT_REMOVEDIR) == 0 ? kErrorSuccess : kErrorAccessDenied;
}

}  // namespace platform::posix
