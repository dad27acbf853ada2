// zeltiff16-cli profile / aoi: the CSV exports of the GUI, written by the same writers
// over a frame range. Line 1 names the movie's absolute path, as the GUI does.

#include "cli/MeasureCommand.h"

#include <vector>


#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "document/CsvExport.h"
#include "document/MeasurementTable.h"

namespace zel::cli {

namespace {

// Runs `row` for every frame of the range. Returns kExitOk or the failure's exit code;
// an interrupt stops the run between frames.
template <typename Row>
int ForEachFrame(CZelfDoc& doc, int first, int last, Row&& row) {
    Progress progress("measuring", last - first + 1);
    const auto interrupted = [] {
        Complain("interrupted; nothing was written");
        return InterruptWatch::ExitCode();
    };
    if (InterruptWatch::Signal() != 0) return interrupted();
    const RunOutcome run = doc.RunFrames({first, last}, row, [&](int n) {
        progress.Update(n - first + 1);
        if (InterruptWatch::Signal() != 0) doc.RequestStop();
    });
    if (run.end == RunEnd::Stopped) return interrupted();
    if (run.end == RunEnd::Failed) {
        Complain(run.problem.Text());
        return kExitFailure;
    }
    return kExitOk;
}

// A row the writer could not take: its reason, for the run to stop with.
template <typename Writer>
Problem RowFailed(Writer& writer, const std::string& output) {
    std::string error;
    writer.End(&error);
    return {ProblemCode::WriteFailed, {error.empty() ? "cannot write " + output : error}};
}

template <typename Writer>
int Finish(Writer& writer, const std::string& output, int code) {
    std::string error;
    if (code != kExitOk) return code;  // the writer's destructor drops the unfinished export
    if (!writer.End(&error)) {
        Complain(error.empty() ? "cannot write " + output : error);
        return kExitFailure;
    }
    return kExitOk;
}

// Opens the movie and checks the range, the shape and the output before anything is
// written.
template <typename Shape>
int Prepare(CZelfDoc& doc, const MeasureOptions& options, const Shape& shape, int& first, int& last) {
    if (const int code = OpenDocument(doc, options); code != kExitOk) return code;
    if (const int code = ResolveRange(doc, options, first, last); code != kExitOk) return code;
    if (const Problem outside = shape.CheckInside(doc.width(), doc.height())) {
        Complain(outside.Text());
        return kExitUsage;
    }
    return RefuseInputAsOutput(doc, options.output);
}

// The run of a table: its rows stop the run at the first write failure; it is put in
// place only when every frame was written.
template <typename Row>
int WriteTable(CZelfDoc& doc, MeasurementTable& table, Problem begun, int first, int last, Row&& row) {
    if (begun) {
        Complain(begun.Text());
        return kExitFailure;
    }
    const int code = ForEachFrame(doc, first, last, row);
    if (code != kExitOk) return code;  // the table's destructor drops the unfinished file
    if (const Problem failed = table.End()) {
        Complain(failed.Text());
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunProfile(const MeasureOptions& options) {
    const InterruptWatch interrupts;
    CZelfDoc doc;
    const auto& c = options.corners;
    const ProfileLine line{c[0], c[1], c[2], c[3]};
    int first = 0, last = 0;
    if (const int code = Prepare(doc, options, line, first, last); code != kExitOk) return code;

    std::vector<int16_t> values;
    if (options.table) {
        MeasurementTable table;
        const Problem begun = table.BeginProfile(options.output, line, doc.PixelCalibration());
        return WriteTable(doc, table, begun, first, last, [&](int frame) {
            doc.Profile(line, values);
            return table.WriteProfileRow(doc.reader()->Parameters(), frame, values.data());
        });
    }
    ProfileCsvWriter writer;
    std::string error;
    if (!writer.Begin(options.output, AbsoluteMoviePath(options.movie), line, &error)) {
        Complain(error);
        return kExitFailure;
    }
    const int code = ForEachFrame(doc, first, last, [&](int) {
        doc.Profile(line, values);
        return writer.WriteRow(values.data()) ? Problem{} : RowFailed(writer, options.output);
    });
    return Finish(writer, options.output, code);
}

int RunAoi(const MeasureOptions& options) {
    const InterruptWatch interrupts;
    CZelfDoc doc;
    const auto& c = options.corners;
    const AoiRect rect{c[0], c[1], c[2], c[3]};
    int first = 0, last = 0;
    if (const int code = Prepare(doc, options, rect, first, last); code != kExitOk) return code;

    if (options.table) {
        MeasurementTable table;
        const Problem begun = table.BeginAoi(options.output, doc.IsColour(), rect, doc.PixelCalibration());
        return WriteTable(doc, table, begun, first, last, [&](int frame) {
            return table.WriteAoiRow(doc.reader()->Parameters(), frame, doc.Summary(rect));
        });
    }
    AoiCsvWriter writer;
    std::string error;
    if (!writer.Begin(options.output, AbsoluteMoviePath(options.movie), rect, doc.IsColour(), &error)) {
        Complain(error);
        return kExitFailure;
    }
    const int code = ForEachFrame(doc, first, last, [&](int) {
        return writer.WriteRow(doc.Statistics(rect)) ? Problem{} : RowFailed(writer, options.output);
    });
    return Finish(writer, options.output, code);
}

}  // namespace zel::cli
