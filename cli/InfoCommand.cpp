#include "cli/InfoCommand.h"

#include <cstdio>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "cli/InfoSummary.h"
#include "cli/JsonText.h"
#include "reader/WholeFrames.h"
#include "reader/MovieReader.h"
#include "reader/ParameterList.h"

namespace zel::cli {

namespace {

// One printed field: its name as the reader calls it, and its value as JSON text.
using Field = std::pair<const char*, std::string>;

std::vector<Field> FieldsOf(const CMovieReader& r) {
    std::vector<Field> fields;
    for (const ParameterField& field : ParameterFields(r.Parameters())) {
        const auto* text = std::get_if<std::string>(&field.value);
        fields.emplace_back(field.name, text ? JsonString(*text) : std::to_string(std::get<int64_t>(field.value)));
    }
    return fields;
}

void PrintJson(const std::vector<Field>& fields) {
    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        out += JsonString(fields[i].first) + ": " + fields[i].second;
    }
    out += "\n}\n";
    std::fputs(out.c_str(), stdout);
}

void PrintText(const std::vector<Field>& fields) {
    for (const auto& [name, value] : fields) std::printf("%-20s %s\n", name, value.c_str());
}

}  // namespace

int RunInfo(const InfoOptions& options) {
    CMovieReader reader;
    if (!reader.Open(options.movie, options.noCorrection ? 0 : 1)) {
        std::fprintf(stderr, "zeltiff16-cli: %s: %s\n", options.movie.c_str(), reader.OpenError().c_str());
        return 1;
    }
    if (!reader.CorrectionNote().empty())
        std::fprintf(stderr, "zeltiff16-cli: %s: opened without correction: %s\n", options.movie.c_str(),
                     reader.CorrectionNote().c_str());
    // The parameters are printed as recorded; a short file is worth a warning, not a failure.
    if (const int whole = WholeFramesInFile(reader.Parameters(), reader.FileSize()); whole < reader.Parameters().frameCount)
        std::fprintf(stderr, "zeltiff16-cli: %s: the file holds only %d of %d frames (it is cut short)\n",
                     options.movie.c_str(), whole, reader.Parameters().frameCount);
    const auto fields = FieldsOf(reader);
    if (options.json) {
        PrintJson(fields);
    } else {
        std::fputs((MovieSummary(reader, !options.noCorrection) + "\n").c_str(), stdout);
        PrintText(fields);
    }
    return 0;
}

}  // namespace zel::cli
