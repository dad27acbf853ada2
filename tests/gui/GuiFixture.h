#pragma once
// What the window tests share: settings kept in a temporary folder, dialogs answered by
// the test, and movies written by the movie writer.

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <deque>
#include <memory>

#include "app/MainFrame.h"
#include "app/UserDialogs.h"
#include "app/ZelTiff16App.h"

namespace zeltest {

// Answers the dialogs from queues the test fills; records what was shown.
struct ScriptedDialogs : zel::gui::UserDialogs {
    std::deque<zel::gui::MovieChoice> movies;
    std::deque<QString> tiffNames;
    QString proposedTiffName;
    int aboutShown = 0;
    QString blackReference;
    std::deque<QString> csvNames;
    QString proposedCsvName;
    bool exportAsTable = false;                       // the save dialog's kind of file
    std::optional<zel::Calibration> calibration;      // the calibration dialog's answer
    zel::Calibration calibrationShown;                // what it started from
    std::optional<zel::gui::VideoExportRequest> videoExport;  // the video dialog's answer
    zel::gui::VideoExportOffer videoOffer;                    // what it was offered

    std::optional<zel::gui::MovieChoice> ChooseMovie(QWidget*) override {
        if (movies.empty()) return std::nullopt;
        auto choice = movies.front();
        movies.pop_front();
        return choice;
    }
    QString ChooseTiffName(QWidget*, const QString& proposed) override {
        proposedTiffName = proposed;
        if (tiffNames.empty()) return {};
        const QString name = tiffNames.front();
        tiffNames.pop_front();
        return name;
    }
    void ShowAbout(QWidget*) override { ++aboutShown; }
    void ShowPageSetup(QWidget*) override {}
    QString ChooseBlackReference(QWidget*) override { return blackReference; }
    zel::gui::ExportChoice ChooseExportFile(QWidget* parent, const QString& proposed) override {
        return {ChooseCsvName(parent, proposed), exportAsTable};
    }
    std::optional<zel::gui::VideoExportRequest> ChooseVideoExport(QWidget*,
                                                                   const zel::gui::VideoExportOffer& offer) override {
        videoOffer = offer;
        return videoExport;
    }
    std::optional<zel::Calibration> ChooseCalibration(QWidget*, const zel::Calibration& current) override {
        calibrationShown = current;
        return calibration;
    }
    QString ChooseCsvName(QWidget*, const QString& proposed) override {
        proposedCsvName = proposed;
        if (csvNames.empty()) return {};
        const QString name = csvNames.front();
        csvNames.pop_front();
        return name;
    }
};

// Keeps QSettings of the application in a fresh folder for the test's life.
class IsolatedSettings {
public:
    IsolatedSettings() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }
    QString Path() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};

// An application with scripted dialogs and its main window, not started yet.
struct TestApp {
    explicit TestApp(const QStringList& movies = {}) {
        auto owned = std::make_unique<ScriptedDialogs>();
        dialogs = owned.get();
        app = std::make_unique<zel::gui::CZelTiff16App>(std::move(owned), 1);
        app->InitInstance(movies);
        frame = app->MainFrame();
    }
    std::unique_ptr<zel::gui::CZelTiff16App> app;
    ScriptedDialogs* dialogs = nullptr;
    zel::gui::CMainFrame* frame = nullptr;
};

}  // namespace zeltest
