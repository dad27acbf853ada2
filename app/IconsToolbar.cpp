// The toolbar's 16 x 15 icons, drawn pixel by pixel in the classic flat style.

#include "view/CommandIds.h"
#include "app/IconsCanvas.h"

#include <string>

namespace zel::gui::icons {
namespace {

using namespace palette;

constexpr QSize kToolbarGrid{16, 15};

// An 8 x 8 diskette, the "save" half of the export icons.
void SmallDisk(IconCanvas& canvas, int x, int y) {
    canvas.Fill(x, y, 8, 8, kBlack);
    canvas.Fill(x + 1, y + 1, 6, 6, kNavy);
    canvas.Fill(x + 2, y + 1, 4, 3, kWhite);
    canvas.Fill(x + 2, y + 5, 4, 2, kSilver);
    canvas.Pixel(x + 3, y + 5, kNavy);
}

// Axes with an intensity curve, filling the box whose top-left pixel is (x, y).
void ProfileGraph(IconCanvas& canvas, int x, int y, int width, int height) {
    canvas.Fill(x, y, 1, height, kBlack);
    canvas.Fill(x, y + height - 1, width, 1, kBlack);
    const int baseline = y + height - 2;
    const int span = width - 2;
    // The curve's shape, as heights in sixths of the box over six equal steps.
    constexpr int kHeights[] = {2, 4, 3, 6, 4, 5, 1};
    constexpr int kSteps = 6;
    const auto point = [&](int index) {
        const int px = x + 1 + index * span / kSteps;
        const int py = baseline - kHeights[index] * (baseline - y) / 6;
        return QPointF(px, py);
    };
    for (int index = 0; index < kSteps; ++index) {
        canvas.Line(point(index), point(index + 1), kBlue);
    }
}

void OpenFolder(IconCanvas& canvas) {
    canvas.Polygon({{0, 3}, {1, 2}, {5, 2}, {6, 3}, {12, 3}, {12, 13}, {0, 13}}, kOlive, kBlack);
    canvas.Polygon({{0, 13}, {3, 7}, {15, 7}, {12, 13}}, kYellow, kBlack);
}

void Diskette(IconCanvas& canvas) {
    canvas.Fill(1, 0, 14, 14, kBlack);
    canvas.Fill(2, 1, 12, 12, kNavy);
    canvas.Fill(4, 1, 8, 6, kWhite);
    canvas.Fill(5, 3, 6, 1, kSilver);
    canvas.Fill(5, 5, 6, 1, kSilver);
    canvas.Fill(4, 9, 8, 4, kSilver);
    canvas.Fill(5, 10, 2, 2, kNavy);
}

void Scissors(IconCanvas& canvas) {
    canvas.Line({5, 0}, {9, 9}, kBlack);
    canvas.Line({10, 0}, {6, 9}, kBlack);
    canvas.Ellipse(2, 9, 6, 6, QColor(), kNavy);
    canvas.Ellipse(8, 9, 6, 6, QColor(), kNavy);
}

void Page(IconCanvas& canvas, int x, int y, int width, int height) {
    canvas.Fill(x, y, width, height, kWhite);
    canvas.Frame(x, y, width, height, kNavy);
    for (int line = y + 2; line < y + height - 2; line += 2) {
        canvas.Fill(x + 2, line, width - 4, 1, kNavy);
    }
}

void CopyPages(IconCanvas& canvas) {
    Page(canvas, 1, 0, 9, 10);
    Page(canvas, 6, 4, 9, 11);
}

void PasteClipboard(IconCanvas& canvas) {
    canvas.Fill(1, 1, 11, 13, kOlive);
    canvas.Frame(1, 1, 11, 13, kBlack);
    canvas.Fill(4, 0, 5, 3, kSilver);
    canvas.Frame(4, 0, 5, 3, kBlack);
    Page(canvas, 7, 5, 8, 10);
}

void Printer(IconCanvas& canvas) {
    canvas.Fill(4, 0, 8, 6, kWhite);
    canvas.Frame(4, 0, 8, 6, kBlack);
    canvas.Fill(0, 5, 16, 6, kSilver);
    canvas.Frame(0, 5, 16, 6, kBlack);
    canvas.Fill(1, 6, 14, 1, kWhite);
    canvas.Fill(12, 7, 2, 1, kLime);
    canvas.Fill(3, 10, 10, 5, kWhite);
    canvas.Frame(3, 10, 10, 5, kBlack);
    canvas.Fill(5, 12, 6, 1, kGrey);
}

void QuestionMark(IconCanvas& canvas) {
    canvas.Bitmap(4, 1,
                  {
                      "..####..",
                      ".######.",
                      "##....##",
                      "##....##",
                      ".....##.",
                      "....##..",
                      "...##...",
                      "...##...",
                      "........",
                      "...##...",
                      "...##...",
                  },
                  kNavy);
}

void BlackBalance(IconCanvas& canvas) {
    canvas.Fill(1, 1, 13, 13, kWhite);
    canvas.Polygon({{1, 1}, {13, 1}, {1, 13}}, kBlack);
    canvas.Frame(1, 1, 13, 13, kBlack);
    canvas.Fill(3, 5, 5, 1, kWhite);
}

void PointReadout(IconCanvas& canvas) {
    canvas.Fill(7, 0, 1, 4, kBlack);
    canvas.Fill(7, 11, 1, 4, kBlack);
    canvas.Fill(0, 7, 4, 1, kBlack);
    canvas.Fill(11, 7, 4, 1, kBlack);
    canvas.Frame(5, 5, 5, 5, kBlack);
    canvas.Fill(6, 6, 3, 3, kRed);
}

void Profile(IconCanvas& canvas) { ProfileGraph(canvas, 1, 1, 14, 13); }

void ProfileDataSave(IconCanvas& canvas) {
    ProfileGraph(canvas, 0, 0, 11, 10);
    SmallDisk(canvas, 8, 7);
}

void AreaOfInterest(IconCanvas& canvas) { canvas.DashedFrame(1, 2, 14, 11, kRed, 2); }

void SaveAreaOfInterest(IconCanvas& canvas) {
    canvas.DashedFrame(0, 0, 11, 9, kRed, 2);
    SmallDisk(canvas, 8, 7);
}

void ZoomToFit(IconCanvas& canvas) {
    // Four arrows from the middle out to the corners.
    canvas.Line({3, 3}, {6, 6}, kBlack);
    canvas.Line({12, 3}, {9, 6}, kBlack);
    canvas.Line({3, 11}, {6, 8}, kBlack);
    canvas.Line({12, 11}, {9, 8}, kBlack);
    canvas.Bitmap(1, 1, {"####", "###.", "##..", "#..."}, kBlack);
    canvas.Bitmap(11, 1, {"####", ".###", "..##", "...#"}, kBlack);
    canvas.Bitmap(1, 10, {"#...", "##..", "###.", "####"}, kBlack);
    canvas.Bitmap(11, 10, {"...#", "..##", ".###", "####"}, kBlack);
}

// A magnifier with the zoom factor written in its lens.
IconDrawing Magnifier(std::string factor) {
    return [factor = std::move(factor)](IconCanvas& canvas) {
        canvas.Line({10, 10}, {13, 13}, kBlack, 2);
        canvas.Ellipse(0, 0, 12, 12, kWhite, kBlack);
        canvas.Text(6 - IconCanvas::TextWidth(factor) / 2, 4, factor, kNavy);
    };
}

// A sun with the display gain (or 'A' for automatic) written on it.
IconDrawing Sun(std::string gain) {
    return [gain = std::move(gain)](IconCanvas& canvas) {
        canvas.Line({7, 0}, {7, 14}, kOlive);
        canvas.Line({0, 7}, {14, 7}, kOlive);
        canvas.Line({1, 1}, {13, 13}, kOlive);
        canvas.Line({13, 1}, {1, 13}, kOlive);
        canvas.Ellipse(2, 2, 11, 11, kYellow, kOlive);
        canvas.Text(7 - IconCanvas::TextWidth(gain) / 2, 5, gain, kBlack);
    };
}

IconDrawing ToolbarDrawing(int id) {
    switch (id) {
    case kIdFileOpen: return OpenFolder;
    case kIdConvertToTiff: return Diskette;
    case kIdEditCut: return Scissors;
    case kIdEditCopy: return CopyPages;
    case kIdEditPaste: return PasteClipboard;
    case kIdFilePrint: return Printer;
    case kIdAppAbout: return QuestionMark;
    case kIdBlackBalance: return BlackBalance;
    case kIdPoint: return PointReadout;
    case kIdProfile: return Profile;
    case kIdProfileDataSave: return ProfileDataSave;
    case kIdAoi: return AreaOfInterest;
    case kIdSaveAoiData: return SaveAreaOfInterest;
    case kIdZoomFit: return ZoomToFit;
    case kIdGainAuto: return Sun("A");
    default: break;
    }
    // Zoom 1 .. 16 and gain 1 .. 64 follow the fit and auto commands in powers of two.
    if (id > kIdZoomFit && id <= kIdZoom16) {
        return Magnifier(std::to_string(1 << (id - kIdZoomFit - 1)));
    }
    if (id >= kIdGain1 && id <= kIdGain64) {
        return Sun(std::to_string(1 << (id - kIdGain1)));
    }
    return {};
}

}  // namespace

QIcon ToolbarIcon(int id) {
    const IconDrawing drawing = ToolbarDrawing(id);
    return drawing ? PaintedIcon(kToolbarGrid, drawing) : QIcon();
}

}  // namespace zel::gui::icons
