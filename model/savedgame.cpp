#include "model/savedgame.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace qv {

std::string IoErrorText(int code) {
    switch (code) {
        case 2: return "File not found";
        case 3: return "Invalid filename";
        case 4: return "Too many open files";
        case 5: return "File access denied";
        case 100: return "Read beyond end of file";
        case 101: return "Disk full";
        case 106: return "Invalid numeric input";
        default: return "I/O error " + std::to_string(code);
    }
}

std::string ErrnoText(int err) {
    switch (err) {
        case ENOENT: return IoErrorText(2);
        case ENAMETOOLONG:
        case EINVAL:
        case ENOTDIR: return IoErrorText(3);
        case EMFILE:
        case ENFILE: return IoErrorText(4);
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return IoErrorText(5);
        case ENOSPC:
        case EDQUOT: return IoErrorText(101);
        default: return IoErrorText(err);
    }
}

std::string FormatGame(const std::array<Point, 65>& history) {
    std::string out;
    for (int n = 1; n <= 64 && history[n].column != 0; ++n) {
        out += static_cast<char>(64 + history[n].column);
        out += ',';
        out += std::to_string(9 - history[n].row);
        out += "\r\n";
    }
    return out;
}

namespace {

// Bytes of a line as a message quotes them: a control byte by its code, so
// that a stray NUL cannot cut the message short nor an escape reach a terminal.
std::string Quoted(std::string_view text) {
    std::string out = "'";
    for (const char ch : text) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b < 32 || b == 127) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += ch;
        }
    }
    return out + "'";
}

}  // namespace

std::vector<Point> ParseGame(std::string_view bytes) {
    std::vector<Point> moves;
    size_t i = 0;
    int line = 1;  // physical line of the file, for messages
    auto isBreak = [](unsigned char b) { return b == 13 || b == 10; };
    while (true) {
        // Blanks, control bytes and empty lines before a move are skipped.
        while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) <= 32 && bytes[i] != 26) {
            const unsigned char b = bytes[i];
            if (b == 10 || (b == 13 && !(i + 1 < bytes.size() && bytes[i + 1] == 10))) ++line;
            ++i;
        }
        if (i >= bytes.size() || bytes[i] == 26) break;
        const size_t start = i;
        while (i < bytes.size() && !isBreak(bytes[i]) && bytes[i] != 26) ++i;
        const std::string_view text = bytes.substr(start, i - start);
        const std::string where = "Line " + std::to_string(line) + ": ";

        if (text.size() < 3)
            throw GameError(where + Quoted(text) + " is too short for a move such as C,5");
        if (text[0] < 'A' || text[0] > 'H')
            throw GameError(where + Quoted(text.substr(0, 1)) + " is not a column letter A to H");
        if (text[2] < '0' || text[2] > '9')
            throw GameError(Quoted(text.substr(2, 1)) + " is not a valid integer value");
        if (text[2] < '1' || text[2] > '8')
            throw GameError(where + "row " + std::string(1, text[2]) + " is not between 1 and 8");
        if (moves.size() == 64) throw GameError(where + "a game holds at most 64 moves");
        moves.push_back({text[0] - 64, 9 - (text[2] - '0')});
    }
    return moves;
}

void ApplyGame(Game& game, const std::vector<Point>& moves) {
    game.ClearGame();
    int32_t n = 1;
    for (const Point& p : moves) {
        game.MoveHistory[n] = p;
        game.board(p.column, p.row) = ColourOfMove(n);
        ++n;
    }
    game.RecountMoves();
}

namespace {

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

[[noreturn]] void ThrowErrno(int err) { throw GameError(ErrnoText(err)); }

void WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno);
        }
        done += static_cast<size_t>(n);
    }
}

// "" for a file that may be opened.
const char* SpecialKind(mode_t mode) {
    if (S_ISDIR(mode)) return "A directory";
    if (S_ISFIFO(mode)) return "A named pipe";
    if (S_ISSOCK(mode)) return "A socket";
    return "";
}

[[noreturn]] void ThrowSpecial(const char* kind) {
    throw GameError(std::string(kind) + " is not a file");
}

}  // namespace

int OpenFile(const std::string& path, int flags, unsigned mode) {
    // Without O_NONBLOCK a named pipe holds open() until its other end opens.
    Fd f;
    f.fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
    struct stat st {};
    if (f.fd < 0) {
        const int err = errno;
        // A socket, a pipe without a reader, a directory opened for writing.
        if (::stat(path.c_str(), &st) == 0 && *SpecialKind(st.st_mode))
            ThrowSpecial(SpecialKind(st.st_mode));
        ThrowErrno(err);
    }
    if (::fstat(f.fd, &st) != 0) ThrowErrno(errno);
    if (*SpecialKind(st.st_mode)) ThrowSpecial(SpecialKind(st.st_mode));
    // A device keeps its usual blocking reads and writes.
    const int status = ::fcntl(f.fd, F_GETFL);
    if (status < 0 || ::fcntl(f.fd, F_SETFL, status & ~O_NONBLOCK) != 0) ThrowErrno(errno);
    const int fd = f.fd;
    f.fd = -1;
    return fd;
}

std::vector<Point> LoadGameFile(const std::string& path) {
    Fd f;
    f.fd = OpenFile(path, O_RDONLY);
    std::string bytes;
    char buf[4096];
    while (true) {
        const ssize_t n = ::read(f.fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno);
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
        // No real saved game comes near this; do not swallow a huge file.
        if (bytes.size() > (1u << 20)) throw GameError(path + " is not a saved game: it is too large");
    }
    return ParseGame(bytes);
}

void SaveGameFile(const std::string& path, const std::array<Point, 65>& history) {
    const std::string data = FormatGame(history);
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;

    // A folder keeps the text Save has always given for it.
    if (exists && S_ISDIR(st.st_mode)) ThrowErrno(EISDIR);
    // A device or other special file cannot be replaced: write into it directly.
    if (exists && !S_ISREG(st.st_mode)) {
        Fd f;
        f.fd = OpenFile(path, O_WRONLY | O_TRUNC);
        WriteAll(f.fd, data);
        const int fd = f.fd;
        f.fd = -1;
        if (::close(fd) != 0) ThrowErrno(errno);
        return;
    }

    std::string tmp = path + ".XXXXXX";
    Fd f;
    f.fd = ::mkstemp(tmp.data());
    if (f.fd < 0) ThrowErrno(errno);
    try {
        mode_t mode;
        if (exists) {
            mode = st.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(f.fd, mode);
        WriteAll(f.fd, data);
        if (::fsync(f.fd) != 0) ThrowErrno(errno);
        const int fd = f.fd;
        f.fd = -1;
        if (::close(fd) != 0) ThrowErrno(errno);
        if (::rename(tmp.c_str(), path.c_str()) != 0) ThrowErrno(errno);
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
}

}  // namespace qv
