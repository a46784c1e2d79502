// The file side of Load: the bytes go through a real file and LoadGameFile,
// as the window and `--game` read them, and must give what the reference
// reader gives. Files over 1 MiB are refused whatever they hold (exactly
// 1 MiB is still read), and paths that are no file are refused, in every case
// leaving the game in progress as it was.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/checks.h"

namespace {

constexpr size_t kLimit = size_t{1} << 20;

std::string path;

// Any refusal that is not about the file's lines: the library's line messages
// name a line or end in the number conversion's text.
bool IsLineMessage(const std::string& message) {
    const std::string_view integer = " is not a valid integer value";
    return check::LineNamed(message, true) != 0 ||
           (message.size() >= integer.size() &&
            message.compare(message.size() - integer.size(), integer.size(), integer) == 0);
}

void ExpectRefused(const std::string& file, std::string_view input, const char* what) {
    qv::Game game = check::GameInProgress();
    const ref::GameState before = check::StateOf(game);
    const std::optional<std::string> error = check::LoadLikeTheWindow(game, file);
    if (!error) check::Disagree(input, std::string(what) + " was loaded");
    if (error->empty() || IsLineMessage(*error))
        check::Disagree(input, std::string(what) + " was refused with \"" + *error +
                                   "\", not a message about the file");
    if (check::StateOf(game) != before)
        check::Disagree(input, std::string(what) + " was refused but changed the game");
}

void LoadAndCompare(std::string_view bytes, std::string_view input) {
    check::WriteFile(path, bytes);
    qv::Game game = check::GameInProgress();
    const ref::GameState before = check::StateOf(game);
    const std::optional<std::string> error = check::LoadLikeTheWindow(game, path);
    check::CheckLoad(ref::ReadGame(bytes), error, game, before, input);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string& directory = check::ScratchDirectory();
    path = directory + "/game.qdv";
    ExpectRefused(directory + "/missing.qdv", "", "a file that does not exist");
    ExpectRefused(directory, "", "a directory");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check::Context().clear();
    LoadAndCompare(bytes, bytes);

    // About one input in 64 (a megabyte costs more than the rest) also goes
    // to the size limit and just past it; leading blanks change neither the
    // moves nor the line numbers.
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    if (hash % 64 == 0 && size < kLimit) {
        std::string padded(kLimit - size, ' ');
        padded += bytes;
        check::Context() = " after " + std::to_string(kLimit - size) + " blanks, 1 MiB in all";
        LoadAndCompare(padded, bytes);
        padded.insert(0, 1, ' ');
        check::WriteFile(path, padded);
        check::Context() =
            " after " + std::to_string(kLimit + 1 - size) + " blanks, 1 MiB + 1 byte";
        ExpectRefused(path, bytes, "a file over 1 MiB");
    }
    return 0;
}
