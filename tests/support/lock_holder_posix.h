// Another process holding a folder's lock, for the POSIX tests.
#pragma once

#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "runtime/file.h"

// A child process that claims the folder and holds it until the object is
// destroyed; held() tells whether its claim succeeded.
class LockHolder {
public:
    explicit LockHolder(const std::string& folder) {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(release_) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            char byte = folder_lock(Path{folder}) == FOLDER_CLAIMED ? 'y' : 'n';
            (void)::write(ready[1], &byte, 1);
            (void)::read(release_[0], &byte, 1);
            ::_exit(0);
        }
        char byte = 0;
        held_ = ::read(ready[0], &byte, 1) == 1 && byte == 'y';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~LockHolder() {
        (void)::write(release_[1], "x", 1);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
        ::close(release_[0]);
        ::close(release_[1]);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool held() const { return held_; }

private:
    int release_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool held_ = false;
};
