#pragma once
// Measurement tables for analysis tools: one header row, then one row per frame, fields
// separated by commas, lines ending in LF, no title and no average row, so that any CSV
// reader (pandas.read_csv with no options, R's read.csv, a spreadsheet) takes the file
// as it is. Every row starts with the frame's index, its camera number and its time in
// seconds from the trigger (an empty field when the recording rate is unknown).
//
// AOI rows hold the summary: n, mean, std (n - 1), min and max, for a colour mosaic once
// per channel with the prefixes R_, G_ and B_. A figure that is not defined (the
// standard deviation of one pixel, the mean of a channel without pixels) is an empty
// field, which readers take as missing. Profile rows hold the samples v0 .. v{N-1}.
// With a pixel calibration the rows end with the shape's size in that unit (AOI:
// width_<unit>, height_<unit>; profile: step_<unit>, the distance between samples).
//
// The file is written under a temporary name and renamed when End succeeds, like every
// other output: a failed or abandoned table leaves nothing and an older file stays.

#include <cstdint>
#include <optional>
#include <string>

#include "decode/AoiStatistics.h"
#include "document/Calibration.h"
#include "document/Measurements.h"
#include "fileio/ReplacingFile.h"
#include "reader/MovieParameters.h"
#include "reader/Problem.h"

namespace zel {

// Shortest text that reads back as the same double ("0.1", "1e-05"); "" for NaN.
std::string NumberText(double value);

class MeasurementTable {
public:
    MeasurementTable() = default;
    MeasurementTable(const MeasurementTable&) = delete;
    MeasurementTable& operator=(const MeasurementTable&) = delete;

    // Starts an AOI table (colour: per-channel columns) or a profile table of the line's
    // sample count, and writes the header row.
    Problem BeginAoi(const std::string& path, bool colour, const AoiRect& rect, const Calibration& calibration);
    Problem BeginProfile(const std::string& path, const ProfileLine& line, const Calibration& calibration);

    // One row for frame `index` of `movie`. The profile row takes the line's samples.
    Problem WriteAoiRow(const MovieParameters& movie, int index, const AoiSummary& summary);
    Problem WriteProfileRow(const MovieParameters& movie, int index, const int16_t* values);

    // Puts the file in place; on any failure (here or earlier) nothing is left.
    Problem End();
    bool IsOpen() const { return file_.IsOpen(); }
    int Rows() const { return rows_; }

private:
    Problem Begin(const std::string& path, const std::string& header);
    Problem Write(const std::string& row);
    std::string RowStart(const MovieParameters& movie, int index) const;

    ReplacingFile file_;
    bool colour_ = false;
    int samples_ = 0;
    std::string trailer_;  // the calibrated size fields each row ends with
    int rows_ = 0;
};

}  // namespace zel
