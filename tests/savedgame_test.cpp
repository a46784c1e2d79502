#include "model/savedgame.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tuning/trace.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

std::array<Point, 65> History(std::initializer_list<Point> moves) {
    std::array<Point, 65> h{};
    int n = 1;
    for (Point p : moves) h[n++] = p;
    return h;
}

TEST(SavedGame, FormatsFiveByteLines) {
    const auto h = History({{1, 8}, {2, 7}, {8, 1}});
    EXPECT_EQ(FormatGame(h), "A,1\r\nB,2\r\nH,8\r\n");
    EXPECT_EQ(FormatGame(History({})), "");
    // Save stops at the first empty slot (setup pieces before the first move).
    auto gap = History({});
    gap[4] = {5, 5};
    EXPECT_EQ(FormatGame(gap), "");
}

struct ParseCase {
    const char* name;
    std::string bytes;
    std::vector<Point> moves;
};

TEST(SavedGame, ParsesWhatUsersWrite) {
    const std::vector<Point> three{{1, 8}, {2, 7}, {8, 1}};
    const ParseCase cases[] = {
        {"crlf", "A,1\r\nB,2\r\nH,8\r\n", three},
        {"lf only", "A,1\nB,2\nH,8\n", three},
        {"cr only", "A,1\rB,2\rH,8", three},
        {"blank lines and leading blanks", "\r\n  A,1\r\n\r\n\tB,2\r\nH,8", three},
        {"trailing text", "C,5 and more\r\n", {{3, 4}}},
        {"second character ignored", "C;5", {{3, 4}}},
        {"end-of-file mark", "A,1\r\n\x1a" "B,2\r\n", {{1, 8}}},
        {"empty", "", {}},
        {"same point twice", "A,1\r\nA,1\r\n", {{1, 8}, {1, 8}}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseGame(c.bytes), c.moves) << c.name;
}

struct BadCase {
    std::string bytes;
    std::string message;
};

TEST(SavedGame, RejectsBadLinesNamingThem) {
    std::string tooMany;
    for (int i = 0; i < 65; ++i) tooMany += "A,1\r\n";
    const BadCase cases[] = {
        {"A,1\r\nB,x\r\n", "'x' is not a valid integer value"},
        {"A,1\nI,2\n", "Line 2: 'I' is not a column letter A to H"},
        {"a,1", "Line 1: 'a' is not a column letter A to H"},
        {"A,1\r\n\r\nB,9", "Line 3: row 9 is not between 1 and 8"},
        {"A,0", "Line 1: row 0 is not between 1 and 8"},
        {"A,1\nB,", "Line 2: 'B,' is too short for a move such as C,5"},
        {tooMany, "Line 65: a game holds at most 64 moves"},
        // Control bytes are quoted by their code: a NUL would cut the message short.
        {std::string("A,\0\r\n", 5), "'\\x00' is not a valid integer value"},
        {"A\x1b\r\n", "Line 1: 'A\\x1b' is too short for a move such as C,5"},
    };
    for (const auto& c : cases) {
        try {
            ParseGame(c.bytes);
            ADD_FAILURE() << "accepted " << c.bytes;
        } catch (const GameError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

TEST(SavedGame, ApplyRebuildsHistoryAndColours) {
    Game g;
    g.PlaceMove(4, 4);
    ApplyGame(g, {{1, 8}, {2, 7}, {8, 1}});
    EXPECT_EQ(g.board(1, 8), Blue);
    EXPECT_EQ(g.board(2, 7), Red);
    EXPECT_EQ(g.board(8, 1), Blue);
    EXPECT_EQ(g.board(4, 4), Empty);
    EXPECT_EQ(g.MoveCount, 3);
    EXPECT_EQ(g.SideToMove(), Red);
    EXPECT_FALSE(g.RedoMove());
}

class SavedGameFiles : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qv-save-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(SavedGameFiles, RoundTripByteForByte) {
    const auto h = History({{1, 8}, {2, 7}, {8, 1}});
    const fs::path p = dir / "three.qdv";
    SaveGameFile(p, h);
    EXPECT_EQ(Read(p), std::string("A,1\r\nB,2\r\nH,8\r\n", 15));
    EXPECT_EQ(LoadGameFile(p), (std::vector<Point>{{1, 8}, {2, 7}, {8, 1}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

TEST_F(SavedGameFiles, MissingFileIsNotFound) {
    try {
        LoadGameFile(dir / "nothing.qdv");
        ADD_FAILURE();
    } catch (const GameError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

// Saving into a folder without write permission must say so and keep the
// earlier file. Root ignores permissions, so there the save runs in a child
// process that has given up root.
TEST_F(SavedGameFiles, FailedSaveKeepsTheEarlierFile) {
    const fs::path p = dir / "keep.qdv";
    SaveGameFile(p, History({{1, 1}}));
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    auto attempt = [&p]() -> int {
        try {
            SaveGameFile(p, History({{2, 2}}));
            return 1;
        } catch (const GameError& e) {
            return std::string(e.what()) == "File access denied" ? 0 : 2;
        }
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(attempt(), 0);
    } else {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
            ::_exit(attempt());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: saved anyway, 2: another message, 3: setuid";
    }
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(Read(p), "A,8\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

TEST_F(SavedGameFiles, FullDeviceSaysDiskFull) {
    if (!fs::exists("/dev/full")) GTEST_SKIP();
    try {
        SaveGameFile("/dev/full", History({{1, 1}}));
        ADD_FAILURE();
    } catch (const GameError& e) {
        EXPECT_STREQ(e.what(), "Disk full");
    }
}

// Opening a named pipe waits for its other end, so these would hang rather
// than fail if the files were opened as they are.
TEST_F(SavedGameFiles, SpecialFilesAreRefusedWithoutWaiting) {
    const fs::path fifo = dir / "pipe", socket = dir / "socket", folder = dir / "folder";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    const struct {
        fs::path path;
        const char* text;
    } files[] = {{fifo, "A named pipe is not a file"},
                 {socket, "A socket is not a file"},
                 {folder, "A directory is not a file"}};
    const struct {
        const char* name;
        void (*open)(const std::string&);
    } uses[] = {
        {"load", [](const std::string& p) { LoadGameFile(p); }},
        {"save",
         [](const std::string& p) {
             SaveGameFile(p, History({{1, 1}}));
         }},
        {"trace", [](const std::string& p) { TraceFile t(p); }},
    };
    for (const auto& file : files)
        for (const auto& use : uses) {
            SCOPED_TRACE(file.path.string() + " " + use.name);
            try {
                use.open(file.path);
                ADD_FAILURE();
            } catch (const GameError& e) {
                // Save keeps its older text for a folder.
                const bool saveInFolder = file.path == folder && use.name == std::string("save");
                EXPECT_STREQ(e.what(), saveInFolder ? "File access denied" : file.text);
            }
        }
    ::close(listener);
    EXPECT_TRUE(fs::is_fifo(fifo) && fs::is_socket(socket) && fs::is_directory(folder));
}

TEST(IoErrorText, Codes) {
    EXPECT_EQ(IoErrorText(2), "File not found");
    EXPECT_EQ(IoErrorText(3), "Invalid filename");
    EXPECT_EQ(IoErrorText(4), "Too many open files");
    EXPECT_EQ(IoErrorText(5), "File access denied");
    EXPECT_EQ(IoErrorText(100), "Read beyond end of file");
    EXPECT_EQ(IoErrorText(101), "Disk full");
    EXPECT_EQ(IoErrorText(106), "Invalid numeric input");
    EXPECT_EQ(IoErrorText(7), "I/O error 7");
}

}  // namespace
}  // namespace qv
