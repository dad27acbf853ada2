#include "document/MeasurementTable.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "reader/FrameTime.h"

namespace zel {

std::string NumberText(double value) {
    if (std::isnan(value)) return {};
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

namespace {

// Units in headers are plain ASCII ("um", not the micro sign), as column names in code.
std::string UnitSuffix(const Calibration& calibration) { return "_" + calibration.unit; }

void AppendSummary(std::string& row, const ChannelSummary& c) {
    row += ',' + std::to_string(c.count);
    row += ',' + NumberText(c.Mean());
    row += ',' + NumberText(c.StandardDeviation());
    // Extremes of a channel without pixels are not figures either.
    row += ',' + (c.count > 0 ? std::to_string(c.minimum) : std::string());
    row += ',' + (c.count > 0 ? std::to_string(c.maximum) : std::string());
}

}  // namespace

Problem MeasurementTable::Begin(const std::string& path, const std::string& header) {
    rows_ = 0;
    std::string error;
    if (!file_.Create(path, &error) || !file_.Write(header + '\n', &error))
        return {ProblemCode::WriteFailed, {error}};
    return {};
}

Problem MeasurementTable::BeginAoi(const std::string& path, bool colour, const AoiRect& rect,
                                   const Calibration& calibration) {
    colour_ = colour;
    std::string header = "index,number,time";
    static constexpr const char* kChannels[] = {"R_", "G_", "B_"};
    const int channels = colour ? 3 : 1;
    for (int c = 0; c < channels; ++c)
        for (const char* figure : {"n", "mean", "std", "min", "max"})
            header += std::string(",") + (colour ? kChannels[c] : "") + figure;
    trailer_.clear();
    if (calibration.Known()) {
        header += ",width" + UnitSuffix(calibration) + ",height" + UnitSuffix(calibration);
        const double width = static_cast<double>(std::llabs(int64_t{rect.x1} - rect.x0) + 1);
        const double height = static_cast<double>(std::llabs(int64_t{rect.y1} - rect.y0) + 1);
        trailer_ = ',' + NumberText(calibration.Length(width)) + ',' + NumberText(calibration.Length(height));
    }
    return Begin(path, header);
}

Problem MeasurementTable::BeginProfile(const std::string& path, const ProfileLine& line,
                                       const Calibration& calibration) {
    samples_ = line.SampleCount();
    std::string header = "index,number,time";
    for (int i = 0; i < samples_; ++i) header += ",v" + std::to_string(i);
    trailer_.clear();
    if (calibration.Known()) {
        header += ",step" + UnitSuffix(calibration);
        // Samples are one step of the longer axis apart, so along the line they are
        // length / count apart.
        const double dx = static_cast<double>(int64_t{line.x1} - line.x0);
        const double dy = static_cast<double>(int64_t{line.y1} - line.y0);
        const double step = samples_ > 0 ? std::hypot(dx, dy) / samples_ : 0.0;
        trailer_ = ',' + NumberText(calibration.Length(step));
    }
    return Begin(path, header);
}

std::string MeasurementTable::RowStart(const MovieParameters& movie, int index) const {
    // A frame the segment table does not number has neither number nor time.
    const std::optional<int64_t> number = FrameNumber(movie, index);
    const std::optional<double> time = number ? FrameTime(movie, *number) : std::nullopt;
    return std::to_string(index) + ',' + (number ? std::to_string(*number) : std::string()) + ',' +
           (time ? NumberText(*time) : std::string());
}

Problem MeasurementTable::Write(const std::string& row) {
    std::string error;
    if (!file_.Write(row + trailer_ + '\n', &error)) {
        file_.Abandon();
        return {ProblemCode::WriteFailed, {error}};
    }
    ++rows_;
    return {};
}

Problem MeasurementTable::WriteAoiRow(const MovieParameters& movie, int index, const AoiSummary& summary) {
    std::string row = RowStart(movie, index);
    if (colour_) {
        for (const ChannelSummary* c : {&summary.red, &summary.green, &summary.blue}) AppendSummary(row, *c);
    } else {
        AppendSummary(row, summary.all);
    }
    return Write(row);
}

Problem MeasurementTable::WriteProfileRow(const MovieParameters& movie, int index, const int16_t* values) {
    std::string row = RowStart(movie, index);
    row.reserve(row.size() + static_cast<size_t>(samples_) * 7);
    for (int i = 0; i < samples_; ++i) {
        row += ',';
        row += std::to_string(values[i]);
    }
    return Write(row);
}

Problem MeasurementTable::End() {
    std::string error;
    if (!file_.IsOpen()) return {ProblemCode::WriteFailed, {"the table was not written"}};
    if (!file_.Commit(&error)) return {ProblemCode::WriteFailed, {error}};
    return {};
}

}  // namespace zel
