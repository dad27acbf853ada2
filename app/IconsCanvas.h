#pragma once
// The small drawing kit behind the command icons. Icons are drawn on a logical pixel grid
// (16 x 15 for the toolbar, 32 x 32 for the control bar): at 1x every shape lands on whole
// pixels, and the same drawing at 2x gives the high-DPI version with smooth diagonals.

#include <QColor>
#include <QIcon>
#include <QPointF>
#include <QSize>

#include <functional>
#include <initializer_list>
#include <string_view>

class QPainter;

namespace zel::gui::icons {

// Colours from the classic sixteen-colour palette keep every icon in one flat style.
namespace palette {
inline constexpr QColor kBlack{0x00, 0x00, 0x00};
inline constexpr QColor kWhite{0xff, 0xff, 0xff};
inline constexpr QColor kSilver{0xc0, 0xc0, 0xc0};
inline constexpr QColor kGrey{0x80, 0x80, 0x80};
inline constexpr QColor kNavy{0x00, 0x00, 0x80};
inline constexpr QColor kBlue{0x00, 0x00, 0xff};
inline constexpr QColor kOlive{0x80, 0x80, 0x00};
inline constexpr QColor kYellow{0xff, 0xff, 0x00};
inline constexpr QColor kRed{0xff, 0x00, 0x00};
inline constexpr QColor kLime{0x00, 0xff, 0x00};
}  // namespace palette

// Drawing operations in grid units; (x, y) names the top-left corner of a grid pixel.
class IconCanvas {
public:
    explicit IconCanvas(QPainter& painter) : painter_(painter) {}

    void Fill(int x, int y, int width, int height, const QColor& colour);
    void Frame(int x, int y, int width, int height, const QColor& colour);
    void Pixel(int x, int y, const QColor& colour) { Fill(x, y, 1, 1, colour); }
    // Points name grid pixel centres: (2, 3) is the middle of the pixel at column 2, row 3.
    // A line between two pixels, both ends included; aliased lines round to whole pixels.
    void Line(QPointF from, QPointF to, const QColor& colour, int width = 1);
    // A polygon through its corner pixels, outlined along its edges when `outline` is valid.
    void Polygon(std::initializer_list<QPointF> corners, const QColor& fill,
                 const QColor& outline = QColor());
    // An ellipse filling the given pixels, with a one-pixel outline; an invalid fill leaves
    // the inside clear.
    void Ellipse(int x, int y, int width, int height, const QColor& fill, const QColor& outline);
    // A rectangle outline of dashes `dash` pixels long with one-pixel gaps.
    void DashedFrame(int x, int y, int width, int height, const QColor& colour, int dash);
    // Pixel art: one string per row, '#' marks a pixel in `colour`.
    void Bitmap(int x, int y, std::initializer_list<std::string_view> rows, const QColor& colour);

    // Text in a 5-pixel-high font (digits and 'A'), one blank column between characters;
    // other characters are skipped.
    void Text(int x, int y, std::string_view text, const QColor& colour);
    static int TextWidth(std::string_view text);

private:
    QPainter& painter_;
};

using IconDrawing = std::function<void(IconCanvas&)>;

// Renders the drawing at 1x (aliased, so every pixel is crisp) and at 2x (antialiased) for
// high-DPI screens. `smooth` antialiases the 1x version too, for icons large enough to
// profit from it.
QIcon PaintedIcon(QSize gridSize, const IconDrawing& draw, bool smooth = false);

// The icons of each bar; a null icon for ids the bar does not show.
QIcon ToolbarIcon(int id);
QIcon ControlBarIcon(int id);

}  // namespace zel::gui::icons
