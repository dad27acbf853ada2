// zeltiff16-cli: the headless front end. Exit codes: 0 success, 1 the movie (or an
// output) cannot be opened, read or written, 2 bad usage.

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/InfoCommand.h"

int main(int argc, char** argv) {
    CLI::App app{"ZelTiff16 command-line tool: inspect and convert high-speed camera movies (.zel)"};
    app.require_subcommand(1);

    zel::cli::InfoOptions info;
    CLI::App* infoCommand = app.add_subcommand("info", "Print the recording parameters of a movie");
    infoCommand->add_option("MOVIE", info.movie, "Movie file (.zel)")->required();
    infoCommand->add_flag("--json", info.json, "One JSON object keyed by the reader's field names");
    infoCommand->add_flag("--no-correction", info.noCorrection, "Do not load the correction tables");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }

    if (infoCommand->parsed()) return zel::cli::RunInfo(info);
    return 2;
}
