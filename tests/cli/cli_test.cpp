#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

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

// Arguments are passed through the shell, single-quoted by the caller.
CliRun Cli(const std::string& args) {
    const std::string dir = QUADRIVANE_CLI_TEST_DIR;
    // ctest runs the cases in parallel processes: keep their files apart.
    static int calls = 0;
    const std::string stem =
        dir + "/run-" + std::to_string(getpid()) + "-" + std::to_string(++calls);
    const std::string out = stem + ".out", err = stem + ".err";
    const std::string command =
        std::string("'") + QUADRIVANE_CLI + "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    CliRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    std::remove(out.c_str());
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
    for (const char* command : {"", "score", "suggest", "potentials"}) {
        const CliRun run = Cli(std::string(command) + " --help");
        EXPECT_EQ(run.code, 0) << command;
        EXPECT_NE(run.out.find("Usage"), std::string::npos) << command;
    }
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
