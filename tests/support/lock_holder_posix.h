// Another process holding a folder's lock (or a file's and its folder's)
// until destroyed (the child is killed, the system drops its locks);
// held(): the child claimed it.
#pragma once

#include <csignal>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "fs/folders.h"

class LockHolder {
public:
    explicit LockHolder(const std::string& folder, bool file = false) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        if ((pid_ = ::fork()) == 0) {
            const Claim claimed = (file ? folder_lock_of_file(Path{folder}) : folder_lock(Path{folder})).claim;
            const char byte = claimed == Claim::claimed ? 'y' : 'n';
            if (::write(ready[1], &byte, 1) == 1) ::pause();
            ::_exit(0);
        }
        char byte = 0;
        held_ = pid_ > 0 && ::read(ready[0], &byte, 1) == 1 && byte == 'y';
        for (const int fd : ready) ::close(fd);
    }
    ~LockHolder() {
        if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool held() const { return held_; }

private:
    pid_t pid_ = -1;
    bool held_ = false;
};
