#pragma once
// The tests run as the superuser, who reads and writes anything: a file made
// unreadable (mode 000) stays readable to them. While an OrdinaryUser lives,
// the process's effective user and group are those of "nobody" (65534), so
// that file permissions count as they do for a user; a process that is not
// the superuser already is an ordinary user, and nothing changes.
// POSIX only; the tests that use it are left out of a Windows build.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace gv::test {

inline constexpr uid_t kNobody = 65534;

class OrdinaryUser {
  public:
    OrdinaryUser() {
        if (geteuid() != 0) return;
        // The group first: without the superuser's rights it cannot change.
        dropped_ = setegid(kNobody) == 0 && seteuid(kNobody) == 0;
    }
    ~OrdinaryUser() {
        if (!dropped_) return;
        (void)!seteuid(0);
        (void)!setegid(0);
    }
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

  private:
    bool dropped_ = false;
};

// Hands a file or folder to the user an OrdinaryUser becomes (nothing to do
// for an ordinary user, who owns what it made).
inline void giveToOrdinaryUser(const std::string& path) {
    if (geteuid() == 0) (void)!chown(path.c_str(), kNobody, kNobody);
}

} // namespace gv::test
