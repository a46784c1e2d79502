// quadrivane-cli engine: a player on standard input and output, for programs
// that run games (the match tool's external: players among them). Commands
// and answers follow the conventions of the Go Text Protocol: a command on a
// line with an optional numeric id, answered "=id result" or "?id message"
// and an empty line.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "cli/common.h"
#include "engine/strong_time.h"
#include "model/board_text.h"
#include "model/game.h"
#include "model/savedgame.h"
#include "model/scoring.h"
#include "play/levels.h"
#include "play/player.h"
#include "play/protocol.h"

namespace qv::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The handlers only write the signal's number here; the session's loop reads it.
int gSignalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

// SIGINT stops a genmove in progress and is otherwise let pass, so that a
// program running this one may use it as a stop without a race; SIGTERM
// ends the session. A signal ignored when the program started stays ignored.
void CatchSessionSignals() {
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make a pipe for the signals");
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction old {};
        ::sigaction(signal, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
    // A reader that went away is a write error, not a silent death.
    ::signal(SIGPIPE, SIG_IGN);
}

struct Command {
    std::string id;
    std::string name;
    std::string args;  // the rest of the line, trimmed
};

// Control characters dropped, tabs as spaces, a '#' and what follows it
// dropped; nothing for an empty line.
std::optional<Command> ParseCommand(const std::string& line) {
    std::string clean;
    for (char ch : line) {
        if (ch == '#') break;
        if (ch == '\t') ch = ' ';
        if (static_cast<unsigned char>(ch) < 32 || ch == 127) continue;
        clean += ch;
    }
    std::istringstream in(clean);
    std::string first;
    if (!(in >> first)) return std::nullopt;
    Command c;
    if (first.find_first_not_of("0123456789") == std::string::npos) {
        c.id = first;
        in >> c.name;
    } else {
        c.name = first;
    }
    std::getline(in, c.args);
    const size_t start = c.args.find_first_not_of(' ');
    c.args = start == std::string::npos
                 ? ""
                 : c.args.substr(start, c.args.find_last_not_of(' ') + 1 - start);
    return c;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

const char* Title(int32_t colour) {
    return colour == Red ? "Red" : "Blue";
}

// The board the moves leave, a later move on a point replacing an earlier
// one as loading a saved game does.
Board Replay(const std::vector<GameMove>& moves) {
    Board board;
    for (const GameMove& m : moves) board(m.column, m.row) = m.colour;
    return board;
}

class Session {
  public:
    explicit Session(const PlayerSpec& description)
        : spec_(description), player_(MakePlayer(description, &engine_)) {
        if (::pipe2(done_, O_CLOEXEC | O_NONBLOCK) != 0)
            throw std::runtime_error("cannot make a pipe for the searches");
    }
    ~Session() {
        if (worker_.joinable()) {
            player_->Abort();
            worker_.join();
        }
        ::close(done_[0]);
        ::close(done_[1]);
    }

    // The exit code: 0 after quit or the end of the input, 1 when an answer
    // could not be written (the message is on stderr), 128 + SIGTERM after
    // that signal.
    int Run();

  private:
    struct Handler {
        const char* name;
        void (Session::*run)(const Command&);
    };
    static const std::vector<Handler>& Handlers();

    void Execute(const std::string& line);
    void Answer(const Command& c, bool ok, const std::string& text = "");
    void Fail(const Command& c, const std::string& text) { Answer(c, false, text); }
    // The one argument a command takes; false (and answered) if not so.
    bool OneArgument(const Command& c, const char* usage, std::string& arg);
    bool NoArguments(const Command& c);
    std::optional<int32_t> ColourArgument(const Command& c, const char* usage);
    std::optional<int64_t> Milliseconds(const Command& c, int64_t lo, int64_t hi);
    void Finish();
    int32_t Budget(int32_t colour) const;

    void ProtocolVersion(const Command& c);
    void Name(const Command& c);
    void Version(const Command& c);
    void KnownCommand(const Command& c);
    void ListCommands(const Command& c);
    void Quit(const Command& c);
    void ClearBoard(const Command& c);
    void Play(const Command& c);
    void Undo(const Command& c);
    void GenMove(const Command& c) { StartMove(c, true); }
    void RegGenMove(const Command& c) { StartMove(c, false); }
    void StartMove(const Command& c, bool plays);
    void ShowBoard(const Command& c);
    void LoadGame(const Command& c);
    void FinalScore(const Command& c);
    void SetPlayer(const Command& c);
    void TimeLeft(const Command& c);
    void Movetime(const Command& c);
    void StopCommand(const Command& c);

    Board board_;
    std::vector<GameMove> history_;
    PlayerSpec spec_;
    Engine engine_;
    std::unique_ptr<Player> player_;
    int32_t movetimeMs_ = 0;  // 0: the player's own
    std::optional<int64_t> timeLeftMs_;

    // The move being searched, on worker_.
    std::thread worker_;
    int done_[2] = {-1, -1};
    Command moveCommand_;
    int32_t moveColour_ = Empty;
    bool movePlays_ = false;
    Clock::time_point moveStart_;
    MoveReply reply_;
    std::string thrown_;

    std::deque<std::string> queued_;
    std::string input_;
    bool eof_ = false;
    bool quit_ = false;
    bool writeFailed_ = false;
    int writeErrno_ = 0;
};

const std::vector<Session::Handler>& Session::Handlers() {
    static const std::vector<Handler> handlers = {
        {"protocol_version", &Session::ProtocolVersion},
        {"name", &Session::Name},
        {"version", &Session::Version},
        {"known_command", &Session::KnownCommand},
        {"list_commands", &Session::ListCommands},
        {"quit", &Session::Quit},
        {"clear_board", &Session::ClearBoard},
        {"play", &Session::Play},
        {"undo", &Session::Undo},
        {"genmove", &Session::GenMove},
        {"reg_genmove", &Session::RegGenMove},
        {"showboard", &Session::ShowBoard},
        {"loadgame", &Session::LoadGame},
        {"final_score", &Session::FinalScore},
        {"set_player", &Session::SetPlayer},
        {"time_left", &Session::TimeLeft},
        {"movetime", &Session::Movetime},
        {"stop", &Session::StopCommand},
    };
    return handlers;
}

int Session::Run() {
    while (true) {
        if (writeFailed_) {
            std::fprintf(stderr, "quadrivane-cli: cannot write the output: %s\n",
                         writeErrno_ != 0 ? std::strerror(writeErrno_) : "write error");
            return 1;
        }
        const bool running = worker_.joinable();
        if (!running) {
            if (quit_) break;
            if (!queued_.empty()) {
                const std::string line = queued_.front();
                queued_.pop_front();
                Execute(line);
                continue;
            }
            if (eof_) break;
        }
        pollfd p[3] = {{eof_ ? -1 : 0, POLLIN, 0},
                       {gSignalPipe[0], POLLIN, 0},
                       {running ? done_[0] : -1, POLLIN, 0}};
        if (::poll(p, 3, -1) < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        }
        if (p[1].revents & POLLIN) {
            char signals[16];
            const ssize_t n = ::read(gSignalPipe[0], signals, sizeof signals);
            for (ssize_t i = 0; i < n; ++i) {
                if (signals[i] == SIGTERM) return 128 + SIGTERM;
                if (worker_.joinable()) player_->Stop();
            }
        }
        if (p[2].revents & POLLIN) Finish();
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char chunk[4096];
            const ssize_t n = ::read(0, chunk, sizeof chunk);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) {
                // The end of the input ends the session once the move in
                // progress, stopped now, is answered.
                eof_ = true;
                if (!input_.empty()) queued_.push_back(input_);
                input_.clear();
                if (worker_.joinable()) player_->Stop();
                continue;
            }
            input_.append(chunk, static_cast<size_t>(n));
            for (size_t nl; (nl = input_.find('\n')) != std::string::npos;) {
                const std::string line = input_.substr(0, nl);
                input_.erase(0, nl + 1);
                // Read while a move is searched: stop (and quit, which
                // would wait for it) ends the search now; the rest waits.
                if (worker_.joinable()) {
                    const std::optional<Command> c = ParseCommand(line);
                    if (c && (c->name == "stop" || c->name == "quit")) player_->Stop();
                }
                queued_.push_back(line);
            }
        }
    }
    return 0;
}

void Session::Execute(const std::string& line) {
    const std::optional<Command> c = ParseCommand(line);
    if (!c) return;
    for (const Handler& h : Handlers())
        if (c->name == h.name) {
            try {
                (this->*h.run)(*c);
            } catch (const std::exception& e) {
                Fail(*c, e.what());
            }
            return;
        }
    Fail(*c, "unknown command");
}

void Session::Answer(const Command& c, bool ok, const std::string& text) {
    // An empty line would end the answer early.
    std::string body;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\n' && (i + 1 == text.size() || text[i + 1] == '\n'))) body += text[i];
    const std::string out =
        std::string(ok ? "=" : "?") + c.id + (body.empty() ? "" : " " + body) + "\n\n";
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        writeFailed_ = true;
        writeErrno_ = errno;
    }
}

bool Session::NoArguments(const Command& c) {
    if (c.args.empty()) return true;
    Fail(c, "syntax error: " + c.name + " takes no arguments");
    return false;
}

bool Session::OneArgument(const Command& c, const char* usage, std::string& arg) {
    const std::vector<std::string> words = Words(c.args);
    if (words.size() == 1) {
        arg = words[0];
        return true;
    }
    Fail(c, std::string("syntax error: ") + usage);
    return false;
}

std::optional<int32_t> Session::ColourArgument(const Command& c, const char* usage) {
    std::string word;
    if (!OneArgument(c, usage, word)) return std::nullopt;
    const int32_t colour = ParseProtocolColour(word);
    if (colour != Empty) return colour;
    Fail(c, "syntax error: '" + word + "' is not a colour (red, blue, r or b)");
    return std::nullopt;
}

std::optional<int64_t> Session::Milliseconds(const Command& c, int64_t lo, int64_t hi) {
    std::string word;
    if (!OneArgument(c, (c.name + " MS").c_str(), word)) return std::nullopt;
    try {
        return ParseDecimal(c.name, word, lo, hi);
    } catch (const UsageError& e) {
        Fail(c, std::string("syntax error: ") + e.what());
        return std::nullopt;
    }
}

void Session::ProtocolVersion(const Command& c) {
    if (NoArguments(c)) Answer(c, true, "2");
}

void Session::Name(const Command& c) {
    if (NoArguments(c)) Answer(c, true, "Quadrivane");
}

void Session::Version(const Command& c) {
    if (NoArguments(c)) Answer(c, true, QUADRIVANE_VERSION);
}

void Session::KnownCommand(const Command& c) {
    std::string name;
    if (!OneArgument(c, "known_command NAME", name)) return;
    bool known = false;
    for (const Handler& h : Handlers()) known = known || name == h.name;
    Answer(c, true, known ? "true" : "false");
}

void Session::ListCommands(const Command& c) {
    if (!NoArguments(c)) return;
    std::string names;
    for (const Handler& h : Handlers()) names += (names.empty() ? "" : "\n") + std::string(h.name);
    Answer(c, true, names);
}

void Session::Quit(const Command& c) {
    if (!NoArguments(c)) return;
    Answer(c, true);
    quit_ = true;
}

void Session::ClearBoard(const Command& c) {
    if (!NoArguments(c)) return;
    board_ = Board{};
    history_.clear();
    Answer(c, true);
}

void Session::Play(const Command& c) {
    const std::vector<std::string> words = Words(c.args);
    if (words.size() != 2) return Fail(c, "syntax error: play COLOUR POINT");
    const int32_t colour = ParseProtocolColour(words[0]);
    if (colour == Empty)
        return Fail(c, "syntax error: '" + words[0] + "' is not a colour (red, blue, r or b)");
    std::string second = words[1];
    std::transform(second.begin(), second.end(), second.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    const bool pass = second == "pass";
    const std::optional<Point> point = ParseProtocolPoint(words[1]);
    if (!point && !pass)
        return Fail(c, "syntax error: '" + words[1] + "' is not a point such as C,5");
    const bool full = board_.CountOf(Empty) == 0;
    // A pass is the only move a full board leaves.
    if (pass)
        return full ? Answer(c, true) : Fail(c, "illegal move: no pass while points are empty");
    if (full) return Fail(c, "illegal move: the board is full");
    if (colour != SideToMove(board_))
        return Fail(c, std::string("illegal move: ") + Title(SideToMove(board_)) + " is to move");
    if (board_(point->column, point->row) != Empty)
        return Fail(c, "illegal move: " + PointName(point->column, point->row) + " is occupied");
    board_(point->column, point->row) = colour;
    history_.push_back({point->column, point->row, colour});
    Answer(c, true);
}

void Session::Undo(const Command& c) {
    if (!NoArguments(c)) return;
    if (history_.empty()) return Fail(c, "cannot undo: no move to take back");
    history_.pop_back();
    board_ = Replay(history_);
    Answer(c, true);
}

int32_t Session::Budget(int32_t colour) const {
    if (!timeLeftMs_) return movetimeMs_;
    // The clock rule's share for this move; a strong player applies the
    // rule itself (with its hard limit), others are told the share.
    const int32_t empty = board_.CountOf(Empty);
    const int32_t plies = kPoints - empty + (colour == SideToMove(board_) ? 0 : 1);
    return static_cast<int32_t>(std::clamp<double>(
        strong::ClockBudget(*timeLeftMs_, 0, 0, plies, empty).targetMs, 1, 600000));
}

void Session::StartMove(const Command& c, bool plays) {
    const std::optional<int32_t> colour =
        ColourArgument(c, plays ? "genmove COLOUR" : "reg_genmove COLOUR");
    if (!colour) return;
    if (board_.CountOf(Empty) == 0) return Answer(c, true, "pass");
    if (plays && *colour != SideToMove(board_))
        return Fail(c,
                    std::string(Title(SideToMove(board_))) + " is to move, not " + Title(*colour));
    MoveRequest request;
    request.position = board_;
    request.colour = *colour;
    request.history = history_;
    request.movetimeMs = Budget(*colour);
    request.timeLeftMs = timeLeftMs_ ? *timeLeftMs_ : -1;
    player_->ClearStop();
    moveCommand_ = c;
    moveColour_ = *colour;
    movePlays_ = plays;
    moveStart_ = Clock::now();
    thrown_.clear();
    worker_ = std::thread([this, request] {
        try {
            reply_ = player_->GenMove(request);
        } catch (const std::exception& e) {
            thrown_ = e.what();
        }
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(done_[1], &byte, 1);
    });
}

void Session::Finish() {
    char sink[16];
    while (::read(done_[0], sink, sizeof sink) > 0) {
    }
    worker_.join();
    if (timeLeftMs_) {
        const auto used =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - moveStart_);
        *timeLeftMs_ = std::max<int64_t>(0, *timeLeftMs_ - used.count());
    }
    const Command& c = moveCommand_;
    if (!thrown_.empty()) return Fail(c, thrown_);
    if (reply_.failed) return Fail(c, reply_.failure);
    const ScoredMove& m = reply_.move;
    if (m.column == -1) return Fail(c, "the player found no move");
    if (!OnBoard(m.column, m.row) || board_(m.column, m.row) != Empty)
        return Fail(c, "the player named a point that cannot be played");
    if (movePlays_) {
        board_(m.column, m.row) = moveColour_;
        history_.push_back({m.column, m.row, moveColour_});
    }
    Answer(c, true, PointName(m.column, m.row));
}

void Session::ShowBoard(const Command& c) {
    if (NoArguments(c)) Answer(c, true, FormatBoardText(board_));
}

void Session::LoadGame(const Command& c) {
    if (c.args.empty()) return Fail(c, "syntax error: loadgame FILE");
    std::vector<Point> moves;
    try {
        moves = LoadGameFile(c.args);
    } catch (const GameError& e) {
        return Fail(c, c.args + ": " + e.what());
    }
    Game game;
    ApplyGame(game, moves);
    board_ = game.board;
    history_.clear();
    for (size_t i = 0; i < moves.size(); ++i)
        history_.push_back(
            {moves[i].column, moves[i].row, ColourOfMove(static_cast<int32_t>(i) + 1)});
    Answer(c, true);
}

void Session::FinalScore(const Command& c) {
    if (!NoArguments(c)) return;
    const int32_t lead = TotalScore(Blue, board_) - TotalScore(Red, board_);
    Answer(c, true,
           lead == 0 ? "0" : (lead > 0 ? "B+" : "R+") + std::to_string(lead > 0 ? lead : -lead));
}

void Session::SetPlayer(const Command& c) {
    if (c.args.empty()) return Fail(c, "syntax error: set_player PLAYER");
    PlayerSpec description;
    try {
        description = ParsePlayerSpec(c.args);
    } catch (const PlayerSpecError& e) {
        return Fail(c, e.what());
    }
    player_ = MakePlayer(description, &engine_);
    spec_ = description;
    movetimeMs_ = 0;
    Answer(c, true);
}

void Session::TimeLeft(const Command& c) {
    if (const std::optional<int64_t> ms = Milliseconds(c, 0, INT32_MAX)) {
        timeLeftMs_ = *ms;
        Answer(c, true);
    }
}

void Session::Movetime(const Command& c) {
    if (const std::optional<int64_t> ms = Milliseconds(c, 1, 600000)) {
        movetimeMs_ = static_cast<int32_t>(*ms);
        Answer(c, true);
    }
}

// A stop read while a move was searched has already stopped it; now, or
// with nothing searched, it only needs its answer.
void Session::StopCommand(const Command& c) {
    if (NoArguments(c)) Answer(c, true);
}

void RunEngine(const std::string& playerText) {
    PlayerSpec description = DefaultPlayer();
    if (!playerText.empty()) {
        try {
            description = ParsePlayerSpec(playerText);
        } catch (const PlayerSpecError& e) {
            throw UsageError(std::string("--player: ") + e.what());
        }
    }
    CatchSessionSignals();
    int code = 0;
    {
        Session session(description);
        code = session.Run();
    }
    if (code != 0) {
        std::fflush(stdout);
        std::exit(code);
    }
}

}  // namespace

void AddEngineCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "engine",
        "play through a line protocol on standard input and output (protocol_version, genmove, "
        "play, undo, ...; list_commands names them all)");
    auto player = std::make_shared<std::string>();
    AddText(*command, "--player", *player,
            "the player, as set_player takes it (default classic:depth=11,width=3)");
    command->footer(std::string(PlayerGrammar()) + "\n\n" + LevelsTable());
    command->callback([player] { RunEngine(*player); });
}

}  // namespace qv::cli
