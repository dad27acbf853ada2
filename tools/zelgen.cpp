// zelgen: writes demo and test ".zel" movies in any of the stored layouts.
//
//   zelgen OUTPUT.zel [--format -1..6] [--older] [--big-endian] [--width W] [--height H]
//          [--frames N] [--headers none|before|after] [--correction 0|3|6|9]
//          [--pattern gradient|moving|noise] [--trigger-frame K]
//   zelgen --seed-corpus DIR     small movies of every layout, for the fuzz targets
//
// Exit status: 0 written, 1 the file could not be written, 2 bad usage.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "zelwriter/DemoMovie.h"
#include "zelwriter/MovieWriter.h"

namespace {

int Usage(const std::string& message) {
    std::fprintf(stderr, "zelgen: %s\n", message.c_str());
    return 2;
}

// Dimensions the layout fills completely; anything else would leave undecoded pixels.
std::optional<std::string> CheckDimensions(int format, int width, int height) {
    const long long n = static_cast<long long>(width) * height;
    switch (format) {
        case 0:
            if (n % 32 != 0) return "format 0 needs width*height to be a multiple of 32";
            break;
        case 1:
            if (height % 16 != 0 || width % 4 != 0 || n % 512 != 0)
                return "format 1 needs height a multiple of 16, width of 4, width*height of 512";
            break;
        case 2: case 3: case 4:
            if (width % 4 != 0 || height % 16 != 0)
                return "formats 2-4 need width a multiple of 4 and height a multiple of 16";
            break;
        case 6:
            if (n % 4 != 0) return "format 6 needs width*height to be a multiple of 4";
            break;
        default:
            break;
    }
    return std::nullopt;
}

// Small movies covering every stored layout in both record layouts, the byte orders,
// the per-frame header places and the correction kinds: seeds for the fuzz targets.
int WriteSeedCorpus(const std::string& folder) {
    int written = 0, variant = 0;
    for (const bool newer : {true, false}) {
        for (int format = -1; format <= 6; ++format) {
            std::optional<zelgen::MovieSpec> chosen = zelgen::SpecForPixelFormat(format, newer);
            if (!chosen) continue;
            zelgen::MovieSpec spec = *chosen;
            spec.width = 32;
            spec.height = 16;
            spec.bigEndian = variant % 2 == 1;
            spec.headerPlace = variant % 3 - 1;
            const int kinds[] = {9, 3, 6, 0};
            spec.correction = zelgen::DemoCorrection(kinds[variant % 4], 32, 16, format == 4 ? 12 : 10);
            if (spec.correction.kind == 6) spec.correctionPoint = zelgen::kDemoCorrectionPoint;
            ++variant;
            const uint16_t maxValue = zelgen::MaxSampleOfFormat(format);
            const std::string path = folder + "/seed_" + (newer ? "newer" : "older") + "_format" +
                                     std::to_string(format) + ".zel";
            std::string error;
            const bool ok = zelgen::WriteMovie(
                path, spec, 2,
                [&](int n, uint16_t* samples) {
                    zelgen::FillDemoFrame(zelgen::DemoPattern::Noise, n, 2, 32, 16, maxValue, samples);
                },
                &error);
            if (!ok) {
                std::fprintf(stderr, "zelgen: %s\n", error.c_str());
                return 1;
            }
            ++written;
        }
    }
    std::printf("wrote %d seed movies to %s\n", written, folder.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes a demo or test .zel movie file."};
    std::string output;
    std::optional<int> format;
    bool older = false, bigEndian = false;
    int width = 256, height = 128, frames = 40, correction = 9, triggerFrame = 0;
    std::string headers = "none", pattern = "moving";
    std::string seedFolder;
    app.add_option("output", output, "Movie file to write");
    app.add_option("--seed-corpus", seedFolder, "Write small seed movies of every layout into this folder")
        ->check(CLI::ExistingDirectory);
    app.add_option("--format", format, "Stored pixel layout -1..6 (default 6, or 0 with --older)")
        ->check(CLI::Range(-1, 6));
    app.add_flag("--older", older, "Older record layout (GENP/PLAY 0x20000 with FSZP)");
    app.add_flag("--big-endian", bigEndian, "Big-endian file (\"MMMM\" marker)");
    app.add_option("--width", width, "Frame width in pixels")->check(CLI::Range(1, 32767));
    app.add_option("--height", height, "Frame height in rows")->check(CLI::Range(1, 32767));
    app.add_option("--frames", frames, "Number of frames")->check(CLI::Range(0, 1 << 30));
    app.add_option("--headers", headers, "Per-frame headers")->check(CLI::IsMember({"none", "before", "after"}));
    app.add_option("--correction", correction, "Correction data kind")->check(CLI::IsMember({0, 3, 6, 9}));
    app.add_option("--pattern", pattern, "Picture content")->check(CLI::IsMember({"gradient", "moving", "noise"}));
    app.add_option("--trigger-frame", triggerFrame,
                   "Frame the trigger falls on: the segment table numbers the frames from -K (default 0)")
        ->check(CLI::Range(0, 1 << 30));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return Usage(e.what());
    }

    if (!seedFolder.empty()) return WriteSeedCorpus(seedFolder);
    if (output.empty()) return Usage("an output file is required (or --seed-corpus DIR)");

    const int pixelFormat = format.value_or(older ? 0 : 6);
    std::optional<zelgen::MovieSpec> chosen = zelgen::SpecForPixelFormat(pixelFormat, !older);
    if (!chosen)
        return Usage("format " + std::to_string(pixelFormat) + " does not exist in the " +
                     (older ? "older" : "newer") + " layout");
    if (auto problem = CheckDimensions(pixelFormat, width, height)) return Usage(*problem);

    zelgen::MovieSpec spec = *chosen;
    spec.bigEndian = bigEndian;
    spec.width = width;
    spec.height = height;
    spec.headerPlace = headers == "before" ? 1 : (headers == "after" ? -1 : 0);
    // The camera numbers frames from the trigger's (0); frames recorded before it count negative.
    if (triggerFrame != 0)
        spec.segments.push_back(zelgen::SegmentSpec{1, -triggerFrame, frames - 1 - triggerFrame, {}, {}});
    const uint16_t maxValue = zelgen::MaxSampleOfFormat(pixelFormat);
    spec.correction = zelgen::DemoCorrection(correction, width, height, pixelFormat == 4 ? 12 : 10);
    if (correction == 6) spec.correctionPoint = zelgen::kDemoCorrectionPoint;

    const std::map<std::string, zelgen::DemoPattern> patterns{{"gradient", zelgen::DemoPattern::Gradient},
                                                             {"moving", zelgen::DemoPattern::Moving},
                                                             {"noise", zelgen::DemoPattern::Noise}};
    const zelgen::DemoPattern picture = patterns.at(pattern);
    std::string error;
    const bool ok = zelgen::WriteMovie(
        output, spec, frames,
        [&](int n, uint16_t* samples) {
            zelgen::FillDemoFrame(picture, n, frames, width, height, maxValue, samples);
        },
        &error);
    if (!ok) {
        std::fprintf(stderr, "zelgen: %s\n", error.c_str());
        return 1;
    }
    std::printf("wrote %s: %d frames of %dx%d, format %d, %s layout, %s-endian, correction %d, headers %s\n",
                output.c_str(), frames, width, height, pixelFormat, older ? "older" : "newer",
                bigEndian ? "big" : "little", correction, headers.c_str());
    return 0;
}
