#pragma once
// Every modal question the main window asks the user goes through this seam, so that
// tests can answer without a dialog on the screen.

#include <QString>
#include <optional>

#include "document/Calibration.h"
#include "video/VideoOptions.h"  // plain data; the functions are in the video module

class QWidget;

namespace zel::gui {

struct MovieChoice {
    QString path;
    bool applyCorrection = true;
};

// What the video export dialog starts from, and what it answers.
struct VideoExportOffer {
    QString proposedPath;
    bool calibrated = false;  // a scale bar can be drawn
    bool rateKnown = false;   // the recording's rate is known (speeds)
};
struct VideoExportRequest {
    QString path;
    zel::VideoOptions options;
};

// The file of a measurement export and its kind: the window's CSV (a head, rows and an
// average row) or a table for analysis tools (a header row and a row per frame).
struct ExportChoice {
    QString path;
    bool table = false;
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // The open-file dialog: a movie and whether to load its correction data.
    virtual std::optional<MovieChoice> ChooseMovie(QWidget* parent) = 0;
    // The save dialog of a conversion, proposing `proposedBaseName`; empty when cancelled.
    virtual QString ChooseTiffName(QWidget* parent, const QString& proposedBaseName) = 0;
    // The About box.
    virtual void ShowAbout(QWidget* parent) = 0;
    // The platform's page setup.
    virtual void ShowPageSetup(QWidget* parent) = 0;
    // The dark reference movie of a black balance; empty when cancelled.
    virtual QString ChooseBlackReference(QWidget*) { return {}; }
    // The CSV file of an export, proposing `proposedPath`; empty when cancelled.
    virtual QString ChooseCsvName(QWidget*, const QString&) { return {}; }
    // The pixel size of a movie, starting from `current`; nullopt when cancelled.
    virtual std::optional<zel::Calibration> ChooseCalibration(QWidget*, const zel::Calibration&) {
        return std::nullopt;
    }
    // The file and options of a video export (nullopt when cancelled); only called where
    // video export is built in.
    virtual std::optional<VideoExportRequest> ChooseVideoExport(QWidget*, const VideoExportOffer&) {
        return std::nullopt;
    }
    // The file of a measurement export and its kind; by default the CSV of ChooseCsvName.
    virtual ExportChoice ChooseExportFile(QWidget* parent, const QString& proposedPath) {
        return {ChooseCsvName(parent, proposedPath), false};
    }
};

// Answers every question with Cancel: for programs that drive the window without a user
// (benchmarks, pictures for the documentation).
class NoDialogs : public UserDialogs {
public:
    std::optional<MovieChoice> ChooseMovie(QWidget*) override { return std::nullopt; }
    QString ChooseTiffName(QWidget*, const QString&) override { return {}; }
    void ShowAbout(QWidget*) override {}
    void ShowPageSetup(QWidget*) override {}
};

// The real dialogs.
class StandardDialogs : public UserDialogs {
public:
    std::optional<MovieChoice> ChooseMovie(QWidget* parent) override;
    QString ChooseTiffName(QWidget* parent, const QString& proposedBaseName) override;
    void ShowAbout(QWidget* parent) override;
    void ShowPageSetup(QWidget* parent) override;
    QString ChooseBlackReference(QWidget* parent) override;
    QString ChooseCsvName(QWidget* parent, const QString& proposedPath) override;
    ExportChoice ChooseExportFile(QWidget* parent, const QString& proposedPath) override;
    std::optional<zel::Calibration> ChooseCalibration(QWidget* parent, const zel::Calibration& current) override;
    std::optional<VideoExportRequest> ChooseVideoExport(QWidget* parent, const VideoExportOffer& offer) override;
};

}  // namespace zel::gui
