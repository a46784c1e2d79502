#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// ctest runs the cases in parallel processes: keep their files apart.
std::string Stem() {
    static int calls = 0;
    return std::string(QUADRIVANE_CLI_TEST_DIR) + "/run-" + std::to_string(getpid()) + "-" +
           std::to_string(++calls);
}

// Arguments are passed through the shell, single-quoted by the caller.
// Standard output goes to stdoutTo when it is given.
CliRun Cli(const std::string& args, const std::string& stdoutTo = "") {
    const std::string stem = Stem();
    const std::string out = stdoutTo.empty() ? stem + ".out" : stdoutTo, err = stem + ".err";
    const std::string command =
        std::string("'") + QUADRIVANE_CLI + "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    CliRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, stdoutTo.empty() ? Slurp(out) : "",
               Slurp(err)};
    if (stdoutTo.empty()) std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

nlohmann::json Json(const CliRun& run) {
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    return nlohmann::json::parse(run.out);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

const char* kThreeRed = "'rr....../r......./......../......../......../......../......../........'";

TEST(Cli, ScoreReportsBothColours) {
    const CliRun run = Cli(
        "score --board 'rr....../rr....../......../......../......../......../bbb...../b.......'");
    EXPECT_EQ(run.out,
              "{\"red\": {\"score\": 4, \"projected\": 0}, \"blue\": {\"score\": 0, \"projected\": "
              "4}, \"pieces\": 8, \"to_move\": \"blue\"}\n");
    const nlohmann::json empty = Json(Cli("score"));
    EXPECT_EQ(empty["pieces"], 0);
    EXPECT_EQ(empty["to_move"], "blue");
}

TEST(Cli, SuggestDepthOne) {
    const nlohmann::json j =
        Json(Cli(std::string("suggest --colour red --depth 1 --board ") + kThreeRed));
    EXPECT_EQ(j["colour"], "red");
    EXPECT_EQ(j["depth"], 1);
    EXPECT_EQ(j["width"], 3);
    EXPECT_EQ(j["full_width"], false);
    ASSERT_EQ(j["line"].size(), 1u);
    EXPECT_EQ(j["line"][0],
              nlohmann::json::parse(R"({"column": 2, "row": 2, "point": "B,7", "score": 4})"));
    EXPECT_EQ(j["value"], 4);
    EXPECT_EQ(j["caption"], "4 in 1 moves");
    EXPECT_EQ(j["positions"], 61);
    EXPECT_EQ(j["root_moves"], 61);
    EXPECT_TRUE(j["elapsed_ms"].is_number());
}

TEST(Cli, SuggestIsDeterministicAndEndsTheLineAtTheDepth) {
    const std::string args = "suggest --colour blue --depth 5 --width 2";
    nlohmann::json a = Json(Cli(args)), b = Json(Cli(args));
    a.erase("elapsed_ms");
    b.erase("elapsed_ms");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a["line"].size(), 5u);
    const nlohmann::json full = Json(Cli("suggest --colour red --depth 2 --full-width"));
    EXPECT_EQ(full["full_width"], true);
    EXPECT_EQ(full["line"].size(), 2u);
}

// The strong player: a node budget gives the same answer every run; the
// match prints one summary and a line per game.
TEST(Cli, StrongSuggestAndMatch) {
    const std::string args = "suggest --colour blue --strong --nodes 20000 --table-mib 2";
    nlohmann::json a = Json(Cli(args)), b = Json(Cli(args));
    a.erase("elapsed_ms");
    b.erase("elapsed_ms");
    EXPECT_EQ(a, b);
    EXPECT_GE(a["depth_reached"], 1);
    EXPECT_EQ(a["line"].size(), a["depth_reached"]);
    EXPECT_EQ(Json(Cli("suggest --colour blue --depth 2")).count("depth_reached"), 0u);
    const nlohmann::json two = Json(Cli(args + " --threads 2"));
    EXPECT_GE(two["positions"], 20000);
    EXPECT_EQ(two["line"].size(), two["depth_reached"]);
    // --depth with --strong: the last iteration, up to 64 (a classic depth
    // stays 1..15).
    EXPECT_EQ(
        Json(Cli("suggest --colour blue --strong --movetime 60000 --depth 3"))["depth_reached"], 3);
    EXPECT_NE(Cli("suggest --colour blue --strong --depth 65").err.find("outside 1..64"),
              std::string::npos);
    EXPECT_NE(Cli("bench --strong --depth 2").out.find(" depth  2 "), std::string::npos);

    const std::string games = Stem() + ".jsonl";
    const nlohmann::json m =
        Json(Cli("match --first strong:nodes=2000,table-mib=1 --second classic:depth=2,width=2 "
                 "--games 2 --openings 2 --seed 4 --sprt 0,10 --games-out '" +
                 games + "'"));
    EXPECT_EQ(m["games"], 2);
    EXPECT_EQ(m["first"], "strong:nodes=2000,table-mib=1");
    EXPECT_EQ(m["wins"].get<int>() + m["draws"].get<int>() + m["losses"].get<int>(), 2);
    EXPECT_EQ(m["sprt"]["verdict"], "continue");
    const std::vector<std::string> lines = Lines(Slurp(games));
    ASSERT_EQ(lines.size(), 2u);
    const nlohmann::json g1 = nlohmann::json::parse(lines[0]), g2 = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(g1["game"], 1);
    EXPECT_EQ(g1["red"], "strong:nodes=2000,table-mib=1");
    EXPECT_EQ(g2["blue"], "strong:nodes=2000,table-mib=1");
    EXPECT_EQ(g1["opening"], g2["opening"]);
    EXPECT_EQ(g1["opening"].size(), 2u);
    EXPECT_EQ(g1["moves"][0]["point"], g1["opening"][0]);
    EXPECT_EQ(g1["moves"][0]["colour"], "blue");
    std::remove(games.c_str());
}

TEST(Cli, SuggestOnAFullBoard) {
    std::string board(64, 'r');
    for (size_t i = 0; i < board.size(); i += 3) board[i] = 'b';
    const nlohmann::json j = Json(Cli("suggest --colour red --board " + board));
    EXPECT_EQ(j["line"].size(), 0u);
    EXPECT_EQ(j["value"], -65000);
    EXPECT_EQ(j["caption"], "No move: the board is full");
    EXPECT_EQ(j["positions"], 0);
}

TEST(Cli, PotentialListings) {
    const CliRun ranked = Cli("potentials --ranked");
    ASSERT_EQ(ranked.code, 0);
    const std::vector<std::string> lines = Lines(ranked.out);
    ASSERT_EQ(lines.size(), 64u);
    EXPECT_EQ(lines.front(), "1) A,5: 71958528");
    EXPECT_EQ(lines.back(), "64) A,8: 33030144");

    const std::vector<std::string> blue = Lines(Cli("potentials --blue").out);
    ASSERT_EQ(blue.size(), 65u);
    EXPECT_EQ(blue.front(), "A,8 R: 501645312");
    EXPECT_EQ(blue.back(), "Best: (A,5): 1092870144");

    // Other weights change the numbers.
    const std::vector<std::string> counted =
        Lines(Cli("potentials --red --weights 1,7,3,1,4,0,1,2,0,0,0,0,0,9,4,10").out);
    EXPECT_NE(counted.front(), "A,8 R: 501645312");
}

TEST(Cli, GameFiles) {
    const std::string dir = QUADRIVANE_CLI_TEST_DIR;
    const std::string good = dir + "/good-" + std::to_string(getpid()) + ".qdv";
    std::ofstream(good, std::ios::binary) << "A,8\r\nB,8\r\nC,8\r\n";
    const nlohmann::json j = Json(Cli("score --game '" + good + "'"));
    EXPECT_EQ(j["pieces"], 3);
    EXPECT_EQ(j["to_move"], "red");

    const std::string badFile = dir + "/bad-" + std::to_string(getpid()) + ".qdv";
    std::ofstream(badFile, std::ios::binary) << "A,8\r\nZ,8\r\n";
    const CliRun bad = Cli("score --game '" + badFile + "'");
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("Line 2"), std::string::npos) << bad.err;
    EXPECT_TRUE(bad.out.empty());
    std::remove(good.c_str());
    std::remove(badFile.c_str());
}

TEST(Cli, BadInputExitsTwoWithAMessage) {
    const char* cases[] = {
        "score --board 'rrx'",
        "score --board '........'",
        "score --board '"
        ".........................................................................'",
        "score --board ................................................................ --game x",
        "suggest",
        "suggest --colour green",
        "suggest --colour red --depth 0",
        "suggest --colour red --depth 16",
        "suggest --colour red --width 65",
        "suggest --colour red --weights 1,2,3",
        "suggest --colour red --weights 1,7,3,1,4,3,1,2,4,0,0,0,0,9,4,x",
        "suggest --colour red --weights 1,7,3,1,4,3,1,2,4,0,0,0,0,9,4,99999999999",
        "potentials",
        "potentials --red --blue",
        "score --game /nonexistent/game.qdv",
        "frobnicate",
        "",
    };
    for (const char* args : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.code, 2) << args;
        EXPECT_FALSE(run.err.empty()) << args;
        EXPECT_TRUE(run.out.empty()) << args;
    }
}

TEST(Cli, HelpOnEverySubcommand) {
    for (const char* command : {"", "score", "suggest", "potentials", "analyse"}) {
        const CliRun run = Cli(std::string(command) + " --help");
        EXPECT_EQ(run.code, 0) << command;
        EXPECT_NE(run.out.find("Usage"), std::string::npos) << command;
    }
    // The levels are listed as the players they are.
    for (const char* command : {"suggest", "match", "engine"})
        EXPECT_NE(Cli(std::string(command) + " --help").out.find("Level 10 (Master)"),
                  std::string::npos)
            << command;
}

// One line per position, then the three totals; the total is the sum of the
// lines and does not depend on the run.
TEST(Cli, BenchLinesAndTotals) {
    for (const char* args : {"bench --depth 3 --width 2", "bench --full-width --depth 2"}) {
        const CliRun run = Cli(args);
        ASSERT_EQ(run.code, 0) << run.err;
        const std::vector<std::string> lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 16u + 3u) << run.out;
        long long sum = 0;
        for (size_t i = 0; i < 16; ++i) {
            const size_t at = lines[i].find(" positions ");
            ASSERT_NE(at, std::string::npos) << lines[i];
            sum += std::stoll(lines[i].substr(lines[i].rfind(' ', at - 1) + 1));
        }
        EXPECT_EQ(lines[16].rfind("Total time (ms) : ", 0), 0u) << lines[16];
        EXPECT_EQ(lines[17], "Positions evaluated : " + std::to_string(sum));
        EXPECT_EQ(lines[18].rfind("Positions/second : ", 0), 0u) << lines[18];
        EXPECT_EQ(Lines(Cli(args).out).at(17), lines[17]) << "the total repeats";
    }
    EXPECT_EQ(Cli("bench --width 3 --full-width").code, 2);
}

}  // namespace

namespace {

TEST(CliPlay, PlayRoundPlaysAWholeGameFromBlue) {
    const nlohmann::json game = Json(Cli("play-round"));
    const auto& moves = game["moves"];
    ASSERT_GT(moves.size(), 8u);
    for (size_t i = 0; i < moves.size(); ++i)
        EXPECT_EQ(moves[i]["colour"], i % 2 == 0 ? "blue" : "red") << i;
    EXPECT_EQ(moves[0]["point"], "A,5");  // the best-ranked point of the empty board
    const int red = game["red_score"], blue = game["blue_score"], result = game["result"];
    EXPECT_EQ(result, red > blue ? 2 : 1);
    EXPECT_TRUE(std::abs(red - blue) >= 15 || moves.size() == 64);
}

TEST(CliPlay, ProfilesWithoutSearchFillOrDecide) {
    const nlohmann::json game =
        Json(Cli("play --red-profile 0,0,0,1,4,3,1,2,4,0,0,0,0,9,4,10 "
                 "--blue-profile 0,0,0,0,1,0,0,1,0,0,0,0,0,2,0,2"));
    const int red = game["red_score"], blue = game["blue_score"];
    if (game["moves"].size() == 64u) {
        EXPECT_EQ(game["result"], 1);
        EXPECT_GE(blue, 1000);
    } else {
        EXPECT_GE(std::max(red, blue), 150);
    }
}

struct BadArgs {
    const char* args;
    const char* message;
};

TEST(CliPlay, BadProfilesExitTwo) {
    const BadArgs cases[] = {
        {"play --red-profile 1,2,3 --blue-profile 1,7,3,1,4,3,1,2,4,0,0,0,0,9,4,10",
         "--red-profile: expected 16"},
        {"play --red-profile 1,7,3,1,4,3,1,2,4,0,0,0,0,9,4,10 "
         "--blue-profile 1,7,3,1,4,x,1,2,4,0,0,0,0,9,4,10",
         "--blue-profile: W5 'x'"},
        {"evolve --rounds 0 --trace /dev/null", "--rounds"},
        {"evolve --rounds 1 --trace /nonexistent-dir/TRACE.TXT", "File not found"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.code, 2) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST(CliEvolve, TraceIsTheSameWithOneOrTwoThreads) {
    const std::string dir = QUADRIVANE_CLI_TEST_DIR;
    const std::string one = dir + "/trace-1-" + std::to_string(getpid()) + ".txt";
    const std::string two = dir + "/trace-2-" + std::to_string(getpid()) + ".txt";
    const CliRun a = Cli("evolve --seed 7 --rounds 3 --jobs 1 --trace '" + one + "'");
    const CliRun b = Cli("evolve --seed 7 --rounds 3 --jobs 2 --trace '" + two + "'");
    ASSERT_EQ(a.code, 0) << a.err;
    ASSERT_EQ(b.code, 0) << b.err;
    const std::string traceOne = Slurp(one), traceTwo = Slurp(two);
    EXPECT_EQ(traceOne, traceTwo);
    EXPECT_EQ(traceOne.substr(0, 17), "Begin\r\n\r\nRound: 1");
    EXPECT_EQ(traceOne.substr(traceOne.size() - 5), "End\r\n");
    EXPECT_NE(a.err.find("round 3/3"), std::string::npos) << a.err;
    std::remove(one.c_str());
    std::remove(two.c_str());
}

TEST(CliVersion, PrintsTheVersion) {
    const CliRun run = Cli("--version");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out.rfind("quadrivane-cli ", 0), 0u) << run.out;
}

}  // namespace

namespace {

// Input the command line cannot mean is refused with exit 2 and a message
// naming the option and what is wrong with it.
TEST(CliInput, RefusedInputNamesTheFault) {
    const std::string dir = QUADRIVANE_CLI_TEST_DIR;
    const std::string fifo = dir + "/fifo-" + std::to_string(getpid());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string profile = " --blue-profile 1,1,1,1,4,3,1,2,4,0,0,0,0,9,4,10";
    const struct {
        std::string args;
        std::string message;
    } cases[] = {
        // Depths and widths the search cannot take.
        {"play --red-profile 1,17,3,1,4,3,1,2,4,0,0,0,0,9,4,10" + profile,
         "--red-profile: element 1 (depth) 17 is outside 1..15"},
        {"play --red-profile 1,30,3,1,4,3,1,2,4,0,0,0,0,9,4,10" + profile,
         "--red-profile: element 1 (depth) 30 is outside 1..15"},
        {"play --red-profile 1,0,3,1,4,3,1,2,4,0,0,0,0,9,4,10" + profile,
         "--red-profile: element 1 (depth) 0 is outside 1..15"},
        {"play --red-profile 1,1,1,1,4,3,1,2,4,0,0,0,0,9,4,10 "
         "--blue-profile 1,3,65,1,4,3,1,2,4,0,0,0,0,9,4,10",
         "--blue-profile: element 2 (width) 65 is outside 1..64"},
        // Potentials that are not finite numbers.
        {"suggest --colour red --weights 1,7,3,-5,1,1001,1,2,4,0,0,0,0,9,4,10",
         "--weights: W3..W8 give potentials that are not finite numbers"},
        {"potentials --red --weights 1,7,3,-5,1,1001,1,2,4,0,0,0,0,9,4,10",
         "--weights: W3..W8 give potentials"},
        {"play --red-profile 0,3,3,1,0,-1,1,2,4,0,0,0,0,9,4,10" + profile,
         "--red-profile: W3..W8 give potentials"},
        // The strong player's budgets and the match's players.
        {"suggest --colour red --strong --movetime 0", "--movetime: 0 is outside 1..600000"},
        {"suggest --colour red --strong --nodes 1000000000001",
         "--nodes: 1000000000001 is outside"},
        {"suggest --colour red --strong --table-mib 4097", "--table-mib: 4097 is outside 1..4096"},
        {"suggest --colour red --movetime 100", "--movetime requires --strong"},
        {"match --first strong:nodes=9 --second classic:depth=99",
         "--second: player 'classic:depth=99'"},
        {"match --red strong:nodes=9 --second classic:depth=2", "give either --red and --blue"},
        {"match --first strong:nodes=9 --second classic:depth=2 --sprt 5", "--sprt: '5'"},
        {"match --first level:0 --second level:1", "--first: player 'level:0'"},
        {"suggest --colour red --level 3 --depth 4", "excludes"},
        {"suggest --colour red --strong --level 9", "excludes"},
        {"suggest --colour red --level 11", "--level: 11 is outside 1..10"},
        // Empty values.
        {"score --board ''", "empty value for --board"},
        {"score --game ''", "empty value for --game"},
        {"suggest --colour red --weights ''", "empty value for --weights"},
        {"suggest --colour ''", "empty value for --colour"},
        {"suggest --colour red --depth ''", "empty value for --depth"},
        {"play --red-profile ''" + profile, "empty value for --red-profile"},
        {"evolve --seed '' --rounds 1 --trace /dev/null", "empty value for --seed"},
        {"evolve --rounds 1 --trace ''", "empty value for --trace"},
        // Decimal numbers only.
        {"suggest --colour red --depth 016", "--depth: 016 is outside 1..15"},
        {"suggest --colour red --depth 0x3", "--depth: '0x3' is not a decimal integer"},
        {"suggest --colour red --width ' 3'", "--width: ' 3' is not a decimal integer"},
        {"evolve --seed -1 --rounds 1 --trace /dev/null", "--seed: -1 is outside 0..4294967295"},
        {"evolve --seed 4294967296 --rounds 1 --trace /dev/null", "--seed: 4294967296 is outside"},
        // An item is an optional sign and digits.
        {"suggest --colour red --weights '1,7,3,1,4,1 2,1,2,4,0,0,0,0,9,4,10'", "W5 '1 2'"},
        {"suggest --colour red --weights 1,7,3,1,4,+-3,1,2,4,0,0,0,0,9,4,10", "W5 '+-3'"},
        {"suggest --colour red --weights 1,7,3,1,4,3-,1,2,4,0,0,0,0,9,4,10", "W5 '3-'"},
        // Files that would block or mean nothing; a device's own error.
        {"score --game '" + fifo + "'", "A named pipe is not a file"},
        {"score --game '" + dir + "'", "A directory is not a file"},
        {"evolve --rounds 1 --trace '" + fifo + "'",
         "--trace " + fifo + ": A named pipe is not a file"},
        {"evolve --rounds 1 --trace '" + dir + "'",
         "--trace " + dir + ": A directory is not a file"},
        {"match --first classic:depth=1 --second classic:depth=1 --games-out '" + fifo + "'",
         "--games-out " + fifo + ": A named pipe is not a file"},
        {"evolve --rounds 1 --trace '" + fifo + ".txt' --summary '" + dir + "/./" +
             fifo.substr(dir.size() + 1) + ".txt'",
         "--trace and --summary name the same file"},
        // Digits are required, and "--name=" has no value.
        {"suggest --colour red --depth +", "--depth: '+' is not a decimal integer"},
        {"evolve --trace= --rounds=1", "empty value for --trace"},
        {"suggest --colour red --depth= 1", "empty value for --depth"},
        // Sequential test bounds: decimal, within 2000 Elo.
        {"match --first classic:depth=1 --second classic:depth=1 --sprt 0x0,0x5", "--sprt: '0x0"},
        {"match --first classic:depth=1 --second classic:depth=1 --sprt ' 0, 5'", "--sprt: ' 0"},
        {"match --first classic:depth=1 --second classic:depth=1 --sprt -1e308,1e308",
         "--sprt: '-1e308"},
        {"match --first classic:depth=1 --second classic:depth=1 --sprt 0,2000.5", "--sprt: '0,"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.code, 2) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
        EXPECT_TRUE(run.out.empty()) << c.args;
    }
    std::remove(fifo.c_str());
}

TEST(CliInput, LeadingZerosAndSignsAreDecimal) {
    EXPECT_EQ(Json(Cli("suggest --colour red --depth 08 --width 1"))["depth"], 8);
    EXPECT_EQ(Json(Cli("suggest --colour red --depth +012 --width 01"))["depth"], 12);
    const CliRun seeded = Cli("evolve --seed 010 --rounds 1 --trace /dev/null");
    EXPECT_EQ(seeded.code, 0) << seeded.err;
    EXPECT_NE(seeded.out.find("(seed 10)"), std::string::npos) << seeded.out;
    // Blanks around an item were always allowed.
    const CliRun spaced =
        Cli("potentials --red --weights '1, 7, 3, 1, 4, +3, 1, 2, 4, 0, 0, 0, 0, 9, 4, 10'");
    EXPECT_EQ(spaced.code, 0) << spaced.err;
    EXPECT_EQ(spaced.out, Cli("potentials --red").out);
}

TEST(CliOutput, OutputThatCannotBeWrittenExitsOne) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP();
    for (const char* args : {"score", "potentials --ranked", "--help",
                             "suggest --colour red "
                             "--depth 1"}) {
        const CliRun run = Cli(args, "/dev/full");
        EXPECT_EQ(run.code, 1) << args;
        EXPECT_NE(run.err.find("cannot write the output: No space left on device"),
                  std::string::npos)
            << args << "\n"
            << run.err;
    }
}

// A command line run in the background, its output going to files.
struct Running {
    pid_t pid = -1;
    std::string out, err;
};

Running Start(const std::vector<std::string>& args, rlim_t addressSpace = RLIM_INFINITY) {
    Running r;
    const std::string stem = Stem();
    r.out = stem + ".out";
    r.err = stem + ".err";
    std::vector<char*> argv{const_cast<char*>(QUADRIVANE_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    r.pid = ::fork();
    if (r.pid == 0) {
        // A background job may have inherited ignored interrupts.
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        const int out = ::open(r.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(r.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
        if (addressSpace != RLIM_INFINITY) {
            // Thread stacks of 8 MiB: 64 of them cannot fit.
            const rlimit memory{addressSpace, addressSpace}, stack{8 << 20, 8 << 20};
            if (::setrlimit(RLIMIT_AS, &memory) != 0 || ::setrlimit(RLIMIT_STACK, &stack) != 0)
                ::_exit(125);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return r;
}

// The wait status, or -1 when the program is still running after the time
// (it is then killed).
int Finish(const Running& r, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (::waitpid(r.pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(r.pid, SIGKILL);
            ::waitpid(r.pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return status;
}

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Waits until the program has its handler for the signal in place (the
// kernel lists the caught signals), so that the signal is not simply fatal;
// false (and the program killed) if that never happens.
bool Catching(pid_t pid, int signal) {
    for (int i = 0; i < 3000; ++i) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("SigCgt:", 0) == 0 &&
                (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1))
                return true;
        Pause(20);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return false;
}

// The first interrupt acts like Cancel: the search stops at once, inside the
// root move in progress, and prints the best of the root moves finished, or
// no move and no value when none was (the strong search: of its iterations,
// the first of which always finishes). The first root move of this
// full-width search alone takes seconds, the whole search far longer.
TEST(CliSignals, SuggestPrintsWhatItFoundAndExitsWithTheSignal) {
    const std::string board =
        "....r.../..rb..../..r.b.../bb...bb./.....rr./bb.r..../..b...../...r.r..";
    const struct {
        int signal;
        std::vector<std::string> search;
    } cases[] = {
        {SIGINT, {"--full-width", "--depth", "11"}},
        {SIGTERM, {"--full-width", "--depth", "11", "--threads", "2"}},
        {SIGINT, {"--strong", "--movetime", "600000"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"suggest", "--colour", "red", "--board", board};
        args.insert(args.end(), c.search.begin(), c.search.end());
        SCOPED_TRACE(c.search[0] + " " + std::to_string(c.signal));
        const Running r = Start(args);
        ASSERT_TRUE(Catching(r.pid, c.signal));
        ::kill(r.pid, c.signal);
        const int status = Finish(r, 2);
        ASSERT_NE(status, -1) << "still running";
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal);
        const nlohmann::json j = nlohmann::json::parse(Slurp(r.out));
        EXPECT_EQ(j["cancelled"], true);
        EXPECT_LT(j["root_moves"], 64);
        if (j["root_moves"] == 0) {
            EXPECT_TRUE(j["line"].empty());
            EXPECT_TRUE(j["value"].is_null());
            EXPECT_EQ(j["caption"], "Cancelled before a move was found");
        } else {
            EXPECT_FALSE(j["line"].empty());
            EXPECT_EQ(j["value"], j["line"][0]["score"]);
        }
        std::remove(r.out.c_str());
        std::remove(r.err.c_str());
    }
}

// Stopped, so that both signals are pending at once and the first cannot end
// the search before the second comes.
TEST(CliSignals, ASecondInterruptEndsAtOnce) {
    const Running r = Start({"suggest", "--colour", "blue", "--full-width", "--depth", "10"});
    ASSERT_TRUE(Catching(r.pid, SIGINT) && Catching(r.pid, SIGTERM));
    ::kill(r.pid, SIGSTOP);
    ::kill(r.pid, SIGINT);
    ::kill(r.pid, SIGTERM);
    ::kill(r.pid, SIGCONT);
    const int status = Finish(r, 1.5);
    ASSERT_NE(status, -1) << "still running";
    EXPECT_TRUE(WIFSIGNALED(status) && (WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGTERM))
        << status;
    EXPECT_EQ(Slurp(r.out), "");
    std::remove(r.out.c_str());
    std::remove(r.err.c_str());
}

TEST(CliSignals, EvolveEndsItsTraceAsAHaltedRun) {
    const std::string trace = Stem() + ".trace";
    const Running r =
        Start({"evolve", "--seed", "7", "--rounds", "1000000", "--jobs", "2", "--trace", trace});
    // The trace appears only when the run ends; the progress says how far it is.
    for (int i = 0; i < 6000 && Slurp(r.err).find("round 2/") == std::string::npos; ++i) Pause(20);
    EXPECT_FALSE(std::ifstream(trace).good()) << "the trace is in place only at the end";
    ::kill(r.pid, SIGINT);
    const int status = Finish(r, 300);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string text = Slurp(trace);
    ASSERT_GT(text.size(), 20u);
    EXPECT_EQ(text.substr(text.size() - 5), "End\r\n");
    const size_t round = text.rfind("\r\nRound: ");
    ASSERT_NE(round, std::string::npos);
    EXPECT_EQ(text.find("\r\n", round + 2) + 2, text.size() - 5) << "End follows the round line";
    EXPECT_NE(Slurp(r.err).find("Evolution halted"), std::string::npos) << Slurp(r.err);
    EXPECT_NE(Slurp(r.out).find("trace written to"), std::string::npos);
    for (const std::string& f : {trace, r.out, r.err}) std::remove(f.c_str());
}

}  // namespace

// Each position's "suggestion" is what suggest prints for that position and
// its side to move; "played" says what led there, its own value (minus what
// suggest finds a ply shallower there) and what it gave away against the
// previous suggestion.
TEST(CliAnalyse, EveryPositionIsSuggestsOutput) {
    const std::string dir = QUADRIVANE_CLI_TEST_DIR;
    const std::string game = dir + "/analyse-" + std::to_string(getpid()) + ".qdv";
    std::ofstream(game, std::ios::binary) << "D,4\r\nE,5\r\nC,3\r\n";
    const nlohmann::json a = Json(Cli("analyse --depth 4 --game '" + game + "'"));
    EXPECT_EQ(a["depth"], 4);
    EXPECT_EQ(a["width"], 3);
    ASSERT_EQ(a["positions"].size(), 4u);
    const char* boards[] = {"", "D,4", "D,4\r\nE,5", "D,4\r\nE,5\r\nC,3"};
    for (int k = 0; k < 4; ++k) {
        const nlohmann::json& p = a["positions"][k];
        EXPECT_EQ(p["moves"], k);
        const std::string colour = k % 2 == 0 ? "blue" : "red";
        EXPECT_EQ(p["to_move"], colour);
        const std::string prefix = dir + "/prefix-" + std::to_string(getpid()) + ".qdv";
        std::ofstream(prefix, std::ios::binary) << boards[k] << (k ? "\r\n" : "");
        nlohmann::json s =
            Json(Cli("suggest --depth 4 --colour " + colour + " --game '" + prefix + "'"));
        nlohmann::json got = p["suggestion"];
        s.erase("elapsed_ms");
        got.erase("elapsed_ms");
        EXPECT_EQ(got, s) << k;
        if (k == 0) {
            EXPECT_FALSE(p.contains("played"));
        } else {
            const int before = a["positions"][k - 1]["suggestion"]["value"];
            const nlohmann::json shallow =
                Json(Cli("suggest --depth 3 --colour " + colour + " --game '" + prefix + "'"));
            const int played = -static_cast<int>(shallow["value"]);
            EXPECT_EQ(p["played"]["value"], played);
            EXPECT_EQ(p["played"]["loss"], std::max(0, before - played));
            EXPECT_EQ(p["played"]["colour"], k % 2 == 1 ? "blue" : "red");
        }
        std::remove(prefix.c_str());
    }
    EXPECT_EQ(a["positions"][1]["played"]["point"], "D,4");
    std::remove(game.c_str());
}

TEST(CliEvolve, SummaryHasALinePerRound) {
    const std::string dir = QUADRIVANE_CLI_TEST_DIR;
    const std::string trace = dir + "/strace-" + std::to_string(getpid()) + ".txt";
    const std::string summary = dir + "/summary-" + std::to_string(getpid()) + ".jsonl";
    const CliRun run =
        Cli("evolve --seed 7 --rounds 2 --trace '" + trace + "' --summary '" + summary + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    const std::vector<std::string> lines = Lines(Slurp(summary));
    ASSERT_EQ(lines.size(), 2u);
    const nlohmann::json second = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(second["round"], 2);
    ASSERT_EQ(second["genes"].size(), 9u);
    for (const auto& g : second["genes"]) {
        EXPECT_LE(g["min"].get<double>(), g["mean"].get<double>());
        EXPECT_LE(g["mean"].get<double>(), g["max"].get<double>());
    }
    EXPECT_EQ(second["top"]["profile"].size(), 16u);
    std::remove(trace.c_str());
    std::remove(summary.c_str());
}

namespace {

// Each bounded option refuses the values just outside its range and takes
// its two ends: a value taken is followed by a fault checked later, so that
// nothing runs.
TEST(CliInput, EveryBoundIsChecked) {
    const std::string later = " --board x";  // suggest's position is read after the options
    const struct {
        std::string command, option, below, lo, hi, above, after;
    } cases[] = {
        {"suggest --colour red", "--depth", "0", "1", "15", "16", later},
        {"suggest --colour red", "--width", "0", "1", "64", "65", later},
        {"suggest --colour red", "--threads", "0", "1", "64", "65", later},
        {"suggest --colour red --strong", "--movetime", "0", "1", "600000", "600001", later},
        {"suggest --colour red --strong", "--nodes", "0", "1", "1000000000000", "1000000000001",
         later},
        {"suggest --colour red --strong", "--table-mib", "0", "1", "4096", "4097", later},
        {"bench --width 3 --full-width", "--depth", "0", "1", "15", "16", ""},
        {"bench --width 3 --full-width", "--threads", "0", "1", "64", "65", ""},
        {"bench --full-width", "--width", "0", "1", "64", "65", ""},
        {"analyse --game /nonexistent/g.qdv", "--depth", "0", "1", "15", "16", ""},
        {"analyse --game /nonexistent/g.qdv", "--width", "0", "1", "64", "65", ""},
        {"analyse --game /nonexistent/g.qdv", "--threads", "0", "1", "64", "65", ""},
        {"evolve --trace /nonexistent/t.txt", "--seed", "-1", "0", "4294967295", "4294967296", ""},
        {"evolve --trace /nonexistent/t.txt", "--rounds", "0", "1", "1000000", "1000001", ""},
        {"evolve --trace /nonexistent/t.txt", "--jobs", "0", "1", "64", "65", ""},
        {"match", "--games", "0", "1", "1000000", "1000001", ""},
        {"match", "--openings", "-1", "0", "32", "33", ""},
        {"match", "--seed", "-1", "0", "9223372036854775807", "9223372036854775808", ""},
        {"match", "--concurrency", "0", "1", "64", "65", ""},
    };
    for (const auto& c : cases) {
        const std::string range = " is outside " + c.lo + ".." + c.hi;
        for (const std::string& v : {c.below, c.above}) {
            const CliRun run = Cli(c.command + " " + c.option + " " + v + c.after);
            EXPECT_EQ(run.code, 2) << c.option << " " << v;
            EXPECT_NE(run.err.find(c.option + ": " + v + range), std::string::npos)
                << c.option << " " << v << "\n"
                << run.err;
        }
        for (const std::string& v : {c.lo, c.hi}) {
            const CliRun run = Cli(c.command + " " + c.option + " " + v + c.after);
            EXPECT_EQ(run.code, 2) << c.option << " " << v;
            EXPECT_EQ(run.err.find(c.option + ":"), std::string::npos)
                << c.option << " " << v << "\n"
                << run.err;
        }
    }
}

// An output that cannot be written is named, the command exits 1, and the
// other output is finished with what was complete; a refused command
// changes no file.
TEST(CliOutput, FailedAndRefusedOutputs) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP();
    const std::string other = Stem() + ".other", dir = QUADRIVANE_CLI_TEST_DIR;
    const std::string match = "match --first classic:depth=2 --second classic:depth=1,width=1 ";
    const struct {
        std::string args;
        int code;
        std::string message;
        std::string otherEnds;  // the other file's last bytes: what it had before, or the run's
    } cases[] = {
        // The trace ends as a halted run's does, after the last complete round.
        {"evolve --seed 3 --rounds 2 --trace '" + other + "' --summary /dev/full", 1,
         "--summary /dev/full: Disk full", "(0-1)\r\nEnd\r\n"},
        // The trace failed at its first line: no round went into the summary.
        {"evolve --seed 3 --rounds 2 --trace /dev/full --summary '" + other + "'", 1,
         "--trace /dev/full: Disk full", ""},
        {match + "--games 2 --games-out /dev/full", 1, "--games-out /dev/full: Disk full",
         "earlier\n"},
        {"evolve --rounds 1 --trace '" + other + "' --summary '" + dir + "'", 2,
         "--summary " + dir + ": A directory is not a file", "earlier\n"},
        {"evolve --rounds 1 --trace '" + other + "' --summary '" + other + "'", 2,
         "--trace and --summary name the same file", "earlier\n"},
    };
    for (const auto& c : cases) {
        std::ofstream(other, std::ios::binary) << "earlier\n";
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.code, c.code) << c.args;
        EXPECT_NE(run.err.find("quadrivane-cli: " + c.message), std::string::npos) << c.args << "\n"
                                                                                   << run.err;
        const std::string text = Slurp(other);
        EXPECT_TRUE(text.ends_with(c.otherEnds)) << c.args << "\n" << text;
        if (c.otherEnds.empty()) {
            EXPECT_EQ(text, "") << c.args;
        }
        // The summary of the games played is still printed.
        if (c.args.starts_with("match")) {
            EXPECT_EQ(Json(CliRun{0, run.out, ""})["games"], 2);
        }
    }
    std::remove(other.c_str());
}

#if !defined(__SANITIZE_ADDRESS__)
// Under a memory limit not every thread starts: the command carries on with
// those that did and says so, or fails with a message; it never hangs or
// aborts. (AddressSanitizer cannot run under such a limit.)
TEST(CliThreads, ThreadsThatCannotStart) {
    const std::string games = Stem() + ".games";
    const struct {
        std::vector<std::string> args;
        bool carriesOn;  // else it may also fail with exit 1
    } cases[] = {
        {{"suggest", "--colour", "blue", "--depth", "5", "--threads", "64"}, true},
        {{"bench", "--depth", "3", "--width", "2", "--threads", "64"}, true},
        // The strong player's threads reach its search from either command.
        {{"suggest", "--colour", "red", "--strong", "--nodes", "20000", "--table-mib", "2",
          "--threads", "64"},
         true},
        {{"bench", "--strong", "--nodes", "2000", "--threads", "64"}, true},
        {{"evolve", "--seed", "1", "--rounds", "1", "--jobs", "64", "--trace", games}, false},
        {{"match", "--first", "classic:depth=2", "--second", "classic:depth=1,width=1", "--games",
          "64", "--concurrency", "64", "--games-out", games},
         false},
        {{"match", "--first", "strong:movetime=20", "--second", "strong:movetime=20", "--games",
          "2", "--concurrency", "2", "--games-out", games},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const Running r = Start(c.args, 200u << 20);
        const int status = Finish(r, 120);
        const std::string err = Slurp(r.err);
        ASSERT_TRUE(WIFEXITED(status)) << status << "\n" << err;
        if (c.carriesOn || WEXITSTATUS(status) == 0) {
            EXPECT_EQ(WEXITSTATUS(status), 0) << err;
            if (c.carriesOn) {
                EXPECT_NE(err.find("threads could be started"), std::string::npos) << err;
            }
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 1) << err;
            EXPECT_NE(err.find("quadrivane-cli: "), std::string::npos) << err;
            // What was complete is kept: whole pairs of games only.
            if (c.args[0] == "match") {
                EXPECT_EQ(Lines(Slurp(games)).size() % 2, 0u);
            }
        }
        for (const std::string& f : {r.out, r.err, games}) std::remove(f.c_str());
    }
}
#endif

// The first interrupt ends the searches in progress: the summary of the games
// counted (none: a pair is not complete) comes at once, and the games file
// holds exactly those games.
TEST(CliSignals, MatchPrintsWhatItCountedAtOnce) {
    const std::string games = Stem() + ".games";
    std::ofstream(games) << "earlier\n";
    const Running r = Start({"match", "--first", "strong:movetime=3000", "--second",
                             "classic:depth=1,width=1", "--games", "2", "--games-out", games});
    ASSERT_TRUE(Catching(r.pid, SIGINT));
    Pause(300);
    ::kill(r.pid, SIGINT);
    const auto sent = std::chrono::steady_clock::now();
    const int status = Finish(r, 30);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_LT(seconds, 1.5);
    EXPECT_EQ(nlohmann::json::parse(Slurp(r.out))["games"], 0);
    EXPECT_EQ(Slurp(games), "");
    for (const std::string& f : {r.out, r.err, games}) std::remove(f.c_str());
}

}  // namespace
