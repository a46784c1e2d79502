#include "tuning/trace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "model/savedgame.h"

namespace qv {

namespace {

[[noreturn]] void Fail(int err) {
    throw GameError(ErrnoText(err));
}

// A link is followed: the file it names is the one replaced.
std::string Resolved(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

}  // namespace

TraceFile::TraceFile(const std::string& path, std::string lineEnd)
    : lineEnd_(std::move(lineEnd)), target_(Resolved(path)) {
    struct stat st {};
    mode_t mode = 0;
    if (::stat(target_.c_str(), &st) == 0) {
        // Opening refuses what cannot be written or would block, and changes
        // nothing in a file.
        const int fd = OpenFile(target_, O_WRONLY);
        if (!S_ISREG(st.st_mode)) {
            file_ = ::fdopen(fd, "wb");
            if (!file_) {
                const int err = errno;
                ::close(fd);
                Fail(err);
            }
            return;
        }
        ::close(fd);
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        Fail(errno);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::string name = target_ + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) Fail(errno);
    ::fchmod(fd, mode);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int err = errno;
        ::close(fd);
        ::unlink(name.c_str());
        Fail(err);
    }
    temporary_ = name;
}

TraceFile::~TraceFile() {
    if (!file_) return;
    if (!written_) {
        Drop();
        return;
    }
    try {
        Close();
    } catch (const GameError&) {
    }
}

void TraceFile::Drop() {
    std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void TraceFile::Line(const std::string& text) {
    if (!file_) throw GameError(IoErrorText(103));  // file not open
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
        std::fwrite(lineEnd_.data(), 1, lineEnd_.size(), file_) != lineEnd_.size() ||
        std::fflush(file_) != 0) {
        const int err = errno ? errno : EIO;
        Drop();
        Fail(err);
    }
    written_ = true;
}

void TraceFile::Close() {
    if (!file_) return;
    std::FILE* f = file_;
    file_ = nullptr;
    const bool replacing = !temporary_.empty();
    int err = 0;
    if (replacing && ::fsync(::fileno(f)) != 0) err = errno;
    if (std::fclose(f) != 0 && err == 0) err = errno;
    if (err == 0 && replacing && ::rename(temporary_.c_str(), target_.c_str()) != 0) err = errno;
    if (err == 0) return;
    if (replacing) ::unlink(temporary_.c_str());
    Fail(err);
}

bool SameOutput(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    const bool hasA = ::stat(a.c_str(), &sa) == 0, hasB = ::stat(b.c_str(), &sb) == 0;
    if (hasA && hasB)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino && S_ISREG(sa.st_mode);
    if (hasA != hasB) return false;
    std::error_code ea, eb;
    const auto pa = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
    const auto pb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
    return !ea && !eb && pa == pb;
}

std::string DefaultTracePath() {
#ifdef _WIN32
    return "C:\\TRACE.TXT";
#else
    const char* home = std::getenv("HOME");
    std::string dir = home && *home ? home : ".";
    if (dir.back() != '/') dir += '/';
    return dir + "TRACE.TXT";
#endif
}

}  // namespace qv
