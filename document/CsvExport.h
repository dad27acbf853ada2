#pragma once
// The CSV files of the profile and AOI exports: a head naming the movie and the tool,
// one row per recorded frame, then an empty line, "Average in all frames" and a row of
// averages. Every line ends in CR LF. The GUI's view and the command-line tool drive
// these writers frame by frame, so both write the same bytes.
//
// The rows go to a temporary file beside the CSV path, which a successful End renames
// onto it: the path only ever shows a complete export. An export that fails or is never
// ended removes its temporary file and leaves an existing file of that name untouched
// (when that is a symbolic link, so is the file it points to).
//
// Failures: Begin refuses a second export while one is open and fails when the file
// cannot be created or its head cannot be written; after any write failure the rows are
// dropped and End returns false. Rows are buffered, so a write failure may first show
// at End. End without an open export returns false. An export without rows still ends
// with its average row, written as zeros; a profile of N = 0 samples writes an empty
// line per row.

#include <cstdint>
#include <string>
#include <vector>

#include "decode/AoiStatistics.h"
#include "document/Measurements.h"
#include "fileio/ReplacingFile.h"

namespace zel {

// The movie's path as line 1 of an export names it: absolute and without "." or ".."
// steps, so the GUI and the command-line tool write the same line for the same movie.
std::string AbsoluteMoviePath(const std::string& path);

class ProfileCsvWriter {
public:
    ProfileCsvWriter() = default;
    ~ProfileCsvWriter() = default;  // an export never ended is abandoned
    ProfileCsvWriter(const ProfileCsvWriter&) = delete;
    ProfileCsvWriter& operator=(const ProfileCsvWriter&) = delete;

    // Starts the file for csvPath and writes the head; the line's sample count is the
    // profile length N, fixed for the export. false (and error) when the file cannot be
    // created or written.
    bool Begin(const std::string& csvPath, const std::string& moviePath, const ProfileLine& line,
               std::string* error = nullptr);
    // One row of N samples; adds them to the sums.
    bool WriteRow(const int16_t* values);
    // Writes the average row, closes, and puts the file in place. On any failure (here
    // or earlier) the export is abandoned and false returned.
    bool End(std::string* error = nullptr);

    bool IsOpen() const { return file_.IsOpen(); }
    int Rows() const { return rows_; }

private:
    ReplacingFile file_;
    std::string failure_;  // the first failure of a running export, reported by End
    int rows_ = 0;
    // 64-bit so that long exports cannot overflow; the averages equal those of 32-bit
    // sums wherever 32-bit sums would not have overflowed.
    std::vector<int64_t> sums_;
};

class AoiCsvWriter {
public:
    AoiCsvWriter() = default;
    ~AoiCsvWriter() = default;
    AoiCsvWriter(const AoiCsvWriter&) = delete;
    AoiCsvWriter& operator=(const AoiCsvWriter&) = delete;

    // colour: the movie has a colour mosaic (colorPattern >= 2).
    bool Begin(const std::string& csvPath, const std::string& moviePath, const AoiRect& rect, bool colour,
               std::string* error = nullptr);
    bool WriteRow(const AoiStatistics& stats);
    bool End(std::string* error = nullptr);

    bool IsOpen() const { return file_.IsOpen(); }
    int Rows() const { return rows_; }

private:
    ReplacingFile file_;
    std::string failure_;
    bool colour_ = false;
    int rows_ = 0;
    double sums_[3] = {0, 0, 0};
    int16_t maxima_[3] = {0, 0, 0};
    int16_t minima_[3] = {0x7fff, 0x7fff, 0x7fff};
};

}  // namespace zel
