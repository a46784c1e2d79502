#include "play/player_description.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// Text given, and the text the player is printed as.
TEST(PlayerSpec, ReadsAndPrintsEveryKind) {
    const struct {
        const char* text;
        const char* printed;
    } cases[] = {
        {"classic:depth=11,width=3", "classic:depth=11,width=3"},
        {"classic:width=5,depth=012", "classic:depth=12,width=5"},
        {"classic:depth=6,full-width,threads=2", "classic:depth=6,full-width,threads=2"},
        {"classic:depth=3,weights=1/7/3/1/4/3/1/2/4/0/0/0/0/9/4/10", "classic:depth=3,width=3"},
        {"classic:depth=3,weights=0/0/0/-1/4/3/1/2/4/0/0/0/0/9/4/10",
         "classic:depth=3,width=3,weights=0/0/0/-1/4/3/1/2/4/0/0/0/0/9/4/10"},
        {"strong:movetime=200", "strong:movetime=200"},
        {"strong:depth=6,time-per-game=30000", "strong:time-per-game=30000,depth=6"},
        {"strong:nodes=5000,table-mib=16,tempo=6", "strong:nodes=5000,table-mib=16,tempo=6"},
        {"classic:margin=4,depth=2,choose=05", "classic:depth=2,width=3,choose=5,margin=4"},
        {"potential", "potential"},
        {"external:quadrivane-cli engine", "external:quadrivane-cli engine"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PlayerSpec p = ParsePlayerSpec(c.text);
        EXPECT_EQ(FormatPlayerSpec(p), c.printed);
        EXPECT_EQ(ParsePlayerSpec(FormatPlayerSpec(p)), p);
    }
    EXPECT_EQ(FormatPlayerSpec(DefaultPlayer()), "classic:depth=11,width=3");
}

TEST(PlayerSpec, RefusesLooseDescriptions) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"classic:width=3", "needs depth"},
        {"strong:movetime=10,nodes=10", "needs movetime"},
        {"strong:time-per-game=10,nodes=10", "one of them"},
        {"strong:movetime=10,depth=65", "1..64"},
        {"classic:depth=3,depth=4", "given twice"},
        {"classic:depth=3,full-width,width=5", "full-width"},
        {"classic:depth=0x3", "1..15"},
        {"classic:depth= 3", "1..15"},
        {"classic:depth=3,speed=2", "unknown setting 'speed=2'"},
        {"classic:depth=3,weights=1/2/3", "16 integers"},
        {"external:", "needs the command"},
        {"gnu:depth=3", "expected classic"},
        {"classic:depth=2,margin=3", "give both"},
        {"classic:depth=2,choose=65", "1..64"},
        {"strong:movetime=5,choose=2", "unknown setting 'choose=2'"},
        {"level:0", "level:1 to level:10"},
        {"level:11", "level:1 to level:10"},
        {"level:+3", "level:1 to level:10"},
        {"level", "level:1 to level:10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            ParsePlayerSpec(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const PlayerSpecError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}

TEST(PlayerSpec, RequestCarriesThePlayer) {
    const Board board;
    const SearchRequest classic =
        MakeSearchRequest(ParsePlayerSpec("classic:depth=7,width=4,threads=2"), board, Red, 11);
    EXPECT_EQ(classic.kind, SearchKind::Classic);
    EXPECT_EQ(classic.depth, 7);
    EXPECT_EQ(classic.width, 4);
    EXPECT_EQ(classic.threads, 2);
    EXPECT_EQ(classic.colour, Red);
    EXPECT_EQ(classic.lineEnd, 11);
    const SearchRequest strong =
        MakeSearchRequest(ParsePlayerSpec("strong:nodes=900,null=3"), board, Blue, 11);
    EXPECT_EQ(strong.kind, SearchKind::Strong);
    EXPECT_EQ(strong.nodes, 900);
    EXPECT_EQ(strong.strong.nullReduction, 3);
    EXPECT_EQ(strong.lineEnd, 0);
    EXPECT_THROW(MakeSearchRequest(ParsePlayerSpec("potential"), board, Blue), std::logic_error);
}

}  // namespace
}  // namespace qv
