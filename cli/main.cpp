// zeltiff16-cli: the headless front end. Exit codes: 0 success; 1 the movie or an
// output cannot be opened, read or written; 2 bad usage, or a frame range or point
// outside the movie (checked before anything is written). Integer values are decimal.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "ZelVersion.h"
#include "cli/ConvertCommand.h"
#include "cli/DecimalOption.h"
#include "cli/FramesCommand.h"
#include "cli/InfoCommand.h"
#include "cli/KymographCommand.h"
#include "cli/MeasureCommand.h"
#include "cli/VideoCommand.h"
#include "document/ConversionWorkers.h"
#include "platform/Process.h"

namespace {

void AddFrameWorkOptions(CLI::App& command, zel::cli::FrameWorkOptions& options, const char* outputHelp) {
    command.add_option("MOVIE", options.movie, "Movie file (.zel)")->required();
    command.add_option("OUTPUT", options.output, outputHelp)->required();
    command.add_option("--start", options.start, "First frame index (inclusive; default 0)")
        ->transform(zel::cli::DecimalInteger());
    command.add_option("--end", options.end, "Last frame index (inclusive; default the last frame)")
        ->transform(zel::cli::DecimalInteger());
    command.add_flag("--no-correction", options.noCorrection, "Do not apply the movie's correction data");
    command.add_option("--black-reference", options.blackReference,
                       "Dark movie whose average replaces the correction offsets (black balance)");
}

// --pixel-size, for the outputs that can say lengths in a unit (given by `needs`).
void AddPixelSizeOption(CLI::App& command, zel::cli::FrameWorkOptions& options, CLI::Option* needs,
                        const char* what) {
    command
        .add_option("--pixel-size", options.pixelSize,
                    std::string("Size of one pixel on the object, e.g. 12.5um (nm, um, mm, cm, m, in); ") + what)
        ->needs(needs);
}

// The exit status of every command, for the help texts (README "Exit status" says more).
constexpr const char* kExitStatusHelp =
    "Exit status:\n"
    "  0         success\n"
    "  1         the movie or an output cannot be opened, read or written\n"
    "  2         bad usage, a frame range or point outside the movie, or an output that is an input\n"
    "  130, 143  stopped by Ctrl-C (SIGINT) or SIGTERM at a frame boundary; finished TIFF files are kept";

// What the default --jobs comes to on this machine, counted as the conversion counts it.
std::string DecodersHere() {
    return std::to_string(zel::DefaultDecoderCount(static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))));
}

}  // namespace

int main(int argc, char** argv) {
    // Paths are UTF-8 throughout; on Windows the arguments and the console are made so.
    zel::platform::Utf8Arguments arguments(argc, argv);
    const zel::platform::Utf8Console console;
    CLI::App app{"ZelTiff16 command-line tool: inspect, convert and measure high-speed camera movies (.zel)"};
    app.require_subcommand(1);
    // Options are spelled --name everywhere. CLI11 would also take "/name" on Windows, and
    // then a root-relative path such as /data/m.zel would be read as an unknown option
    // and the movie reported missing. Set before the commands are added: they copy it.
    app.allow_windows_style_options(false);
    // Also copied by each command, so that every --help ends with it.
    app.footer(kExitStatusHelp);
    app.set_version_flag("--version", std::string("zeltiff16-cli ") + zel::kVersionString);

    zel::cli::InfoOptions info;
    CLI::App* infoCommand = app.add_subcommand("info", "Print the recording parameters of a movie");
    infoCommand->add_option("MOVIE", info.movie, "Movie file (.zel)")->required();
    infoCommand->add_flag("--json", info.json, "One JSON object keyed by the reader's field names");
    infoCommand->add_flag("--no-correction", info.noCorrection, "Do not load the correction tables");

    zel::cli::FramesOptions frames;
    CLI::App* framesCommand = app.add_subcommand(
        "frames", "List each frame the file holds: index, camera frame number, time from the trigger (s), per-frame header");
    framesCommand->add_option("MOVIE", frames.movie, "Movie file (.zel)")->required();
    auto* framesJson = framesCommand->add_flag("--json", frames.json, "One JSON array, an object per frame");
    framesCommand->add_flag("--csv", frames.csv, "CSV with a header row, a row per frame")->excludes(framesJson);

    zel::cli::ConvertOptions convert;
    CLI::App* convertCommand =
        app.add_subcommand("convert", "Write frames as numbered TIFF files: OUTPUT dir/name.tif gives dir/name_000012.tif");
    AddFrameWorkOptions(*convertCommand, convert, "Name pattern of the TIFF files (folder, base name, extension)");
    convertCommand->add_option("--bits", convert.bits, "Bits per sample of the TIFF files (default 16)")
        ->transform(zel::cli::DecimalInteger())
        ->check(CLI::IsMember({8, 16}));
    convertCommand
        ->add_option("--jobs", convert.jobs,
                     "Decoding threads, beside the one that writes (default: one per core but one, at least 1; " +
                         DecodersHere() + " here)")
        ->transform(zel::cli::DecimalInteger())
        ->check(CLI::Range(1, 256));
    CLI::Option* stackFlag = convertCommand->add_flag(
        "--stack", convert.stack, "Write one multi-page TIFF (an ImageJ stack) named OUTPUT, with one job");
    convertCommand
        ->add_flag("--bigtiff", convert.bigtiff,
                   "With --stack: write a BigTIFF, a directory per page, for readers that want one (ImageJ 1.x "
                   "cannot open it); without it a stack past 4 GiB is written as an ImageJ large stack")
        ->needs(stackFlag);
    AddPixelSizeOption(*convertCommand, convert, stackFlag, "with --stack the stack carries it");

    zel::cli::MeasureOptions profile;
    CLI::App* profileCommand = app.add_subcommand("profile", "Record a line profile over a frame range as CSV");
    AddFrameWorkOptions(*profileCommand, profile, "CSV file to write");
    profileCommand->add_option("--line", profile.corners, "Line from (X0, Y0) to (X1, Y1)")
        ->transform(zel::cli::DecimalInteger())
        ->expected(4)
        ->required();
    CLI::Option* profileTable = profileCommand->add_flag(
        "--table", profile.table,
        "A table for analysis tools: header index,number,time,v0..v{N-1}, a row per frame, no title or average");
    AddPixelSizeOption(*profileCommand, profile, profileTable, "the table adds the sample step in that unit");

    zel::cli::MeasureOptions kymograph;
    CLI::App* kymographCommand = app.add_subcommand(
        "kymograph", "Write a line profile over a frame range as one 16-bit TIFF image, a row per frame");
    AddFrameWorkOptions(*kymographCommand, kymograph, "TIFF file to write");
    kymographCommand->add_option("--line", kymograph.corners, "Line from (X0, Y0) to (X1, Y1)")
        ->transform(zel::cli::DecimalInteger())
        ->expected(4)
        ->required();

    zel::cli::MeasureOptions aoi;
    CLI::App* aoiCommand = app.add_subcommand("aoi", "Record area-of-interest statistics over a frame range as CSV");
    AddFrameWorkOptions(*aoiCommand, aoi, "CSV file to write");
    aoiCommand->add_option("--rect", aoi.corners, "Rectangle corners (X0, Y0) and (X1, Y1), inclusive")
        ->transform(zel::cli::DecimalInteger())
        ->expected(4)
        ->required();
    CLI::Option* aoiTable = aoiCommand->add_flag(
        "--table", aoi.table,
        "A table for analysis tools: header index,number,time,n,mean,std,min,max (per channel R_, G_, B_ for "
        "colour), a row per frame, no title or average");
    AddPixelSizeOption(*aoiCommand, aoi, aoiTable, "the table adds the AOI's width and height in that unit");

    zel::cli::VideoCommandOptions video;
    CLI::App* videoCommand = app.add_subcommand(
        "video", "Write a frame range as one video: OUTPUT.mkv lossless FFV1 holding the 16-bit TIFF values, "
                 "OUTPUT.mp4 H.264 showing the display at a gain");
    AddFrameWorkOptions(*videoCommand, video, "Video file to write (.mkv or .mp4)");
    videoCommand->add_option("--codec", video.codec, "ffv1 (lossless, .mkv) or h264 (.mp4 or .mkv); default by extension")
        ->check(CLI::IsMember({"ffv1", "h264"}));
    CLI::Option* fps = videoCommand->add_option(
        "--fps", video.fps, "Frames per second of the video: 30 (default), 29.97, 30000/1001 ...");
    videoCommand
        ->add_option("--speed", video.speed,
                     "Instead of --fps: times the recording's rate, e.g. 0.01 plays a 10000 frames/s recording at "
                     "100 frames/s (needs the movie's rate)")
        ->excludes(fps);
    videoCommand
        ->add_option("--gain", video.gain, "H.264 only: the display gain 1, 2, 4, 8, 16, 32, 64 or auto (default 1)")
        ->check(CLI::IsMember({"1", "2", "4", "8", "16", "32", "64", "auto"}));
    videoCommand->add_option("--overlay", video.overlay,
                             "Texts drawn into the frames, comma-separated: time, frame, scalebar (scalebar needs "
                             "--pixel-size)");
    videoCommand->add_option("--pixel-size", video.pixelSize,
                             "Size of one pixel on the object, e.g. 12.5um (nm, um, mm, cm, m, in), for the scale bar");

    try {
        app.parse(arguments.Count(), arguments.Values());
    } catch (const CLI::Success& e) {  // --help or --version: printed, exit 0
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // A word that names no command is left over unparsed; CLI11 would only say that a
        // subcommand is required, which hides the misspelt name. The tool's own options
        // take no values, so the first word not starting with '-' was meant as the command.
        const std::vector<std::string> left = app.remaining();
        const auto word =
            std::find_if(left.begin(), left.end(), [](const std::string& a) { return a.rfind('-', 0) != 0; });
        if (app.get_subcommands().empty() && word != left.end()) {
            zel::cli::Complain("unknown command '" + *word + "' (commands: info, frames, convert, profile, kymograph, aoi, video)");
            std::fprintf(stderr, "Run with --help for more information.\n");
            return zel::cli::kExitUsage;
        }
        app.exit(e);
        return zel::cli::kExitUsage;
    }

    if (infoCommand->parsed()) return zel::cli::RunInfo(info);
    if (framesCommand->parsed()) return zel::cli::RunFrames(frames);
    if (convertCommand->parsed()) return zel::cli::RunConvert(convert);
    if (profileCommand->parsed()) return zel::cli::RunProfile(profile);
    if (aoiCommand->parsed()) return zel::cli::RunAoi(aoi);
    if (kymographCommand->parsed()) return zel::cli::RunKymograph(kymograph);
    if (videoCommand->parsed()) return zel::cli::RunVideo(video, argv);
    return zel::cli::kExitUsage;
}
