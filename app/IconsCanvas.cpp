#include "app/IconsCanvas.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>

namespace zel::gui::icons {
namespace {

// One glyph of the 5-pixel-high font; '#' marks a set pixel. Glyphs are 3 pixels wide,
// except a narrow '1' that lets "16" fit into a magnifier's lens.
struct Glyph {
    char character;
    std::array<std::string_view, 5> rows;

    int Width() const { return static_cast<int>(rows[0].size()); }
};

constexpr std::array kFont{
    Glyph{'0', {"###", "#.#", "#.#", "#.#", "###"}},
    Glyph{'1', {".#", "##", ".#", ".#", ".#"}},
    Glyph{'2', {"##.", "..#", ".#.", "#..", "###"}},
    Glyph{'3', {"###", "..#", ".##", "..#", "###"}},
    Glyph{'4', {"#.#", "#.#", "###", "..#", "..#"}},
    Glyph{'5', {"###", "#..", "##.", "..#", "##."}},
    Glyph{'6', {".##", "#..", "###", "#.#", "###"}},
    Glyph{'7', {"###", "..#", ".#.", ".#.", ".#."}},
    Glyph{'8', {"###", "#.#", "###", "#.#", "###"}},
    Glyph{'9', {"###", "#.#", "###", "..#", "##."}},
    Glyph{'A', {".#.", "#.#", "###", "#.#", "#.#"}},
};

const Glyph* FindGlyph(char character) {
    const auto found = std::find_if(kFont.begin(), kFont.end(), [character](const Glyph& glyph) {
        return glyph.character == character;
    });
    return found == kFont.end() ? nullptr : &*found;
}

QPointF Centre(QPointF cell) { return cell + QPointF(0.5, 0.5); }

}  // namespace

void IconCanvas::Fill(int x, int y, int width, int height, const QColor& colour) {
    painter_.fillRect(QRectF(x, y, width, height), colour);
}

void IconCanvas::Frame(int x, int y, int width, int height, const QColor& colour) {
    Fill(x, y, width, 1, colour);
    Fill(x, y + height - 1, width, 1, colour);
    Fill(x, y, 1, height, colour);
    Fill(x + width - 1, y, 1, height, colour);
}

void IconCanvas::Line(QPointF from, QPointF to, const QColor& colour, int width) {
    if (painter_.testRenderHint(QPainter::Antialiasing)) {
        painter_.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap));
        painter_.drawLine(Centre(from), Centre(to));
        return;
    }
    // Aliased lines are stepped by hand, so each pixel lands exactly where it is meant to.
    QPoint cell = from.toPoint();
    const QPoint end = to.toPoint();
    const int dx = std::abs(end.x() - cell.x());
    const int dy = -std::abs(end.y() - cell.y());
    const int stepX = cell.x() < end.x() ? 1 : -1;
    const int stepY = cell.y() < end.y() ? 1 : -1;
    const int offset = (width - 1) / 2;
    int error = dx + dy;
    for (;;) {
        Fill(cell.x() - offset, cell.y() - offset, width, width, colour);
        if (cell == end) {
            break;
        }
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            cell.rx() += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            cell.ry() += stepY;
        }
    }
}

void IconCanvas::Polygon(std::initializer_list<QPointF> corners, const QColor& fill,
                         const QColor& outline) {
    QPolygonF polygon;
    for (const QPointF corner : corners) {
        polygon << Centre(corner);
    }
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(fill);
    painter_.drawPolygon(polygon);
    if (!outline.isValid()) {
        return;
    }
    QPointF previous = *std::prev(corners.end());
    for (const QPointF corner : corners) {
        Line(previous, corner, outline);
        previous = corner;
    }
}

void IconCanvas::Ellipse(int x, int y, int width, int height, const QColor& fill,
                         const QColor& outline) {
    painter_.setPen(QPen(outline, 1));
    if (fill.isValid()) {
        painter_.setBrush(fill);
    } else {
        painter_.setBrush(Qt::NoBrush);
    }
    painter_.drawEllipse(QRectF(x + 0.5, y + 0.5, width - 1, height - 1));
}

void IconCanvas::DashedFrame(int x, int y, int width, int height, const QColor& colour, int dash) {
    // Each side starts with a dash at its corner, so the four corners always show.
    const auto side = [&](int startX, int startY, int stepX, int stepY, int length) {
        for (int step = 0; step < length; ++step) {
            if (step % (dash + 1) < dash) {
                Pixel(startX + step * stepX, startY + step * stepY, colour);
            }
        }
    };
    side(x, y, 1, 0, width);
    side(x + width - 1, y, 0, 1, height);
    side(x + width - 1, y + height - 1, -1, 0, width);
    side(x, y + height - 1, 0, -1, height);
}

void IconCanvas::Bitmap(int x, int y, std::initializer_list<std::string_view> rows,
                        const QColor& colour) {
    for (const std::string_view row : rows) {
        for (int column = 0; column < static_cast<int>(row.size()); ++column) {
            if (row[column] == '#') {
                Pixel(x + column, y, colour);
            }
        }
        ++y;
    }
}

void IconCanvas::Text(int x, int y, std::string_view text, const QColor& colour) {
    for (const char character : text) {
        if (const Glyph* glyph = FindGlyph(character)) {
            const auto& rows = glyph->rows;
            Bitmap(x, y, {rows[0], rows[1], rows[2], rows[3], rows[4]}, colour);
            x += glyph->Width() + 1;
        }
    }
}

int IconCanvas::TextWidth(std::string_view text) {
    int width = 0;
    for (const char character : text) {
        if (const Glyph* glyph = FindGlyph(character)) {
            width += (width == 0 ? 0 : 1) + glyph->Width();
        }
    }
    return width;
}

QIcon PaintedIcon(QSize gridSize, const IconDrawing& draw, bool smooth) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QImage image(gridSize * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, smooth || scale > 1);
            painter.scale(scale, scale);
            IconCanvas canvas(painter);
            draw(canvas);
        }
        image.setDevicePixelRatio(scale);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace zel::gui::icons
