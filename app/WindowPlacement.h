#pragma once
// Where the main window stood when the application last closed, as the text kept in the
// settings, and whether that place is still on a screen. Qt-free, so the rules are
// tested without a window system; WindowPlacementQt.h applies them to a real window.
//
// The text is eleven decimal integers separated by ",": record length (44), flags,
// show command, minimized x, y, maximized x, y, normal left, top, right, bottom.
// Right and bottom are exclusive (left + width, top + height).

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace zel::gui {

inline constexpr long long kPlacementLength = 44;
inline constexpr long long kShowNormal = 1;
inline constexpr long long kShowMinimized = 2;
inline constexpr long long kShowMaximized = 3;
// Flag set when a minimized window goes back to maximized, not normal, on restore.
inline constexpr long long kRestoreToMaximized = 2;
// Qt does not report where a minimized or maximized window sits; this marks "none".
inline constexpr long long kNoPosition = -1;

struct Point {
    long long x = 0;
    long long y = 0;

    bool operator==(const Point&) const = default;
};

// Right and bottom are exclusive: a point is inside when left <= x < right and top <= y < bottom.
struct Rect {
    long long left = 0;
    long long top = 0;
    long long right = 0;
    long long bottom = 0;

    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool operator==(const Rect&) const = default;
};

// The eleven numbers of the stored text, in their order.
struct WindowPlacement {
    long long length = kPlacementLength;
    long long flags = 0;
    long long showCommand = kShowNormal;
    Point minimizedPosition{kNoPosition, kNoPosition};
    Point maximizedPosition{kNoPosition, kNoPosition};
    Rect normal;

    bool operator==(const WindowPlacement&) const = default;
};

namespace placement_detail {

inline constexpr std::size_t kFieldCount = 11;
using Fields = std::array<long long, kFieldCount>;

inline Fields ToFields(const WindowPlacement& p) {
    return {p.length, p.flags, p.showCommand, p.minimizedPosition.x, p.minimizedPosition.y, p.maximizedPosition.x,
            p.maximizedPosition.y, p.normal.left, p.normal.top, p.normal.right, p.normal.bottom};
}

inline WindowPlacement FromFields(const Fields& f) {
    return {f[0], f[1], f[2], {f[3], f[4]}, {f[5], f[6]}, {f[7], f[8], f[9], f[10]}};
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Leading blanks, an optional sign, then digits; text without digits there reads as 0.
// Values beyond the range saturate rather than wrap, so a damaged number stays out of range.
inline long long ReadInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    // Unsigned, so a second sign ("--5") is not digits and reads as 0.
    unsigned long long magnitude = 0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), magnitude);
    constexpr auto kMax = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    const unsigned long long limit = negative ? kMax + 1 : kMax;
    if (result.ec == std::errc::result_out_of_range || magnitude > limit) magnitude = limit;
    if (!negative) return static_cast<long long>(magnitude);
    return magnitude == limit ? std::numeric_limits<long long>::min() : -static_cast<long long>(magnitude);
}

inline bool FitsInt(long long v) {
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

}  // namespace placement_detail

// "44,0,1,-1,-1,-1,-1,100,120,600,520": no blanks, a sign only on negative numbers.
inline std::string FormatPlacement(const WindowPlacement& placement) {
    std::string text;
    for (const long long field : placement_detail::ToFields(placement)) {
        if (!text.empty()) text += ',';
        text += std::to_string(field);
    }
    return text;
}

// Reads eleven numbers from a text that may hold fewer: after the last "," the reading starts
// again at the front, so "10,20,30" reads 10,20,30,10,20,30,10,20,30,10,20. A text someone
// shortened by hand thus still yields eleven numbers, and AcceptPlacement judges them.
inline WindowPlacement ParsePlacement(std::string_view text) {
    placement_detail::Fields fields{};
    std::size_t position = 0;
    for (long long& field : fields) {
        field = placement_detail::ReadInteger(position < text.size() ? text.substr(position) : std::string_view{});
        const std::size_t comma = position < text.size() ? text.find(',', position) : std::string_view::npos;
        position = comma == std::string_view::npos ? 0 : comma + 1;
    }
    return placement_detail::FromFields(fields);
}

// The record for a window in this state. A window both minimized and maximized is minimized,
// and goes back to maximized when restored.
inline WindowPlacement PlacementOf(bool minimized, bool maximized, Rect normal) {
    WindowPlacement placement;
    placement.showCommand = minimized ? kShowMinimized : maximized ? kShowMaximized : kShowNormal;
    placement.flags = minimized && maximized ? kRestoreToMaximized : 0;
    placement.normal = normal;
    return placement;
}

// Whether a stored placement may be applied. It must be usable at all: a show command, a
// non-empty rectangle, numbers a window system coordinate can hold. Then both its corners
// must be on the primary screen, unless a second monitor exists, where it may well belong.
inline bool AcceptPlacement(const WindowPlacement& placement, const Rect& primary, bool secondaryExists) {
    using placement_detail::FitsInt;
    const Rect& r = placement.normal;
    if (placement.showCommand == 0) return false;
    if (!FitsInt(r.left) || !FitsInt(r.top) || !FitsInt(r.right) || !FitsInt(r.bottom)) return false;
    if (r.right <= r.left || r.bottom <= r.top) return false;
    if (!FitsInt(r.right - r.left) || !FitsInt(r.bottom - r.top)) return false;
    if (primary.Contains({r.left, r.top}) && primary.Contains({r.right, r.bottom})) return true;
    return secondaryExists;
}

// The show state the window first appears in: minimized, maximized, or else normal.
inline int InitialShowCommand(const WindowPlacement& placement) {
    if (placement.showCommand == kShowMinimized || placement.showCommand == kShowMaximized)
        return static_cast<int>(placement.showCommand);
    return static_cast<int>(kShowNormal);
}

// Looks past the primary screen's right edge, or else past its bottom edge, for the screen
// nearest that point of the desktop's edge. None when the primary reaches both desktop edges.
inline std::optional<Rect> FindSecondaryMonitor(long long desktopRight, long long desktopBottom, const Rect& primary,
                                                const std::function<Rect(Point)>& nearestScreenRect) {
    if (primary.right < desktopRight) return nearestScreenRect({desktopRight, 0});
    if (primary.bottom < desktopBottom) return nearestScreenRect({0, desktopBottom});
    return std::nullopt;
}

// The screen rectangle closest to a point (one containing it is at distance 0); the first
// wins a tie. An empty list gives an empty rectangle.
inline Rect NearestRect(std::span<const Rect> rects, Point p) {
    const auto distanceSquared = [p](const Rect& r) {
        const long long dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
        const long long dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
        return dx * dx + dy * dy;
    };
    const auto nearest = std::min_element(rects.begin(), rects.end(), [&](const Rect& a, const Rect& b) {
        return distanceSquared(a) < distanceSquared(b);
    });
    return nearest == rects.end() ? Rect{} : *nearest;
}

}  // namespace zel::gui
