// Saved games come from disk and from other people. Whatever the bytes, the
// reader must agree with the plain reference reader: accept exactly the files
// it accepts, with the same moves, and refuse the others naming the same line;
// loading into a game in progress replaces it completely or not at all, and
// an accepted game saved again reads back the same.
#include <cstdint>
#include <string_view>

#include "fuzz/checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ref::GameReading expected = ref::ReadGame(bytes);

    qv::Game game = check::GameInProgress();
    const ref::GameState before = check::StateOf(game);
    const std::optional<std::string> error = check::LoadBytesLikeTheWindow(game, bytes);
    check::CheckLoad(expected, error, game, before, bytes);
    if (error) return 0;

    const std::string saved = qv::FormatGame(game.MoveHistory);
    const ref::GameReading again = ref::ReadGame(saved);
    if (again.fault != ref::Fault::None || again.moves != expected.moves)
        check::Disagree(bytes, "saved as \"" + check::Escaped(saved) + "\", which the reference " +
                                   check::Describe(again) + " instead of the same moves");
    if (saved.size() != 5 * expected.moves.size())
        check::Disagree(bytes, "saved as \"" + check::Escaped(saved) + "\", not five bytes a move");
    if (check::MovesOf(qv::ParseGame(saved)) != expected.moves)
        check::Disagree(bytes, "the saved game does not read back the same");
    return 0;
}
