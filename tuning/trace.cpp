#include "tuning/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "model/savedgame.h"

namespace qv {

TraceFile::TraceFile(const std::string& path, std::string lineEnd) : lineEnd_(std::move(lineEnd)) {
    const int fd = OpenFile(path, O_WRONLY | O_CREAT | O_TRUNC);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int err = errno;
        ::close(fd);
        throw GameError(ErrnoText(err));
    }
}

TraceFile::~TraceFile() {
    if (file_) std::fclose(file_);
}

void TraceFile::Line(const std::string& text) {
    if (!file_) throw GameError(IoErrorText(103));  // file not open
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
        std::fwrite(lineEnd_.data(), 1, lineEnd_.size(), file_) != lineEnd_.size() ||
        std::fflush(file_) != 0) {
        const int err = errno ? errno : EIO;
        std::fclose(file_);
        file_ = nullptr;
        throw GameError(ErrnoText(err));
    }
}

void TraceFile::Close() {
    if (!file_) return;
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) throw GameError(ErrnoText(errno));
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
