#include "model/board_text.h"

#include <gtest/gtest.h>

#include <random>

#include "board_helpers.h"

namespace qv {
namespace {

TEST(BoardText, ReadsRowsFromTheTop) {
    const Board b =
        ParseBoardText("rR....../......b./......../......../......../......../......../.......B");
    EXPECT_EQ(b(1, 1), Red);
    EXPECT_EQ(b(2, 1), Red);
    EXPECT_EQ(b(7, 2), Blue);
    EXPECT_EQ(b(8, 8), Blue);
    EXPECT_EQ(b.Pieces(), 4);
}

TEST(BoardText, RejectsWithAMessage) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string(63, '.'), "expected 64 cells, found 63"},
        {std::string(65, '.'), "expected 64 cells, found 65"},
        {"x" + std::string(63, '.'), "character 1 ('x') is not a cell"},
        {"", "expected 64 cells, found 0"},
    };
    for (const auto& [text, message] : cases) {
        try {
            ParseBoardText(text);
            ADD_FAILURE() << text;
        } catch (const BoardTextError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

TEST(BoardText, FormatReadsBack) {
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        const Board b = testing::RandomBoard(rng, 0.5);
        EXPECT_EQ(ParseBoardText(FormatBoardText(b)), b);
    }
}

}  // namespace
}  // namespace qv
