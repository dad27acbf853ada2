// CSV files of the profile and AOI exports.
//
// Numbers are formatted with std::to_chars, which never consults the locale, so the
// decimal point is a '.' whatever locale the GUI process runs in; the output equals
// printf's "%5d", "%4d" and "%7.2f" in the "C" locale (same rounding of ties).
//
// The file is a ReplacingFile: a CSV export either ends with its average row or leaves
// the CSV path as it found it.

#include "document/CsvExport.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>

#include "document/Utf8Text.h"
#include "platform/Utf8Path.h"

namespace zel {
namespace {

const char kAverageTitle[] = "\r\n\"Average in all frames\"\r\n";

void AppendInt(std::string& text, long long value, int width) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    const int length = static_cast<int>(end - buffer);
    if (length < width) text.append(static_cast<size_t>(width - length), ' ');
    text.append(buffer, end);
}

// "%*.2f" in the "C" locale.
void AppendFixed2(std::string& text, double value, int width) {
    char buffer[400];  // room for the largest double in fixed notation
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    const int length = static_cast<int>(result.ptr - buffer);
    if (length < width) text.append(static_cast<size_t>(width - length), ' ');
    text.append(buffer, result.ptr);
}

template <typename Shape>
std::string Corners(const char* title, const Shape& c) {
    std::string text = "\"";
    text += title;
    text += " : (";
    AppendInt(text, c.x0, 0);
    text += ", ";
    AppendInt(text, c.y0, 0);
    text += ") - (";
    AppendInt(text, c.x1, 0);
    text += ", ";
    AppendInt(text, c.y1, 0);
    text += ")\"\r\n";
    return text;
}

// The head's first field, quoted as RFC 4180 quotes: a '"' in the path is doubled, and a
// ',' or a line break stays inside the quotes, so the path is one field whatever it holds.
// A CSV reader takes the file as UTF-8, so bytes of the name that are not UTF-8 are
// written as U+FFFD. Any other path is written as it is.
std::string MovieLine(const std::string& moviePath) {
    std::string line = "\"Zelf File Name : ";
    for (const char c : ValidUtf8(moviePath.c_str())) {
        if (c == '"') line += '"';
        line += c;
    }
    return line + "\"\r\n";
}

// Creates the file and pushes the head out, so that a file that cannot be written fails
// its Begin, before a run over the frames starts.
bool Start(ReplacingFile& file, const std::string& csvPath, const std::string& head, std::string* error) {
    if (file.Create(csvPath, error) && file.Write(head, error) && file.Flush(error)) return true;
    file.Abandon();
    return false;
}

// Writes text; the first failure is kept and later writes are skipped.
bool Put(ReplacingFile& file, const std::string& text, std::string& failure) {
    return failure.empty() && file.Write(text, &failure);
}

// Puts a complete file in place, or abandons one that failed. true when the file is
// in place.
bool Finish(ReplacingFile& file, const std::string& failure, std::string* error) {
    if (failure.empty()) return file.Commit(error);
    file.Abandon();
    if (error) *error = failure;
    return false;
}

bool NotOpen(std::string* error) {
    if (error) *error = "no export in progress";
    return false;
}

bool AlreadyOpen(std::string* error) {
    if (error) *error = "an export is already in progress";
    return false;
}

}  // namespace

std::string AbsoluteMoviePath(const std::string& path) {
    std::error_code ignored;
    // Through UTF-8 both ways: a plain string would be read in the ANSI code page on Windows.
    const auto absolute = std::filesystem::absolute(platform::PathFromUtf8(path), ignored);
    return absolute.empty() ? path : platform::Utf8OfPath(absolute.lexically_normal());
}

// ---- Profile ----

bool ProfileCsvWriter::Begin(const std::string& csvPath, const std::string& moviePath, const ProfileLine& line,
                             std::string* error) {
    if (file_.IsOpen()) return AlreadyOpen(error);
    const int sampleCount = line.SampleCount();
    if (!Start(file_, csvPath, MovieLine(moviePath) + Corners("Profile", line) + "\"Gray value\"\r\n", error)) {
        return false;
    }
    failure_.clear();
    rows_ = 0;
    sums_.assign(static_cast<size_t>(sampleCount), 0);
    return true;
}

namespace {

// A frame row: the first value as "%5d", each further one as ",%5d", then CR LF. A
// profile of no samples gives an empty line.
template <typename Value>
std::string ProfileRow(const Value* values, size_t count) {
    std::string text;
    text.reserve(count * 6 + 2);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text += ',';
        AppendInt(text, values[i], 5);
    }
    text += "\r\n";
    return text;
}

}  // namespace

bool ProfileCsvWriter::WriteRow(const int16_t* values) {
    if (!file_.IsOpen() || !failure_.empty()) return false;
    if (!values && !sums_.empty()) return false;
    if (rows_ == std::numeric_limits<int>::max()) {
        failure_ = "too many rows for " + file_.Target();
        return false;
    }
    if (!Put(file_, ProfileRow(values, sums_.size()), failure_)) return false;
    for (size_t i = 0; i < sums_.size(); ++i) sums_[i] += values[i];
    ++rows_;
    return true;
}

// Average of sample i: (sum + rows / 2) / rows, truncated toward zero. It always lies
// within the 16-bit range of the samples. Without any row the averages are 0.
bool ProfileCsvWriter::End(std::string* error) {
    if (!file_.IsOpen()) return NotOpen(error);
    if (failure_.empty()) {
        std::vector<int16_t> averages(sums_.size(), 0);
        if (rows_ > 0) {
            for (size_t i = 0; i < sums_.size(); ++i)
                averages[i] = static_cast<int16_t>((sums_[i] + rows_ / 2) / rows_);
        }
        Put(file_, kAverageTitle + ProfileRow(averages.data(), averages.size()), failure_);
    }
    sums_.clear();
    return Finish(file_, failure_, error);
}

// ---- AOI ----

bool AoiCsvWriter::Begin(const std::string& csvPath, const std::string& moviePath, const AoiRect& rect,
                         bool colour, std::string* error) {
    if (file_.IsOpen()) return AlreadyOpen(error);
    const char* head = colour ? "\"Rave\",\"Gave\",\"Bave\",\"Rmin\",\"Rmax\",\"Gmin\",\"Gmax\",\"Bmin\",\"Bmax\"\r\n"
                              : "\"GRYave\",\"Min\",\"Max\"\r\n";
    if (!Start(file_, csvPath, MovieLine(moviePath) + Corners("AOI", rect) + head, error)) return false;
    failure_.clear();
    colour_ = colour;
    rows_ = 0;
    std::fill(std::begin(sums_), std::end(sums_), 0.0);
    std::fill(std::begin(maxima_), std::end(maxima_), int16_t{0});
    std::fill(std::begin(minima_), std::end(minima_), int16_t{0x7fff});
    return true;
}

namespace {

// Monochrome "%7.2f, %4d, %4d\r\n"; colour
// "%7.2f,%7.2f,%7.2f, %4d, %4d, %4d, %4d, %4d, %4d\r\n" (averages, then min and max per
// channel). Channel 0 holds the grey figures of a monochrome movie.
std::string AoiRow(bool colour, const double averages[3], const int16_t minima[3], const int16_t maxima[3]) {
    const int channels = colour ? 3 : 1;
    std::string text;
    for (int c = 0; c < channels; ++c) {
        if (c > 0) text += ',';
        AppendFixed2(text, averages[c], 7);
    }
    for (int c = 0; c < channels; ++c) {
        text += ", ";
        AppendInt(text, minima[c], 4);
        text += ", ";
        AppendInt(text, maxima[c], 4);
    }
    text += "\r\n";
    return text;
}

}  // namespace

bool AoiCsvWriter::WriteRow(const AoiStatistics& stats) {
    if (!file_.IsOpen() || !failure_.empty()) return false;
    if (rows_ == std::numeric_limits<int>::max()) {
        failure_ = "too many rows for " + file_.Target();
        return false;
    }
    const ChannelStatistics* channels[3] = {&stats.red, &stats.green, &stats.blue};
    double averages[3];
    int16_t minima[3], maxima[3];
    for (int c = 0; c < 3; ++c) {
        averages[c] = channels[c]->average;
        minima[c] = channels[c]->minimum;
        maxima[c] = channels[c]->maximum;
    }
    if (!Put(file_, AoiRow(colour_, averages, minima, maxima), failure_)) return false;
    for (int c = 0; c < 3; ++c) {
        sums_[c] += averages[c];
        maxima_[c] = std::max(maxima_[c], maxima[c]);
        minima_[c] = std::min(minima_[c], minima[c]);
    }
    ++rows_;
    return true;
}

// Means of the frame averages, smallest minima, largest maxima. Without any row the
// means and minima are written as 0, not as a division by zero or the start value.
bool AoiCsvWriter::End(std::string* error) {
    if (!file_.IsOpen()) return NotOpen(error);
    if (failure_.empty()) {
        double means[3] = {0, 0, 0};
        int16_t minima[3] = {0, 0, 0};
        if (rows_ > 0) {
            for (int c = 0; c < 3; ++c) {
                means[c] = sums_[c] / rows_;
                minima[c] = minima_[c];
            }
        }
        Put(file_, kAverageTitle + AoiRow(colour_, means, minima, maxima_), failure_);
    }
    return Finish(file_, failure_, error);
}

}  // namespace zel
