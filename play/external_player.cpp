#include "play/external_player.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <optional>
#include <stdexcept>
#include <thread>

#include "play/protocol.h"

extern char** environ;

namespace qv {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kGraceMs = 5000;
constexpr int kExitGraceMs = 2000;
// Waited for a program whose output or input closed to be seen ending.
constexpr int kEndingMs = 500;
// A line longer than this answers nothing.
constexpr size_t kMaxLine = 1 << 16;

struct Answer {
    bool ok = false;   // '=' rather than '?'
    std::string text;  // after the id, the lines joined by '\n'
};

enum class Io { Ok, Dead, Timeout, Aborted, Garbage };

int MsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<int64_t>(left, 0, 1 << 30));
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return std::string(text);
}

// A program's line in a message: printable, and not a screenful.
std::string Shown(std::string_view text) {
    std::string out;
    for (const char ch : text.substr(0, 80))
        out += std::isprint(static_cast<unsigned char>(ch)) ? ch : '?';
    return "'" + out + (text.size() > 80 ? "...'" : "'");
}

// The moves that give the position: the history when it leads there, else
// the pieces in turn, Blue first, when their numbers are ones the turns
// could have left.
std::optional<std::vector<GameMove>> MovesTo(const MoveRequest& request) {
    Board board;
    bool fits = true;
    for (const GameMove& m : request.history) {
        if (!OnBoard(m.column, m.row) || board(m.column, m.row) != Empty ||
            m.colour != SideToMove(board)) {
            fits = false;
            break;
        }
        board(m.column, m.row) = m.colour;
    }
    if (fits && board == request.position) return request.history;

    std::vector<GameMove> blue, red;
    for (int i = 0; i < kPoints; ++i) {
        const int32_t c = request.position[i];
        if (c != Empty) (c == Blue ? blue : red).push_back({ColumnOf(i), RowOf(i), c});
    }
    if (blue.size() != red.size() && blue.size() != red.size() + 1) return std::nullopt;
    std::vector<GameMove> moves;
    for (size_t i = 0; i < blue.size(); ++i) {
        moves.push_back(blue[i]);
        if (i < red.size()) moves.push_back(red[i]);
    }
    return moves;
}

class ExternalPlayer final : public Player {
  public:
    explicit ExternalPlayer(const PlayerSpec& description);
    ~ExternalPlayer() override;
    ExternalPlayer(const ExternalPlayer&) = delete;
    ExternalPlayer& operator=(const ExternalPlayer&) = delete;

    MoveReply GenMove(const MoveRequest& request) override;
    void Stop() override {
        stop_ = true;
        Wake();
    }
    void Abort() override {
        abort_ = true;
        Wake();
    }
    void ClearStop() override {
        stop_ = false;
        abort_ = false;
    }
    std::string Describe() const override { return FormatPlayerSpec(spec_); }

  private:
    void Wake();
    void DrainWake();
    Io Write(const std::string& line, Clock::time_point deadline);
    // Sends the command and waits for its answer. On failure the reason is
    // left in problem_ (or deadReason_).
    Io Ask(const std::string& command, int timeoutMs, Answer& answer, bool stoppable = false);
    Io Receive(int64_t id, const std::string& command, int timeoutMs, Answer& answer,
               bool stoppable);
    enum class Take { None, Answer, Garbage };
    Take TakeAnswer(std::optional<int64_t>& id, Answer& answer, std::string& badLine);
    Io Died(const char* how);
    std::string Why(Io io) const;
    // The stop for a genmove that is given up on, so that the program is
    // free again soon; its answer, if any, is skipped like any late one.
    void SendStopQuietly();
    void WaitForEnd();

    PlayerSpec spec_;
    pid_t pid_ = -1;
    // The program's input is a socket: a write after the program has gone
    // fails instead of raising SIGPIPE in this process.
    int in_ = -1;
    int out_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    std::atomic<bool> abort_{false};
    std::string buffer_;
    // Ids sent and not answered yet, oldest first.
    std::deque<int64_t> waiting_;
    int64_t nextId_ = 1;
    // The program's game as far as it is known; when not known, the next
    // move starts from clear_board.
    std::vector<GameMove> synced_;
    bool syncedKnown_ = false;
    int32_t movetimeSent_ = 0;
    bool dead_ = false;
    std::string deadReason_;
    std::string problem_;
};

ExternalPlayer::ExternalPlayer(const PlayerSpec& description) : spec_(description) {
    const std::string what =
        "player '" + FormatPlayerSpec(description) + "': cannot start /bin/sh: ";
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    const auto fail = [&](int err) {
        for (const int fd : {in[0], in[1], out[0], out[1], wake_[0], wake_[1]})
            if (fd >= 0) ::close(fd);
        throw std::runtime_error(what + std::strerror(err));
    };
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) fail(errno);
    if (::pipe2(out, O_CLOEXEC) != 0) fail(errno);
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) fail(errno);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[1], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // A group of its own: the terminal's interrupt reaches this program,
    // which stops the other as it should, and an end kills what the shell
    // started too.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none, defaults;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    std::string shell = "/bin/sh", dashC = "-c", command = description.command;
    char* argv[] = {shell.data(), dashC.data(), command.data(), nullptr};
    const int err = ::posix_spawn(&pid_, "/bin/sh", &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(in[1]);
    ::close(out[1]);
    in[1] = out[1] = -1;
    if (err != 0) {
        pid_ = -1;
        fail(err);
    }
    in_ = in[0];
    out_ = out[0];
    ::fcntl(in_, F_SETFL, ::fcntl(in_, F_GETFL) | O_NONBLOCK);
    ::fcntl(out_, F_SETFL, ::fcntl(out_, F_GETFL) | O_NONBLOCK);
}

ExternalPlayer::~ExternalPlayer() {
    if (pid_ > 0) {
        if (!dead_) {
            const std::string quit = std::to_string(nextId_++) + " quit\n";
            [[maybe_unused]] const ssize_t n =
                ::send(in_, quit.data(), quit.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        ::close(in_);
        in_ = -1;
        WaitForEnd();
    }
    for (const int fd : {in_, out_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
}

void ExternalPlayer::WaitForEnd() {
    // Its output is read meanwhile, so that a program still answering is
    // not held up on a full pipe.
    const auto ended = [this](int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (true) {
            const pid_t r = ::waitpid(pid_, nullptr, WNOHANG);
            if (r == pid_ || (r < 0 && errno != EINTR)) return true;
            if (Clock::now() >= end) return false;
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0) {
                char sink[4096];
                if (::read(out_, sink, sizeof sink) <= 0) ::usleep(10000);
            }
        }
    };
    if (!ended(kExitGraceMs)) {
        ::kill(-pid_, SIGTERM);
        if (!ended(500)) {
            ::kill(-pid_, SIGKILL);
            while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
    pid_ = -1;
}

void ExternalPlayer::Wake() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &byte, 1);
}

void ExternalPlayer::DrainWake() {
    char sink[64];
    while (::read(wake_[0], sink, sizeof sink) > 0) {
    }
}

Io ExternalPlayer::Died(const char* how) {
    dead_ = true;
    int status = 0;
    bool reaped = false, killed = false;
    const auto end = Clock::now() + std::chrono::milliseconds(kEndingMs);
    while (!reaped) {
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            reaped = true;
        } else if (r < 0 && errno != EINTR) {
            status = -1;
            reaped = true;
        } else if (Clock::now() >= end) {
            // Alive but deaf or mute: of no more use.
            ::kill(-pid_, SIGKILL);
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            reaped = killed = true;
        } else {
            ::usleep(5000);
        }
    }
    pid_ = -1;
    if (killed)
        deadReason_ = std::string("the program ") + how;
    else if (status != -1 && WIFEXITED(status))
        deadReason_ = "the program ended (exit code " + std::to_string(WEXITSTATUS(status)) + ")";
    else if (status != -1 && WIFSIGNALED(status))
        deadReason_ = "the program was killed by signal " + std::to_string(WTERMSIG(status)) +
                      " (" + strsignal(WTERMSIG(status)) + ")";
    else
        deadReason_ = "the program ended";
    return Io::Dead;
}

Io ExternalPlayer::Write(const std::string& line, Clock::time_point deadline) {
    size_t done = 0;
    while (done < line.size()) {
        if (abort_) return Io::Aborted;
        const ssize_t n =
            ::send(in_, line.data() + done, line.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int ms = MsUntil(deadline);
            if (ms == 0) {
                problem_ = "the program did not read its input";
                return Io::Timeout;
            }
            pollfd p[2] = {{in_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
            if (::poll(p, 2, ms) > 0 && (p[1].revents & POLLIN)) DrainWake();
            continue;
        }
        return Died("stopped reading its input");
    }
    return Io::Ok;
}

ExternalPlayer::Take ExternalPlayer::TakeAnswer(std::optional<int64_t>& id, Answer& answer,
                                                std::string& badLine) {
    size_t pos = 0;
    bool started = false;
    while (true) {
        const size_t nl = buffer_.find('\n', pos);
        if (nl == std::string::npos) {
            if (buffer_.size() - pos > kMaxLine) {
                badLine = buffer_.substr(pos, 80);
                return Take::Garbage;
            }
            return Take::None;
        }
        std::string_view line(buffer_.data() + pos, nl - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = nl + 1;
        if (!started) {
            // Blank lines between answers are let pass.
            if (Trimmed(line).empty()) {
                buffer_.erase(0, pos);
                pos = 0;
                continue;
            }
            if (line[0] != '=' && line[0] != '?') {
                badLine = std::string(line);
                return Take::Garbage;
            }
            started = true;
            answer = Answer{line[0] == '=', ""};
            size_t digits = 1;
            while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits])))
                ++digits;
            id.reset();
            if (digits > 1 && digits <= 18)
                id = std::stoll(std::string(line.substr(1, digits - 1)));
            answer.text = Trimmed(line.substr(digits));
        } else if (line.empty()) {
            buffer_.erase(0, pos);
            return Take::Answer;
        } else {
            answer.text += "\n" + Trimmed(line);
        }
    }
}

Io ExternalPlayer::Receive(int64_t id, const std::string& command, int timeoutMs, Answer& answer,
                           bool stoppable) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool stopSent = false;
    while (true) {
        std::optional<int64_t> answered;
        std::string badLine;
        const Take take = TakeAnswer(answered, answer, badLine);
        if (take == Take::Garbage) {
            buffer_.clear();
            problem_ = "the program answered " + Shown(badLine) + " to '" + command + "'";
            return Io::Garbage;
        }
        if (take == Take::Answer) {
            // An answer without an id is the oldest one's; one to a command
            // given up on is skipped.
            if (!answered && waiting_.empty()) continue;
            const int64_t n = answered.value_or(waiting_.front());
            if (std::find(waiting_.begin(), waiting_.end(), n) == waiting_.end()) continue;
            while (waiting_.front() != n) waiting_.pop_front();
            waiting_.pop_front();
            if (n == id) return Io::Ok;
            if (n > id) {
                problem_ = "the program answered out of turn (" + std::to_string(n) + " before " +
                           std::to_string(id) + ")";
                return Io::Garbage;
            }
            continue;
        }

        if (abort_) return Io::Aborted;
        if (stoppable && stop_ && !stopSent) {
            stopSent = true;
            deadline = std::min(deadline, Clock::now() + std::chrono::milliseconds(kGraceMs));
            const std::string stop = std::to_string(nextId_) + " stop\n";
            const Io io = Write(stop, deadline);
            if (io != Io::Ok) return io;
            waiting_.push_back(nextId_++);
        }
        const int ms = MsUntil(deadline);
        if (ms == 0) {
            const size_t nl = buffer_.find('\n');
            problem_ = "the program did not answer '" + command + "' within " +
                       std::to_string(stopSent ? kGraceMs : timeoutMs) + " ms" +
                       (stopSent ? " of a stop" : "");
            if (!buffer_.empty())
                problem_ +=
                    " (it wrote " + Shown(buffer_.substr(0, nl)) + " and no empty line after it)";
            return Io::Timeout;
        }
        pollfd p[2] = {{out_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int ready = ::poll(p, 2, ms);
        if (ready < 0 && errno != EINTR) return Died("could not be read from");
        if (ready <= 0) continue;
        if (p[1].revents & POLLIN) DrainWake();
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char chunk[4096];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n > 0)
                buffer_.append(chunk, static_cast<size_t>(n));
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                return Died("closed its output");
        }
    }
}

Io ExternalPlayer::Ask(const std::string& command, int timeoutMs, Answer& answer, bool stoppable) {
    const int64_t id = nextId_++;
    const Io io = Write(std::to_string(id) + " " + command + "\n",
                        Clock::now() + std::chrono::milliseconds(kGraceMs));
    if (io != Io::Ok) return io;
    waiting_.push_back(id);
    return Receive(id, command, timeoutMs, answer, stoppable);
}

std::string ExternalPlayer::Why(Io io) const {
    if (io == Io::Dead) return deadReason_;
    if (io == Io::Aborted) return "stopped at once";
    return problem_;
}

void ExternalPlayer::SendStopQuietly() {
    if (dead_) return;
    const std::string stop = std::to_string(nextId_) + " stop\n";
    if (::send(in_, stop.data(), stop.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
        static_cast<ssize_t>(stop.size()))
        waiting_.push_back(nextId_++);
}

MoveReply ExternalPlayer::GenMove(const MoveRequest& request) {
    MoveReply reply;
    const auto fail = [&reply](const std::string& why) {
        reply.failed = true;
        reply.failure = why;
        return reply;
    };
    if (dead_) return fail(deadReason_);
    const int32_t empty = request.position.CountOf(Empty);
    if (empty == 0) return reply;  // no move, and nothing to ask
    DrainWake();
    if (abort_) return fail("stopped at once");
    const std::optional<std::vector<GameMove>> moves = MovesTo(request);
    if (!moves)
        return fail(
            "the program cannot be given this position: the turns could not have left its "
            "pieces");

    Answer answer;
    // Every exchange but the genmove's: a failure leaves the program's game
    // unknown.
    const auto ask = [&](const std::string& command) {
        const Io io = Ask(command, kGraceMs, answer);
        if (io != Io::Ok) {
            syncedKnown_ = false;
            reply.failed = true;
            reply.failure = Why(io);
        } else if (!answer.ok) {
            reply.failed = true;
            reply.failure = "the program refused '" + command + "': " + answer.text;
        }
        return !reply.failed;
    };

    const bool onTrack = syncedKnown_ && synced_.size() <= moves->size() &&
                         std::equal(synced_.begin(), synced_.end(), moves->begin());
    if (!onTrack) {
        if (!ask("clear_board")) return reply;
        synced_.clear();
        syncedKnown_ = true;
    }
    for (size_t i = synced_.size(); i < moves->size(); ++i) {
        const GameMove& m = (*moves)[i];
        if (!ask(std::string("play ") + ProtocolColourName(m.colour) + " " +
                 PointName(m.column, m.row)))
            return reply;
        synced_.push_back(m);
    }
    if (request.movetimeMs > 0 && request.movetimeMs != movetimeSent_) {
        // A program that keeps its own time may not know the command.
        const std::string command = "movetime " + std::to_string(request.movetimeMs);
        const Io io = Ask(command, kGraceMs, answer);
        if (io != Io::Ok) {
            syncedKnown_ = false;
            return fail(Why(io));
        }
        movetimeSent_ = request.movetimeMs;
    }

    // The side to move is played; for the other colour the program only
    // answers, as a suggestion does.
    const bool plays = request.colour == SideToMove(request.position);
    const std::string command =
        std::string(plays ? "genmove " : "reg_genmove ") + ProtocolColourName(request.colour);
    const int32_t thinking = request.movetimeMs > 0 ? request.movetimeMs : spec_.movetimeMs;
    const int timeoutMs =
        static_cast<int>(std::min<int64_t>(int64_t{thinking} + kGraceMs, 1 << 30));
    const Io io = Ask(command, timeoutMs, answer, /*stoppable=*/true);
    if (io != Io::Ok) {
        syncedKnown_ = false;
        if (io == Io::Timeout || io == Io::Aborted) SendStopQuietly();
        return fail(Why(io));
    }
    if (!answer.ok) return fail("the program refused '" + command + "': " + answer.text);
    std::string said = answer.text;
    std::transform(said.begin(), said.end(), said.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::optional<Point> point = ParseProtocolPoint(said);
    if (plays) syncedKnown_ = false;  // until the move is known to be a sound one
    if (said == "pass" || said == "resign")
        return fail("the program " + std::string(said == "pass" ? "passed" : "resigned") +
                    " with " + std::to_string(empty) + " points empty");
    if (!point)
        return fail("the program answered " + Shown(answer.text) + " to '" + command +
                    "', which is not a point");
    if (request.position(point->column, point->row) != Empty)
        return fail("the program played the occupied point " +
                    PointName(point->column, point->row));
    if (plays) {
        synced_.push_back({point->column, point->row, request.colour});
        syncedKnown_ = true;
    }
    reply.move = {point->column, point->row, 0.0f};
    reply.search.line.fill(kNoMove);
    reply.search.line[1] = reply.move;
    return reply;
}

}  // namespace

std::unique_ptr<Player> MakeExternalPlayer(const PlayerSpec& description) {
    return std::make_unique<ExternalPlayer>(description);
}

}  // namespace qv
