// zeltiff16-cli frames: the time base of a movie, frame by frame, as text, JSON or CSV.

#include "cli/FramesCommand.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/CommonOptions.h"
#include "cli/Interrupt.h"
#include "cli/JsonText.h"
#include "reader/FrameTime.h"
#include "reader/MovieReader.h"
#include "reader/WholeFrames.h"

namespace zel::cli {

namespace {

// The shortest decimal text that reads back as the same double.
std::string Seconds(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string Record(const FramesOptions& options, int index, int64_t number, const std::optional<double>& time,
                   const std::array<uint32_t, 12>* header) {
    std::string line;
    const std::string timeText = time ? Seconds(*time) : std::string();
    if (options.json) {
        line = "{\"index\": " + std::to_string(index) + ", \"number\": " + std::to_string(number) +
               ", \"time\": " + (time ? timeText : "null") + ", \"header\": ";
        if (header == nullptr) {
            line += "null";
        } else {
            line += "[";
            for (size_t i = 0; i < header->size(); ++i) line += (i ? ", " : "") + std::to_string((*header)[i]);
            line += "]";
        }
        return line + "}";
    }
    const char* separator = options.csv ? "," : " ";
    line = std::to_string(index) + separator + std::to_string(number) + separator + (time ? timeText : "-");
    if (options.csv && !time) line.resize(line.size() - 1);  // an empty cell
    for (size_t i = 0; header != nullptr && i < header->size(); ++i) line += separator + std::to_string((*header)[i]);
    if (options.csv && header == nullptr) line += ",,,,,,,,,,,,";
    return line;
}

}  // namespace

int RunFrames(const FramesOptions& options) {
    const InterruptWatch interrupts;
    CMovieReader reader;
    if (!reader.Open(options.movie, 0)) {
        Complain(options.movie + ": " + reader.OpenError());
        return kExitFailure;
    }
    const MovieParameters& movie = reader.Parameters();
    // Only the frames the file holds are listed: a header may claim many more.
    const int held = std::min(movie.frameCount, WholeFramesInFile(movie, reader.FileSize()));
    if (held < movie.frameCount)
        Complain(options.movie + ": the file holds only " + std::to_string(held) + " of " +
                 std::to_string(movie.frameCount) + " frames (it is cut short); those are listed");
    if (options.csv) {
        std::fputs("index,number,time", stdout);
        for (int i = 1; i <= 12; ++i) std::printf(",header%d", i);
        std::fputs("\n", stdout);
    } else if (options.json) {
        std::fputs("[", stdout);
    } else {
        std::fputs("index number time(s) [header values]\n", stdout);
    }
    for (int index = 0; index < held; ++index) {
        if (InterruptWatch::Signal() != 0) {
            Complain("interrupted");
            return InterruptWatch::ExitCode();
        }
        const int64_t number = FrameNumber(movie, index).value_or(index);
        std::array<uint32_t, 12> values{};
        const bool hasHeader = reader.FrameHeaderValues(index, values);
        const std::string line = Record(options, index, number, FrameTime(movie, number), hasHeader ? &values : nullptr);
        std::printf("%s%s%s", options.json && index > 0 ? ",\n " : "", line.c_str(), options.json ? "" : "\n");
    }
    if (options.json) std::fputs("]\n", stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

}  // namespace zel::cli
