// The engine protocol, from both ends: quadrivane-cli engine driven by a
// script and by hand, and outside programs as players.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "play/game_loop.h"
#include "play/player.h"

namespace qv {
namespace {

using Clock = std::chrono::steady_clock;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string TestFile(const std::string& name) {
    return std::string(QUADRIVANE_CLI_TEST_DIR) + "/" + std::to_string(::getpid()) + "-" + name;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Every child of this process has been waited for.
bool NoChildren() {
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// The command's answers in order, each without its closing empty line.
std::vector<std::string> Answers(const std::string& output) {
    std::vector<std::string> answers;
    size_t start = 0;
    for (size_t end; (end = output.find("\n\n", start)) != std::string::npos; start = end + 2)
        answers.push_back(output.substr(start, end - start));
    if (start != output.size()) answers.push_back("unterminated: " + output.substr(start));
    return answers;
}

// A session read from a file, answered command by command; "": no answer
// (blank lines, comments, whatever follows quit).
TEST(EngineProtocol, ScriptedSession) {
    const std::string full = TestFile("full.qdv"), three = TestFile("three.qdv"),
                      bad = TestFile("bad.qdv");
    {
        std::ofstream f(full, std::ios::binary);
        for (char column = 'A'; column <= 'H'; ++column)
            for (char row = '1'; row <= '8'; ++row) f << column << ',' << row << "\r\n";
    }
    std::ofstream(three, std::ios::binary) << "D,4\r\nE,5\r\nC,3\r\n";
    std::ofstream(bad, std::ios::binary) << "A,8\r\nZ,8\r\n";
    // The classic default's genmove is suggest's first move, exactly.
    const std::string suggestOut = TestFile("suggest.json");
    ASSERT_EQ(std::system(("'" + std::string(QUADRIVANE_CLI) + "' suggest --colour red --game '" +
                           three + "' > '" + suggestOut + "'")
                              .c_str()),
              0);
    const std::string suggested =
        nlohmann::json::parse(Slurp(suggestOut))["line"][0]["point"].get<std::string>();
    // A level that draws among its moves draws as suggest --level does.
    ASSERT_EQ(std::system(("'" + std::string(QUADRIVANE_CLI) + "' suggest --colour red --game '" +
                           three + "' --level 3 > '" + suggestOut + "'")
                              .c_str()),
              0);
    const std::string levelSuggested =
        nlohmann::json::parse(Slurp(suggestOut))["line"][0]["point"].get<std::string>();

    const struct {
        std::string command;
        std::string answer;
    } session[] = {
        {"protocol_version", "= 2"},
        {"1 name", "=1 Quadrivane"},
        {"   # a comment", ""},
        {"", ""},
        {"7 frobnicate", "?7 unknown command"},
        {"known_command genmove", "= true"},
        {"known_command fly", "= false"},
        {"name twice", "? syntax error: name takes no arguments"},
        {"play green C,5", "? syntax error: 'green' is not a colour (red, blue, r or b)"},
        {"play b Z,9", "? syntax error: 'Z,9' is not a point such as C,5"},
        {"play b", "? syntax error: play COLOUR POINT"},
        {"undo", "? cannot undo: no move to take back"},
        {"play r C,5", "? illegal move: Blue is to move"},
        {"genmove red", "? Blue is to move, not Red"},
        {"play b pass", "? illegal move: no pass while points are empty"},
        {"play BLUE c,5  # the status bar's point", "="},
        {"play r C,5", "? illegal move: C,5 is occupied"},
        {"showboard", "= ......../......../......../..b...../......../......../......../........"},
        {"12 undo", "=12"},
        {"undo", "? cannot undo: no move to take back"},
        // A red square of 4.
        {"play b H,1", "="},
        {"play r A,8", "="},
        {"play b H,3", "="},
        {"play r B,8", "="},
        {"play b H,5", "="},
        {"play r A,7", "="},
        {"play b H,7", "="},
        {"play r B,7", "="},
        {"final_score", "= R+4"},
        {"undo", "="},
        {"final_score", "= 0"},
        {"clear_board", "="},
        {"showboard", "= ......../......../......../......../......../......../......../........"},
        {"set_player classic:depth=99",
         "? player 'classic:depth=99': depth=99 is not a whole number in 1..15"},
        {"movetime 0", "? syntax error: movetime: 0 is outside 1..600000"},
        {"time_left soon", "? syntax error: time_left: 'soon' is not a decimal integer"},
        {"loadgame /nonexistent/x.qdv", "? /nonexistent/x.qdv: File not found"},
        {"loadgame " + bad, "? " + bad + ": Line 2: 'Z' is not a column letter A to H"},
        {"loadgame " + three, "="},
        {"reg_genmove r", "= " + suggested},
        {"genmove r", "= " + suggested},
        {"undo", "="},
        {"set_player level:11", "? player 'level:11': the levels are level:1 to level:10"},
        {"set_player level:3", "="},
        {"genmove r", "= " + levelSuggested},
        {"undo", "="},
        {"loadgame " + full, "="},
        {"genmove b", "= pass"},
        {"reg_genmove r", "= pass"},
        {"play b A,1", "? illegal move: the board is full"},
        {"play r pass", "="},
        {"quit", "="},
        {"name", ""},
    };
    std::string input, expected;
    std::vector<std::string> commands;
    for (const auto& step : session) {
        input += step.command + "\n";
        if (step.answer.empty()) continue;
        commands.push_back(step.command);
        expected += step.answer + "\n\n";
    }
    const std::string in = TestFile("session.in"), out = TestFile("session.out");
    std::ofstream(in, std::ios::binary) << input;
    const int status = std::system(
        ("'" + std::string(QUADRIVANE_CLI) + "' engine < '" + in + "' > '" + out + "'").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::vector<std::string> got = Answers(Slurp(out)), want = Answers(expected);
    for (size_t i = 0; i < std::max(got.size(), want.size()); ++i)
        EXPECT_EQ(i < got.size() ? got[i] : "(none)", i < want.size() ? want[i] : "(none)")
            << (i < commands.size() ? commands[i] : "(no command)");
    for (const std::string& f : {full, three, bad, suggestOut, in, out}) std::remove(f.c_str());
}

// quadrivane-cli engine on pipes, for what a file cannot do: wait between
// commands and send signals.
struct EngineProcess {
    pid_t pid = -1;
    int in = -1, out = -1;
    std::string read;

    explicit EngineProcess(const std::vector<std::string>& args) {
        int toChild[2], fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return;
        std::vector<char*> argv{const_cast<char*>(QUADRIVANE_CLI), const_cast<char*>("engine")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid = ::fork();
        if (pid == 0) {
            std::signal(SIGINT, SIG_DFL);
            ::dup2(toChild[0], 0);
            ::dup2(fromChild[1], 1);
            for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) ::close(fd);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in = toChild[1];
        out = fromChild[0];
    }
    ~EngineProcess() {
        if (in >= 0) ::close(in);
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (out >= 0) ::close(out);
    }
    void Send(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(in, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // The next answer, or "" if none comes in time.
    std::string Answer(double seconds) {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (read.find("\n\n") == std::string::npos) {
            const int ms = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
            pollfd p{out, POLLIN, 0};
            if (ms <= 0 || ::poll(&p, 1, ms) <= 0) return "";
            char chunk[256];
            const ssize_t n = ::read(out, chunk, sizeof chunk);
            if (n <= 0) return "";
            read.append(chunk, static_cast<size_t>(n));
        }
        const size_t end2 = read.find("\n\n");
        const std::string answer = read.substr(0, end2);
        read.erase(0, end2 + 2);
        return answer;
    }
    // The exit status once the input is closed.
    int Close() {
        ::close(in);
        in = -1;
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return status;
    }
};

// A search that would think for ten minutes or more answers at once with its
// best move when stopped by a line or by SIGINT, and the session goes on; a
// classic search stopped inside its first root move answers too.
TEST(EngineProtocol, StopEndsALongGenmoveWithAMove) {
    for (const char* player : {"strong:movetime=600000", "classic:depth=15,full-width"})
        for (const bool bySignal : {false, true}) {
            SCOPED_TRACE(std::string(player) + (bySignal ? " SIGINT" : " stop"));
            EngineProcess engine({"--player", player});
            ASSERT_GT(engine.pid, 0);
            engine.Send("name");
            ASSERT_EQ(engine.Answer(30), "= Quadrivane");  // running, its signals caught
            engine.Send("5 genmove b");
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const auto start = Clock::now();
            if (bySignal)
                ::kill(engine.pid, SIGINT);
            else
                engine.Send("6 stop");
            const std::string move = engine.Answer(10);
            EXPECT_LT(SecondsSince(start), 5.0);
            EXPECT_TRUE(move.rfind("=5 ", 0) == 0 && move.size() == 6 && move[4] == ',') << move;
            if (!bySignal) {
                EXPECT_EQ(engine.Answer(5), "=6");
            }
            engine.Send("final_score");
            EXPECT_EQ(engine.Answer(5), "= 0");
            const int status = engine.Close();
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
}

std::string CliCommand() {
    return "'" + std::string(QUADRIVANE_CLI) + "' engine";
}

PlayerSpec External(const std::string& command) {
    return ParsePlayerSpec("external:" + command);
}

// The engine as an outside program plays the classic default's moves
// exactly, for either colour.
TEST(ExternalPlayer, PlaysAsTheClassicDefaultDoes) {
    const std::vector<GameMove> opening = {{4, 4, Blue}, {5, 6, Red}};
    const PlayerSpec opponent = ParsePlayerSpec("classic:depth=5,width=3");
    for (const bool externalIsRed : {true, false}) {
        SCOPED_TRACE(externalIsRed ? "external red" : "external blue");
        std::unique_ptr<Player> external = MakePlayer(External(CliCommand()));
        std::unique_ptr<Player> classic = MakePlayer(DefaultPlayer());
        std::unique_ptr<Player> other = MakePlayer(opponent);
        const GameRecord played = externalIsRed ? PlayGame(*external, *other, opening)
                                                : PlayGame(*other, *external, opening);
        const GameRecord wanted = externalIsRed ? PlayGame(*classic, *other, opening)
                                                : PlayGame(*other, *classic, opening);
        EXPECT_EQ(played.failure, "");
        EXPECT_EQ(played.end, wanted.end);
        EXPECT_EQ(played.moves, wanted.moves);
        EXPECT_EQ(played.redScore, wanted.redScore);
        EXPECT_EQ(played.blueScore, wanted.blueScore);
        EXPECT_GT(played.moves.size(), 10u);
    }
    EXPECT_TRUE(NoChildren());
}

// Programs that cannot play lose the game they are in, soon, and one that
// ended loses every later one at once.
TEST(ExternalPlayer, ABrokenProgramLosesCleanly) {
    // Answers every command (with its id), genmove as given.
    const auto answering = [](const std::string& genmove) {
        return "while read -r id cmd rest; do if [ \"$cmd\" = genmove ]; then printf '" + genmove +
               "\\n\\n' \"$id\"; else printf '=%s\\n\\n' \"$id\"; fi; done";
    };
    const struct {
        std::string command;
        const char* failure;
        double seconds;
    } cases[] = {
        {"read -r line; exit 3", "the program ended (exit code 3)", 2},
        {"no-such-program-anywhere 2>/dev/null", "the program ended (exit code 127)", 2},
        {"while read -r line; do echo hello; done", "the program answered 'hello' to 'clear_board'",
         2},
        {answering("?%s not today"), "the program refused 'genmove red': not today", 2},
        {answering("=%s A,8"), "the program played the occupied point A,8", 2},
        {answering("=%s pass"), "the program passed with 63 points empty", 2},
        {answering("=%s Q,7"), "the program answered 'Q,7' to 'genmove red', which is not a point",
         2},
        {"exec >&-; sleep 30", "the program closed its output", 3},
        {"while read -r line; do :; done",
         "the program did not answer 'clear_board' within 5000 ms", 8},
    };
    const std::vector<GameMove> opening = {{1, 1, Blue}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        std::unique_ptr<Player> external = MakePlayer(External(c.command));
        std::unique_ptr<Player> blue = MakePlayer(ParsePlayerSpec("classic:depth=2,width=2"));
        GameHooks hooks;
        hooks.moveStarting = [](Player&, MoveRequest& r) { r.movetimeMs = 10; };
        const auto start = Clock::now();
        const GameRecord g = PlayGame(*external, *blue, opening, hooks);
        EXPECT_LT(SecondsSince(start), c.seconds);
        EXPECT_EQ(g.end, GameEnd::PlayerFailed);
        EXPECT_EQ(g.endColour, Red);
        EXPECT_EQ(g.winner, Blue);
        EXPECT_EQ(g.failure.substr(0, std::strlen(c.failure)), c.failure) << g.failure;
        if (std::string(c.failure).find("ended") != std::string::npos) {
            const GameRecord again = PlayGame(*external, *blue, opening);
            EXPECT_EQ(again.failure, g.failure);
        }
        external.reset();
        EXPECT_TRUE(NoChildren());
    }
}

// Asked from another thread while GenMove waits.
MoveReply GenMoveThen(Player& player, void (Player::*then)()) {
    MoveRequest request;
    request.colour = Blue;
    std::thread other([&player, then] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        (player.*then)();
    });
    const MoveReply reply = player.GenMove(request);
    other.join();
    return reply;
}

// Stop reaches a program that thinks for ten minutes, which answers with a
// move; Abort ends the wait for one that never answers at once. A program
// that ignores quit and the end of its input is killed, and waited for.
TEST(ExternalPlayer, StopAbortAndTheEndNeverHang) {
    std::unique_ptr<Player> thinker =
        MakePlayer(External(CliCommand() + " --player strong:movetime=600000"));
    auto start = Clock::now();
    const MoveReply stopped = GenMoveThen(*thinker, &Player::Stop);
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_FALSE(stopped.failed) << stopped.failure;
    EXPECT_TRUE(OnBoard(stopped.move.column, stopped.move.row));

    std::unique_ptr<Player> silent =
        MakePlayer(External("trap '' TERM; while read -r line; do :; done; sleep 30"));
    start = Clock::now();
    const MoveReply aborted = GenMoveThen(*silent, &Player::Abort);
    EXPECT_LT(SecondsSince(start), 2.0);
    EXPECT_TRUE(aborted.failed);
    EXPECT_EQ(aborted.failure, "stopped at once");
    start = Clock::now();
    silent.reset();
    thinker.reset();
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_TRUE(NoChildren());
}

}  // namespace
}  // namespace qv
