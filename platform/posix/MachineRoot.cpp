// MachineRoot.cpp - the machine folder from TESKHOOK_ROOT, and confined opening beneath it.
#include "MachineRoot.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform::posix {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    reset(other.release());
    return *this;
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
}

UniqueFd OpenMachineRoot() {
    const char* root = std::getenv("TESKHOOK_ROOT");
    if (root == nullptr || *root == '\0') {
        errno = ENOENT;
        return UniqueFd();
    }
    return UniqueFd(open(root, O_PATH | O_DIRECTORY | O_CLOEXEC));
}

namespace {

// Without openat2 (Linux before 5.6, or valgrind) the path is walked one
// component at a time and no symbolic link is followed at all: stricter than
// RESOLVE_BENEATH, and just as confined.
UniqueFd OpenByWalking(int base, const std::string& relative, int flags, unsigned mode) {
    if (!relative.empty() && relative[0] == '/') {
        errno = EXDEV;
        return UniqueFd();
    }
    UniqueFd folder(fcntl(base, F_DUPFD_CLOEXEC, 0));
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        const std::string component = relative.substr(start, slash == std::string::npos ? slash : slash - start);
        if (component == "..") {
            errno = EXDEV;
            return UniqueFd();
        }
        const bool last = slash == std::string::npos;
        if (!folder) return UniqueFd();
        if (last) {
            return UniqueFd(openat(folder.get(), component.empty() ? "." : component.c_str(),
                                   flags | O_NOFOLLOW | O_CLOEXEC, mode));
        }
        if (!component.empty() && component != ".") {
            folder.reset(openat(folder.get(), component.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        start = slash + 1;
    }
}

}  // namespace

UniqueFd OpenBeneath(int base, const std::string& relative, int flags, unsigned mode) {
    static bool haveOpenat2 = true;
    if (!haveOpenat2) return OpenByWalking(base, relative, flags, mode);
    open_how how = {};
    how.flags = static_cast<uint64_t>(flags | O_CLOEXEC);
    how.mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const char* path = relative.empty() ? "." : relative.c_str();
    long fd = -1;
    // EAGAIN: a rename elsewhere raced with the lookup; the kernel asks for a retry.
    for (int attempt = 0; attempt < 8; ++attempt) {
        fd = syscall(SYS_openat2, base, path, &how, sizeof how);
        if (fd >= 0 || errno != EAGAIN) break;
    }
    if (fd < 0 && errno == ENOSYS) {
        haveOpenat2 = false;
        return OpenByWalking(base, relative, flags, mode);
    }
    return UniqueFd(static_cast<int>(fd));
}

bool ResolveParent(const char16_t* path, ResolvedPath* resolved) {
    if (path == nullptr || !MapWindowsPath(path, &resolved->path) || resolved->path.components.empty()) {
        errno = EINVAL;
        return false;
    }
    resolved->root = OpenMachineRoot();
    if (!resolved->root) return false;
    MachinePath parent = resolved->path;
    resolved->leaf = parent.components.back();
    parent.components.pop_back();
    resolved->parent = OpenBeneath(resolved->root.get(), parent.Relative(), O_PATH | O_DIRECTORY);
    return static_cast<bool>(resolved->parent);
}

}  // namespace platform::posix
