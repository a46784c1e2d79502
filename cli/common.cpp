#include "cli/common.h"

#include <charconv>
#include <vector>

#include "model/board_text.h"
#include "model/game.h"
#include "model/savedgame.h"

namespace qv::cli {

void AddPositionOptions(CLI::App& command, PositionOptions& options) {
    auto* board = command.add_option(
        "--board", options.board,
        "64 cells, top row first, each row left to right: '.' empty, r Red, b Blue "
        "('/' and spaces are ignored)");
    auto* game = command.add_option("--game", options.game,
                                    "a saved game file; the position after its moves");
    board->excludes(game);
}

Board ParseBoardText(const std::string& text) {
    try {
        return qv::ParseBoardText(text);
    } catch (const BoardTextError& e) {
        throw UsageError(std::string("--board: ") + e.what());
    }
}

Board LoadPosition(const PositionOptions& options) {
    if (!options.board.empty()) return ParseBoardText(options.board);
    if (!options.game.empty()) {
        try {
            Game game;
            ApplyGame(game, LoadGameFile(options.game));
            return game.board;
        } catch (const GameError& e) {
            throw UsageError("--game " + options.game + ": " + e.what());
        }
    }
    return Board{};
}

void AddWeightsOption(CLI::App& command, std::string& weights) {
    command.add_option("--weights", weights,
                       "the potential weights W0..W15, comma-separated "
                       "(default 1,7,3,1,4,3,1,2,4,0,0,0,0,9,4,10)");
}

PotentialWeights ParseWeights(const std::string& text, const std::string& option) {
    if (text.empty()) return DefaultWeights();
    std::vector<std::string> items(1);
    for (char ch : text) {
        if (ch == ',')
            items.emplace_back();
        else if (ch != ' ')
            items.back() += ch;
    }
    if (items.size() != 16)
        throw UsageError(option + ": expected 16 comma-separated integers W0..W15, found " +
                         std::to_string(items.size()));
    PotentialWeights weights{};
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& item = items[i];
        const char* begin = item.data();
        if (!item.empty() && item[0] == '+') ++begin;
        const auto [end, ec] = std::from_chars(begin, item.data() + item.size(), weights[i]);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size())
            throw UsageError(option + ": W" + std::to_string(i) + " '" + item +
                             "' is not a 32-bit integer");
    }
    return weights;
}

const char* ColourName(int32_t colour) {
    return colour == Red ? "red" : "blue";
}

std::string JsonLine(const nlohmann::ordered_json& value) {
    if (value.is_object()) {
        std::string out = "{";
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first) out += ", ";
            first = false;
            out += nlohmann::json(key).dump() + ": " + JsonLine(item);
        }
        return out + "}";
    }
    if (value.is_array()) {
        std::string out = "[";
        for (size_t i = 0; i < value.size(); ++i) out += (i ? ", " : "") + JsonLine(value[i]);
        return out + "]";
    }
    return value.dump();
}

}  // namespace qv::cli
