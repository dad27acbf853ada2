// Overlays burned into exported video frames: the font's glyphs, where each line and the
// scale bar go, the scale bar's length, and the drawing: white ink with a black outline,
// only inside the laid-out boxes and never outside the image.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "video/BitmapFont.h"
#include "video/Overlay.h"

using namespace zel;

namespace {

const OverlayOptions kAll{true, true, true};

OverlayContent Content(double pixelSize = 0.8, const char* unit = "um") {
    OverlayContent content;
    content.frameIndex = 1234;
    content.frameNumber = -567;
    content.seconds = -1.25e-6;
    content.calibration = {pixelSize, unit};
    return content;
}

std::vector<uint8_t> Drawn(int width, int height, uint8_t background, const OverlayOptions& options,
                           const OverlayContent& content) {
    std::vector<uint8_t> image(static_cast<size_t>(width) * height, background);
    DrawOverlays8(image.data(), width, height, width, options, content);
    return image;
}

bool Inside(const OverlayRect& r, int64_t x, int64_t y) { return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height; }

}  // namespace

TEST(OverlayFont, TheCharactersOfFramesTimesAndLengthsHaveGlyphsOfTheirOwn) {
    for (const char32_t c : FontCodePoints("0123456789 frame t = (#) . : s ms \u00b5s ns nm \u00b5m mm cm m in e+ \u2212-")) {
        EXPECT_TRUE(FontHasGlyph(c)) << static_cast<uint32_t>(c);
        if (c == U' ') continue;
        int ink = 0;
        for (int y = 0; y < kFontGlyphHeight; ++y)
            for (int x = 0; x < kFontGlyphWidth; ++x) ink += FontGlyphOf(c).Ink(x, y);
        EXPECT_GT(ink, 0) << static_cast<uint32_t>(c);
    }
    EXPECT_EQ(FontCodePoints("t = \xe2\x88\x92" "1 \xc2\xb5s"), U"t = \u22121 \u00b5s");
    EXPECT_EQ(FontCodePoints("a\xff\xe2\x88"), U"a\uFFFD\uFFFD\uFFFD");  // a stray byte, a cut sequence
    EXPECT_NE(FontGlyphOf(U'\u00b5').rows, FontGlyphOf(U'u').rows);
    EXPECT_NE(FontGlyphOf(U'\u2212').rows, FontGlyphOf(U'\uFFFD').rows);  // not the box of a missing glyph
}

TEST(OverlayLayout, FrameAndTimeLinesStackTopLeftOnlyWhenAskedForAndKnown) {
    EXPECT_EQ(OverlayFrameText(Content()), "frame 1234  (#\u2212567)");
    OverlayContent content = Content();
    content.frameNumber.reset();
    content.frameIndex = INT64_MIN;
    EXPECT_EQ(OverlayFrameText(content), "frame \u22129223372036854775808");

    const OverlayLayout both = LayOutOverlays(320, 240, kAll, Content());
    ASSERT_EQ(both.lines.size(), 2u);
    EXPECT_EQ(both.scale, 1);
    EXPECT_EQ(both.lines[1].text, "t = \u22121.250 \u00b5s");
    EXPECT_EQ(both.lines[0].x, both.lines[1].x);
    EXPECT_GT(both.lines[1].y, both.lines[0].y + kFontGlyphHeight);

    content = Content();
    content.seconds.reset();  // the rate is unknown: no time line, not a made-up one
    ASSERT_EQ(LayOutOverlays(320, 240, kAll, content).lines.size(), 1u);
    const OverlayLayout timeOnly = LayOutOverlays(320, 240, {false, true, false}, Content());
    ASSERT_EQ(timeOnly.lines.size(), 1u);
    EXPECT_EQ(timeOnly.lines[0].y, both.lines[0].y);
    content.seconds = NAN;
    EXPECT_TRUE(LayOutOverlays(320, 240, {false, true, false}, content).lines.empty());
}

TEST(OverlayLayout, GlyphsGrowWithTheFrameAndFitNarrowFrames) {
    EXPECT_EQ(OverlayScale(320, 240), 1);
    EXPECT_EQ(OverlayScale(1920, 1080), 4);  // cells of 36 pixels, a thirtieth of the height
    EXPECT_EQ(OverlayScale(1, 1), 1);
    EXPECT_EQ(OverlayScale(200, 4000), 1);  // a frame line still fits the width
}

TEST(OverlayLayout, ScaleBarIsOneTwoOrFiveTimesAPowerOfTenNearAFifthOfTheWidth) {
    struct Case {
        double pixelSize;
        int width;
        double length;
    };
    for (const Case& c : {Case{1.0, 500, 100}, Case{0.8, 320, 50}, Case{3.3, 1280, 1000}, Case{2.0, 640, 200},
                          Case{0.013, 1000, 2}, Case{1e-4, 256, 0.005}, Case{7.5e5, 100, 2e7}}) {
        const std::optional<double> length = NiceScaleBarLength(c.pixelSize, c.width);
        ASSERT_TRUE(length) << c.pixelSize << " " << c.width;
        EXPECT_NEAR(*length, c.length, c.length * 1e-12) << c.pixelSize << " " << c.width;
    }
    EXPECT_FALSE(NiceScaleBarLength(1.0, 2));  // shorter than a pixel
    EXPECT_FALSE(NiceScaleBarLength(0.0, 500));
    EXPECT_FALSE(NiceScaleBarLength(-1.0, 500));
    EXPECT_FALSE(NiceScaleBarLength(NAN, 500));
    EXPECT_FALSE(NiceScaleBarLength(INFINITY, 500));
    EXPECT_FALSE(NiceScaleBarLength(1e308, INT_MAX));  // a fifth of the width overflows

    EXPECT_EQ(ScaleBarLabel(100, {1.0, "um"}), "100 \u00b5m");
    EXPECT_EQ(ScaleBarLabel(0.5, {0.01, "mm"}), "0.5 mm");
    EXPECT_EQ(ScaleBarLabel(0.001, {1e-5, "in"}), "0.001 in");
    EXPECT_EQ(ScaleBarLabel(1000, {3.3, "nm"}), "1000 nm");

    const OverlayLayout layout = LayOutOverlays(320, 240, kAll, Content(0.8, "um"));
    ASSERT_TRUE(layout.scaleBar);
    const OverlayScaleBar& bar = *layout.scaleBar;
    EXPECT_EQ(bar.label.text, "50 \u00b5m");
    EXPECT_EQ(bar.bar.width, 63);  // 50 / 0.8 = 62.5 pixels
    EXPECT_EQ(bar.bar.x + bar.bar.width, 320 - 2);
    EXPECT_EQ(bar.bar.y + bar.bar.height, 240 - 2);
    const OverlayRect label = OverlayTextBounds(bar.label, layout.scale);
    EXPECT_LE(label.y + label.height, bar.bar.y - 1);  // above the bar's outline
    const OverlayRect all = OverlayScaleBarBounds(bar, layout.scale);  // within the frame
    EXPECT_TRUE(all.x >= 0 && all.y >= 0 && all.x + all.width <= 320 && all.y + all.height <= 240);

    EXPECT_FALSE(LayOutOverlays(320, 240, kAll, Content(0.0, "")).scaleBar);  // not calibrated
    EXPECT_FALSE(LayOutOverlays(320, 240, {true, true, false}, Content()).scaleBar);
}

TEST(OverlayDrawing, ChangesPixelsOnlyInsideTheLaidOutBoxesAndInEachOfThem) {
    for (const auto& [width, height] : {std::pair{320, 240}, std::pair{1280, 1024}}) {
        const OverlayLayout layout = LayOutOverlays(width, height, kAll, Content());
        ASSERT_TRUE(layout.scaleBar);
        std::vector<OverlayRect> boxes;
        for (const OverlayText& line : layout.lines) boxes.push_back(OverlayTextBounds(line, layout.scale));
        boxes.push_back(OverlayScaleBarBounds(*layout.scaleBar, layout.scale));
        const std::vector<uint8_t> image = Drawn(width, height, 128, kAll, Content());
        std::vector<int> changedIn(boxes.size(), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (image[static_cast<size_t>(y) * width + x] == 128) continue;
                bool inAny = false;
                for (size_t b = 0; b < boxes.size(); ++b)
                    if (Inside(boxes[b], x, y)) inAny = true, ++changedIn[b];
                ASSERT_TRUE(inAny) << x << ", " << y;
            }
        for (const int changed : changedIn) EXPECT_GT(changed, 0);
    }
}

TEST(OverlayDrawing, WhiteInkWithABlackOutlineReadsOnBlackAndOnWhite) {
    const int width = 640, height = 480;
    const std::vector<uint8_t> onBlack = Drawn(width, height, 0, kAll, Content());
    const std::vector<uint8_t> onWhite = Drawn(width, height, 255, kAll, Content());
    const int s = OverlayScale(width, height);
    int ink = 0, outline = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(y) * width + x;
            outline += onWhite[at] == 0;
            if (onBlack[at] != 255) continue;
            ++ink;
            EXPECT_EQ(onWhite[at], 255);
            // Every pixel next to the ink that is not ink itself is black on a white frame.
            for (int dy = -s; dy <= s; ++dy)
                for (int dx = -s; dx <= s; ++dx) {
                    const size_t near = static_cast<size_t>(y + dy) * width + (x + dx);
                    if (onBlack[near] != 255) {
                        EXPECT_EQ(onWhite[near], 0) << x + dx << ", " << y + dy;
                    }
                }
        }
    EXPECT_GT(ink, 200);
    EXPECT_GT(outline, ink);
}

TEST(OverlayDrawing, MinusSignAndMicroSignAreDrawnWithTheirGlyphs) {
    const std::vector<uint8_t> image = Drawn(320, 240, 0, {false, true, false}, Content());
    const OverlayText line = LayOutOverlays(320, 240, {false, true, false}, Content()).lines.at(0);
    const std::u32string text = FontCodePoints(line.text);
    for (const char32_t c : {U'\u2212', U'\u00b5'}) {
        const int64_t cellX = line.x + static_cast<int64_t>(text.find(c)) * kFontAdvance;  // scale 1
        for (int y = 0; y < kFontGlyphHeight; ++y)
            for (int x = 0; x < kFontGlyphWidth; ++x)
                EXPECT_EQ(image[static_cast<size_t>(line.y + y) * 320 + cellX + x] == 255, FontGlyphOf(c).Ink(x, y));
    }
}

TEST(OverlayDrawing, SixteenBitWhiteIsFullScale) {
    const int width = 320, height = 240;
    std::vector<uint16_t> image(static_cast<size_t>(width) * height, 1000);
    DrawOverlays16(image.data(), width, height, width, 4095, kAll, Content());
    const std::vector<uint8_t> eight = Drawn(width, height, 100, kAll, Content());
    for (size_t at = 0; at < image.size(); ++at) {
        ASSERT_TRUE(image[at] == 0 || image[at] == 4095 || image[at] == 1000);
        EXPECT_EQ(image[at] == 4095, eight[at] == 255);  // the same ink as in 8 bits
    }
    std::vector<uint16_t> wide(static_cast<size_t>(width) * height, 1000);
    DrawOverlays16(wide.data(), width, height, width, 70000, kAll, Content());
    EXPECT_EQ(*std::max_element(wide.begin(), wide.end()), 65535);
    std::fill(wide.begin(), wide.end(), uint16_t{1000});
    DrawOverlays16(wide.data(), width, height, width, 0, kAll, Content());  // no white to draw with
    EXPECT_EQ(std::count(wide.begin(), wide.end(), uint16_t{1000}), static_cast<long>(wide.size()));
}

TEST(OverlayDrawing, TinyFramesAndPaddedRowsAreWrittenOnlyInsideTheImage) {
    // The buffers end where the last row ends, so a write past it is caught under ASan; the
    // padding between rows must keep its value.
    struct Case {
        int width, height;
        ptrdiff_t stride;
    };
    for (const Case& c : {Case{1, 1, 1}, Case{3, 2, 5}, Case{3, 2, 3}, Case{7, 40, 9}, Case{40, 3, 64}, Case{12, 4000, 13}}) {
        const size_t size = static_cast<size_t>(c.stride) * (c.height - 1) + c.width;
        std::vector<uint8_t> eight(size, 77);
        std::vector<uint16_t> sixteen(size, 77);
        DrawOverlays8(eight.data(), c.width, c.height, c.stride, kAll, Content(1e-3, "um"));
        DrawOverlays16(sixteen.data(), c.width, c.height, c.stride, 4095, kAll, Content(1e-3, "um"));
        for (size_t at = 0; at < size; ++at)
            if (static_cast<ptrdiff_t>(at % c.stride) >= c.width) {
                ASSERT_EQ(eight[at], 77) << c.width << "x" << c.height << " at " << at;
                ASSERT_EQ(sixteen[at], 77) << c.width << "x" << c.height << " at " << at;
            }
    }
    // Sizes and strides that describe no image are left alone.
    uint8_t pixel = 77;
    DrawOverlays8(&pixel, 1, 1, 0, kAll, Content());
    DrawOverlays8(&pixel, 0, 1, 1, kAll, Content());
    DrawOverlays8(&pixel, -1, -1, 1, kAll, Content());
    DrawOverlays8(nullptr, 10, 10, 10, kAll, Content());
    EXPECT_EQ(pixel, 77);
}
