// quadrivane-cli: the engine from the command line. Exit codes: 0 success,
// 2 bad arguments or input, 1 internal failure or output that could not be
// written, 130 / 143 when stopped by SIGINT / SIGTERM.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <system_error>

#include "cli/common.h"

namespace {

int Run(int argc, char** argv) {
    CLI::App app(
        "Quadrivane from the command line: scores, suggestions, potentials, engine games and "
        "evolution.",
        "quadrivane-cli");
    app.require_subcommand(1);
    qv::cli::AddScoreCommand(app);
    qv::cli::AddSuggestCommand(app);
    qv::cli::AddPotentialsCommand(app);
    qv::cli::AddPlayCommands(app);
    qv::cli::AddEvolveCommand(app);
    app.set_version_flag("--version", "quadrivane-cli " QUADRIVANE_VERSION);
    qv::cli::AddBenchCommand(app);
    qv::cli::AddAnalyseCommand(app);
    qv::cli::AddMatchCommand(app);
    qv::cli::AddEngineCommand(app);

    try {
        qv::cli::RefuseEmptyEqualsValues(argc, argv);
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    } catch (const qv::cli::UsageError& e) {
        std::cerr << "quadrivane-cli: " << e.what() << "\n";
        return 2;
    } catch (const qv::cli::OutputError& e) {
        std::cerr << "quadrivane-cli: " << e.what() << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "quadrivane-cli: out of memory\n";
        return 1;
    } catch (const std::system_error& e) {
        std::cerr << "quadrivane-cli: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "quadrivane-cli: internal error: " << e.what() << "\n";
        return 1;
    }
    return qv::cli::InterruptExitCode();
}

// Output that never reached its file (a full disk, a closed descriptor) is a
// failure, not a success: everything still buffered is written now.
bool OutputWritten() {
    errno = 0;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout) && std::cout.good()) return true;
    const int err = errno;
    std::cerr << "quadrivane-cli: cannot write the output: "
              << (err != 0 ? std::strerror(err) : "write error") << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const int code = Run(argc, argv);
    return OutputWritten() ? code : 1;
}
