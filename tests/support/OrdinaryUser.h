#pragma once
// Takes the rights of an ordinary user (nobody) for its lifetime when the
// test runs as root, so that file and folder permissions count; nothing
// changes for other users.

#include <sys/types.h>
#include <unistd.h>

class OrdinaryUser {
public:
    OrdinaryUser()
    {
        if (::geteuid() != 0)
            return;
        if (::setegid(kNobody) != 0 || ::seteuid(kNobody) != 0) {
            (void)::setegid(0);
            failed_ = true;
            return;
        }
        switched_ = true;
    }
    ~OrdinaryUser()
    {
        if (switched_) {
            (void)::seteuid(0);
            (void)::setegid(0);
        }
    }
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;
    bool failed() const { return failed_; }
    // The owner a file must have for this user to write it.
    static uid_t uid() { return ::geteuid() == 0 ? kNobody : ::geteuid(); }
    static gid_t gid() { return ::geteuid() == 0 ? kNobody : ::getegid(); }
    static constexpr uid_t kNobody = 65534;

private:
    bool switched_ = false;
    bool failed_ = false;
};
