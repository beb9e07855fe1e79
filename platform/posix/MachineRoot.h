// MachineRoot.h - the machine folder, and opening paths that can never leave it.
#pragma once

#include <string>

#include "MachinePath.h"

namespace platform::posix {

// Owns a file descriptor; -1 is none.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    int release();
    void reset(int fd = -1);
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The folder that TESKHOOK_ROOT names, opened as a directory; none when the
// variable is unset or empty or the folder cannot be opened.
UniqueFd OpenMachineRoot();

// Opens `relative` below the directory `base` with openat2 and
// RESOLVE_BENEATH: no "..", absolute path or symbolic link can lead outside
// `base`; such a path fails (EXDEV). An empty `relative` opens `base` itself.
// Where the kernel lacks openat2, no symbolic link is followed at all.
UniqueFd OpenBeneath(int base, const std::string& relative, int flags, unsigned mode = 0);

// A Windows path resolved to its parent folder inside the machine folder and
// its last component, which is not looked at yet.
struct ResolvedPath {
    UniqueFd root;
    UniqueFd parent;
    std::string leaf;
    MachinePath path;
};

// Maps `path` and opens its parent folder beneath the machine folder. Fails
// (false, errno set) without a machine folder, for a path that does not map,
// for a drive itself (no component), and when the parent cannot be opened.
bool ResolveParent(const char16_t* path, ResolvedPath* resolved);

}  // namespace platform::posix
