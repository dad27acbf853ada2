// Recording the profile or the AOI statistics over a frame range into a CSV file. The
// main frame shows the range's first frame, calls Begin, runs the frames and calls End;
// the run asks for exactly one row per frame it shows, so the file is the same as the
// command-line tool's for the same movie, line or rectangle and range, whatever else
// paints the window meanwhile. The line or rectangle is the one in force when the export
// began: a tool changed during the run does not change the file.

#include <algorithm>
#include <cstdlib>

#include "app/ViewHost.h"
#include "document/ConversionNaming.h"
#include "document/CsvExport.h"
#include "document/ZelfDoc.h"
#include "view/ZelfView.h"

namespace zel::gui {

namespace {

// The movie's folder and base name with the export's suffix: shot1.zel gives shot1_AOI.csv.
QString ProposedCsvName(const zel::CZelfDoc& doc, const char* suffix) {
    std::string folder, base;
    SplitPath(doc.pathName(), &folder, &base, nullptr);
    return QString::fromStdString(folder + base + suffix);
}

}  // namespace

bool CZelfView::ExportOpen() const { return profileExport_ != nullptr || aoiExport_ != nullptr; }

bool CZelfView::BeginProfileExport() {
    zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr || ExportOpen()) return false;
    const QString chosen = host_.ChooseCsvName(this, ProposedCsvName(*doc, "_Profile.csv"));
    if (chosen.isEmpty()) return true;  // the frames still play; nothing is recorded
    if (doc->IsInputFile(chosen.toStdString())) {
        host_.ShowStatusMessage(tr("%1 is the movie being read; choose another file").arg(chosen));
        return false;
    }
    const auto& [x0, y0, x1, y1] = profileLine;
    const int count = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    auto writer = std::make_unique<zel::ProfileCsvWriter>();
    std::string error;
    if (!writer->Begin(chosen.toStdString(), zel::AbsoluteMoviePath(doc->pathName()), {x0, y0, x1, y1}, count, &error)) {
        host_.ShowStatusMessage(QString::fromStdString(error));
        return false;
    }
    profileExport_ = std::move(writer);
    exportCorners_ = profileLine;
    return true;
}

bool CZelfView::BeginAoiExport() {
    zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr || !doc->reader() || ExportOpen()) return false;
    const QString chosen = host_.ChooseCsvName(this, ProposedCsvName(*doc, "_AOI.csv"));
    if (chosen.isEmpty()) return true;
    if (doc->IsInputFile(chosen.toStdString())) {
        host_.ShowStatusMessage(tr("%1 is the movie being read; choose another file").arg(chosen));
        return false;
    }
    const auto& [x0, y0, x1, y1] = aoiRect;
    auto writer = std::make_unique<zel::AoiCsvWriter>();
    std::string error;
    if (!writer->Begin(chosen.toStdString(), zel::AbsoluteMoviePath(doc->pathName()), {x0, y0, x1, y1},
                       zel::IsColourMosaic(doc->reader()->Parameters().colorPattern), &error)) {
        host_.ShowStatusMessage(QString::fromStdString(error));
        return false;
    }
    aoiExport_ = std::move(writer);
    exportCorners_ = aoiRect;
    return true;
}

void CZelfView::WriteExportRow() {
    const zel::CZelfDoc* doc = GetDocument();
    if (doc == nullptr) return;
    const auto& [x0, y0, x1, y1] = exportCorners_;
    if (profileExport_) {
        const int count = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        std::vector<int16_t> values(static_cast<size_t>(count) + 1);
        doc->GetProfile(x0, y0, x1, y1, count, values.data());
        profileExport_->WriteRow(values.data());
    }
    if (aoiExport_) {
        zel::AoiStatistics stats;
        doc->GetAoiStatistics(x0, y0, x1, y1, stats);
        aoiExport_->WriteRow(stats);
    }
}

bool CZelfView::EndExport() {
    std::string error;
    bool written = true;
    if (profileExport_) written = profileExport_->End(&error);
    if (aoiExport_) written = aoiExport_->End(&error);
    profileExport_.reset();
    aoiExport_.reset();
    if (!written) host_.ShowStatusMessage(QString::fromStdString(error));
    return written;
}

}  // namespace zel::gui
