#include "fs/failure.h"

#include "sys/os.h"

Failure system_failure(const char* doing, const std::string& path) {
    return code_failure(os::last_error(), doing, path);
}

Failure code_failure(long code, const char* doing, const std::string& path) {
    Failure failure;
    failure.code = code;
    failure.doing = doing;
    failure.path = path;
    return failure;
}

Failure own_failure(const char* reason, const char* doing, const std::string& path) {
    Failure failure = code_failure(0, doing, path);
    failure.own = reason;
    return failure;
}

namespace {

Text system_words(long code) {
    char text[256];
    return os::error_text(code, text, sizeof text);
}

}  // namespace

Text failure_reason(const Failure& failure) {
    return (failure.own != nullptr ? Text(failure.own) : system_words(failure.code)) + failure.note;
}

Text failure_plain_reason(const Failure& failure, const Path& named, std::string_view doing) {
    if (failure.own != nullptr) return failure_reason(failure);
    const char* plain = nullptr;
    switch (os::error_cause(failure.code)) {
    case os::Cause::missing:
        plain = doing == "create" ? "its folder does not exist" : "it does not exist";
        break;
    case os::Cause::denied: {
        // Refused where the file itself takes no writes: write-protected.
        std::string target;
        os::Info info;
        const bool write_protected = os::final_info(failure.path.empty() ? named.native : failure.path, target, info) &&
                                     info.kind == os::Kind::file && info.read_only;
        plain = write_protected ? "it is write-protected" : "no permission";
        break;
    }
    case os::Cause::read_only_volume:
        plain = "the file system is read-only";
        break;
    case os::Cause::full:
        plain = "the disk is full";
        break;
    case os::Cause::in_use:
        plain = "another program has the file open";
        break;
    case os::Cause::other:
        return failure_reason(failure);
    }
    return plain + failure.note;
}
