// The main window's stored place: the settings text, and whether a stored place is still usable.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/WindowPlacement.h"

namespace zel::gui {

// Readable failure messages.
void PrintTo(const Rect& r, std::ostream* os) {
    *os << '{' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '}';
}
void PrintTo(const WindowPlacement& p, std::ostream* os) { *os << FormatPlacement(p); }

}  // namespace zel::gui

namespace {

using zel::gui::AcceptPlacement;
using zel::gui::FindSecondaryMonitor;
using zel::gui::FormatPlacement;
using zel::gui::InitialShowCommand;
using zel::gui::NearestRect;
using zel::gui::ParsePlacement;
using zel::gui::PlacementOf;
using zel::gui::Point;
using zel::gui::Rect;
using zel::gui::WindowPlacement;

using Numbers = std::array<long long, 11>;

Numbers NumbersOf(const WindowPlacement& p) {
    return {p.length, p.flags, p.showCommand, p.minimizedPosition.x, p.minimizedPosition.y, p.maximizedPosition.x,
            p.maximizedPosition.y, p.normal.left, p.normal.top, p.normal.right, p.normal.bottom};
}

WindowPlacement Normal(Rect rect, long long showCommand = 1) {
    WindowPlacement placement;
    placement.showCommand = showCommand;
    placement.normal = rect;
    return placement;
}

constexpr Rect kPrimary{0, 0, 1920, 1080};

TEST(ParsePlacement, ReadsTheElevenNumbersInOrder) {
    EXPECT_EQ(NumbersOf(ParsePlacement("44,2,3,-1,-1,-5,-6,100,120,600,520")),
              (Numbers{44, 2, 3, -1, -1, -5, -6, 100, 120, 600, 520}));
}

TEST(ParsePlacement, ShortTextIsReadAgainFromTheStart) {
    EXPECT_EQ(NumbersOf(ParsePlacement("10,20,30")), (Numbers{10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20}));
    // After a trailing comma the empty rest reads as 0 before starting over.
    EXPECT_EQ(NumbersOf(ParsePlacement("7,8,")), (Numbers{7, 8, 0, 7, 8, 0, 7, 8, 0, 7, 8}));
    EXPECT_EQ(NumbersOf(ParsePlacement("5")), (Numbers{5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5}));
    EXPECT_EQ(NumbersOf(ParsePlacement("")), Numbers{});
}

TEST(ParsePlacement, BlanksSignsAndGarbage) {
    EXPECT_EQ(NumbersOf(ParsePlacement(" 44,\t-2,+3,x,7y,,- 4,--5,+-6, 12 ,1e3")),
              (Numbers{44, -2, 3, 0, 7, 0, 0, 0, 0, 12, 1}));
    // Anything after a number up to the next comma is skipped.
    EXPECT_EQ(NumbersOf(ParsePlacement("1 2 3,4")), (Numbers{1, 4, 1, 4, 1, 4, 1, 4, 1, 4, 1}));
}

TEST(ParsePlacement, NumbersBeyondTheRangeSaturate) {
    const WindowPlacement p = ParsePlacement("99999999999999999999,-99999999999999999999,9223372036854775807,"
                                             "-9223372036854775808,9223372036854775808");
    EXPECT_EQ(p.length, std::numeric_limits<long long>::max());
    EXPECT_EQ(p.flags, std::numeric_limits<long long>::min());
    EXPECT_EQ(p.showCommand, std::numeric_limits<long long>::max());
    EXPECT_EQ(p.minimizedPosition.x, std::numeric_limits<long long>::min());
    EXPECT_EQ(p.minimizedPosition.y, std::numeric_limits<long long>::max());
}

TEST(FormatPlacement, WritesCommaSeparatedNumbersWithoutBlanks) {
    EXPECT_EQ(FormatPlacement(Normal({100, 120, 600, 520})), "44,0,1,-1,-1,-1,-1,100,120,600,520");
    EXPECT_EQ(FormatPlacement(Normal({-1280, -30, -200, 700}, 3)), "44,0,3,-1,-1,-1,-1,-1280,-30,-200,700");
}

TEST(FormatPlacement, ParsingTheTextGivesTheSameRecord) {
    WindowPlacement p;
    p.flags = 2;
    p.showCommand = 2;
    p.minimizedPosition = {-32000, -32000};
    p.maximizedPosition = {-8, 7};
    p.normal = {std::numeric_limits<long long>::min(), -1, 0, std::numeric_limits<long long>::max()};
    EXPECT_EQ(ParsePlacement(FormatPlacement(p)), p);
}

TEST(PlacementOf, ShowCommandAndFlagsFollowTheWindowState) {
    const Rect normal{10, 20, 330, 260};
    const struct {
        bool minimized, maximized;
        long long showCommand, flags;
    } cases[] = {{false, false, 1, 0}, {false, true, 3, 0}, {true, false, 2, 0}, {true, true, 2, 2}};
    for (const auto& c : cases) {
        const WindowPlacement p = PlacementOf(c.minimized, c.maximized, normal);
        EXPECT_EQ(p.showCommand, c.showCommand) << c.minimized << c.maximized;
        EXPECT_EQ(p.flags, c.flags) << c.minimized << c.maximized;
        EXPECT_EQ(p.normal, normal);
    }
}

TEST(AcceptPlacement, BothCornersMustBeOnThePrimaryScreen) {
    EXPECT_TRUE(AcceptPlacement(Normal({100, 100, 900, 700}), kPrimary, false));
    // Left and top edges belong to the screen; right and bottom edges do not.
    EXPECT_TRUE(AcceptPlacement(Normal({0, 0, 1919, 1079}), kPrimary, false));
    EXPECT_FALSE(AcceptPlacement(Normal({0, 0, 1920, 1079}), kPrimary, false));
    EXPECT_FALSE(AcceptPlacement(Normal({0, 0, 1919, 1080}), kPrimary, false));
    EXPECT_FALSE(AcceptPlacement(Normal({-1, 0, 800, 600}), kPrimary, false));
    EXPECT_FALSE(AcceptPlacement(Normal({0, -1, 800, 600}), kPrimary, false));
}

TEST(AcceptPlacement, OffThePrimaryOnlyWithASecondMonitor) {
    const WindowPlacement partlyOff = Normal({1500, 100, 2300, 700});
    const WindowPlacement whollyOff = Normal({-1500, 100, -700, 700});
    EXPECT_FALSE(AcceptPlacement(partlyOff, kPrimary, false));
    EXPECT_FALSE(AcceptPlacement(whollyOff, kPrimary, false));
    EXPECT_TRUE(AcceptPlacement(partlyOff, kPrimary, true));
    EXPECT_TRUE(AcceptPlacement(whollyOff, kPrimary, true));
}

TEST(AcceptPlacement, DamagedValuesAreIgnoredEvenWithASecondMonitor) {
    for (const bool secondary : {false, true}) {
        EXPECT_FALSE(AcceptPlacement(Normal({100, 100, 900, 700}, 0), kPrimary, secondary));
        EXPECT_FALSE(AcceptPlacement(Normal({100, 100, 100, 700}), kPrimary, secondary));  // no width
        EXPECT_FALSE(AcceptPlacement(Normal({100, 700, 900, 700}), kPrimary, secondary));  // no height
        EXPECT_FALSE(AcceptPlacement(Normal({900, 100, 100, 700}), kPrimary, secondary));  // inverted
        EXPECT_FALSE(AcceptPlacement(Normal({100, 700, 900, 100}), kPrimary, secondary));
        // Window coordinates and sizes are int.
        EXPECT_FALSE(AcceptPlacement(Normal({-3000000000, 100, 900, 700}), kPrimary, secondary));
        EXPECT_FALSE(AcceptPlacement(Normal({-2000000000, 100, 2000000000, 700}), kPrimary, secondary));
    }
    // The minimized and maximized positions and the other numbers are never used.
    WindowPlacement other = Normal({100, 100, 900, 700}, 7);
    other.length = 12;
    other.flags = -9;
    other.minimizedPosition = {5000000000, 0};
    EXPECT_TRUE(AcceptPlacement(other, kPrimary, false));
}

TEST(InitialShowCommand, MinimizedAndMaximizedKeptOtherwiseNormal) {
    EXPECT_EQ(InitialShowCommand(Normal({}, 1)), 1);
    EXPECT_EQ(InitialShowCommand(Normal({}, 2)), 2);
    EXPECT_EQ(InitialShowCommand(Normal({}, 3)), 3);
    EXPECT_EQ(InitialShowCommand(Normal({}, 7)), 1);
    EXPECT_EQ(InitialShowCommand(Normal({}, -3)), 1);
    EXPECT_EQ(InitialShowCommand(Normal({}, 4294967299)), 1);  // would be 3 if truncated to int
}

struct Probe {
    std::vector<Point> asked;
    Rect answer{1920, 0, 3200, 1024};
    Rect operator()(Point p) {
        asked.push_back(p);
        return answer;
    }
};

TEST(FindSecondaryMonitor, LooksPastTheRightEdgeFirst) {
    Probe probe;
    const std::optional<Rect> found = FindSecondaryMonitor(3200, 1200, kPrimary, std::ref(probe));
    EXPECT_EQ(found, probe.answer);
    EXPECT_EQ(probe.asked, (std::vector<Point>{{3200, 0}}));
}

TEST(FindSecondaryMonitor, ThenPastTheBottomEdge) {
    Probe probe;
    EXPECT_TRUE(FindSecondaryMonitor(1920, 2104, kPrimary, std::ref(probe)).has_value());
    EXPECT_EQ(probe.asked, (std::vector<Point>{{0, 2104}}));
}

TEST(FindSecondaryMonitor, NoneWhenThePrimaryReachesBothEdges) {
    Probe probe;
    EXPECT_FALSE(FindSecondaryMonitor(1920, 1080, kPrimary, std::ref(probe)).has_value());
    EXPECT_TRUE(probe.asked.empty());
}

TEST(NearestRect, ContainingScreenOrElseTheClosest) {
    const std::vector<Rect> screens{{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}, {0, 1080, 1920, 2160}};
    EXPECT_EQ(NearestRect(screens, {100, 100}), screens[0]);
    EXPECT_EQ(NearestRect(screens, {1920, 0}), screens[1]);    // a left edge belongs to its screen
    EXPECT_EQ(NearestRect(screens, {3200, 0}), screens[1]);    // just past the right edge
    EXPECT_EQ(NearestRect(screens, {0, 2160}), screens[2]);    // just past the bottom edge
    EXPECT_EQ(NearestRect(screens, {2100, 2000}), screens[2]);  // 181 right of it, but 977 below the second
    EXPECT_EQ(NearestRect({}, {0, 0}), Rect{});
}

}  // namespace
