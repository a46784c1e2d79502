#include "play/levels.h"

#include <algorithm>
#include <stdexcept>

namespace qv {

namespace {

struct Level {
    const char* title;
    const char* player;
};

// Each one scores 60 to 90 % against the one below (README.md has the
// measured table).
constexpr Level kLadder[kLevels] = {
    {"Beginner", "classic:depth=1,choose=48,margin=0"},
    {"Novice", "classic:depth=1,choose=16,margin=0"},
    {"Casual", "classic:depth=2,choose=24,margin=8"},
    {"Club Player", "classic:depth=2,choose=8,margin=4"},
    {"Intermediate", "classic:depth=2"},
    {"Advanced", "classic:depth=5"},
    {"Expert", "classic:depth=9"},
    {"Senior Expert", "strong:movetime=20"},
    {"Candidate Master", "strong:movetime=150"},
    {"Master", "strong:movetime=1000"},
};

const Level& At(int32_t n) {
    if (n < 1 || n > kLevels) throw std::out_of_range("no level " + std::to_string(n));
    return kLadder[n - 1];
}

}  // namespace

PlayerSpec ResolveLevel(int32_t n) {
    return ParsePlayerSpec(At(n).player);
}

std::string LevelName(int32_t n) {
    return "Level " + std::to_string(n) + " (" + At(n).title + ")";
}

int32_t LevelOf(const PlayerSpec& description) {
    for (int32_t n = 1; n <= kLevels; ++n)
        if (description == ResolveLevel(n)) return n;
    return 0;
}

std::string LevelsTable() {
    std::string s = "LEVELS (level:N):\n";
    for (int32_t n = 1; n <= kLevels; ++n) {
        std::string name = LevelName(n);
        name.resize(std::max<size_t>(name.size() + 2, 28), ' ');
        s += "  " + name + FormatPlayerSpec(ResolveLevel(n)) + (n < kLevels ? "\n" : "");
    }
    return s;
}

}  // namespace qv
