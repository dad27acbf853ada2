// The mapping between the display bitmap and a view window: zoom, layout, margin bands,
// mouse positions to pixels and back, and the client size expected after a zoom.

#include <gtest/gtest.h>

#include "view/DibViewport.h"

using zel::gui::DibViewport;
using zel::gui::MarginBands;
using zel::gui::ViewRect;

namespace {

DibViewport Fixed(int w, int h, int factor) {
    DibViewport v;
    v.SetImageSize(w, h);
    v.SetZoom(0, 0, factor, 1);
    return v;
}

}  // namespace

TEST(DibViewport, StartsAsOnePixelAndNeverDividesByZero) {
    DibViewport v;
    EXPECT_EQ(v.imageWidth, 1);
    EXPECT_EQ(v.imageHeight, 1);
    EXPECT_NE(v.zoomNum, 0);
    EXPECT_NE(v.zoomDen, 0);
    v.SetImageSize(0, -3);  // taken as 1 x 1
    EXPECT_EQ(v.imageWidth, 1);
    EXPECT_EQ(v.imageHeight, 1);
    // Fit into a client without area keeps a usable 1/1.
    v.SetImageSize(640, 480);
    for (const auto& [cw, ch] : {std::pair{0, 0}, std::pair{0, 300}, std::pair{300, 0}, std::pair{-5, 10}}) {
        v.SetZoom(cw, ch, 0, 0);
        EXPECT_EQ(v.zoomFixed, 0);
        EXPECT_EQ(v.zoomNum, 1);
        EXPECT_EQ(v.zoomDen, 1);
        v.Layout(cw, ch);
        int x = -1, y = -1;
        v.ViewToImage(5, 5, x, y);
        EXPECT_EQ(x, 5);
    }
    // A fixed factor with den 0 takes den 1.
    v.SetZoom(100, 100, 4, 0);
    EXPECT_EQ(v.zoomFixed, 1);
    EXPECT_EQ(v.zoomNum, 4);
    EXPECT_EQ(v.zoomDen, 1);
}

TEST(DibViewport, CentresASmallerImageAndReportsFourMargins) {
    DibViewport v = Fixed(640, 480, 1);
    v.Layout(1000, 700);
    EXPECT_EQ(v.srcX, 0);
    EXPECT_EQ(v.srcY, 0);
    EXPECT_EQ(v.srcW, 640);
    EXPECT_EQ(v.srcH, 480);
    EXPECT_EQ(v.dstX, 180);
    EXPECT_EQ(v.dstY, 110);
    EXPECT_EQ(v.dstW, 640);
    EXPECT_EQ(v.dstH, 480);
    const MarginBands bands = v.Margins(1000, 700);
    ASSERT_EQ(bands.count, 4);
    EXPECT_EQ(bands.rects[0], (ViewRect{0, 0, 1000, 110}));      // top
    EXPECT_EQ(bands.rects[1], (ViewRect{0, 110, 180, 590}));     // left
    EXPECT_EQ(bands.rects[2], (ViewRect{820, 110, 1000, 590}));  // right
    EXPECT_EQ(bands.rects[3], (ViewRect{0, 590, 1000, 700}));    // bottom
}

TEST(DibViewport, ALargerImageStartsAtTheCornerWithoutMargins) {
    DibViewport v = Fixed(640, 480, 2);
    v.Layout(1000, 700);
    EXPECT_EQ(v.dstX, 0);
    EXPECT_EQ(v.dstY, 0);
    EXPECT_EQ(v.dstW, 1280);
    EXPECT_EQ(v.dstH, 960);
    EXPECT_EQ(v.Margins(1000, 700).count, 0);
    // Exactly the client's size: no margins either.
    v = Fixed(500, 400, 1);
    v.Layout(500, 400);
    EXPECT_EQ(v.dstX, 0);
    EXPECT_EQ(v.dstY, 0);
    EXPECT_EQ(v.Margins(500, 400).count, 0);
}

TEST(DibViewport, OnlyTheUncoveredSidesGetABand) {
    DibViewport v = Fixed(100, 1000, 1);  // narrower and taller than the client
    v.Layout(300, 200);
    EXPECT_EQ(v.dstX, 100);
    EXPECT_EQ(v.dstY, 0);
    const MarginBands bands = v.Margins(300, 200);
    ASSERT_EQ(bands.count, 2);
    EXPECT_EQ(bands.rects[0], (ViewRect{0, 0, 100, 1000}));    // left
    EXPECT_EQ(bands.rects[1], (ViewRect{200, 0, 300, 1000}));  // right
}

TEST(DibViewport, FitIsGovernedByTheRelativelyLongerSide) {
    DibViewport v;
    v.SetImageSize(1024, 512);
    v.SetZoom(800, 600, 0, 0);
    EXPECT_EQ(v.zoomFixed, 0);
    EXPECT_EQ(v.zoomNum, 800);
    EXPECT_EQ(v.zoomDen, 1024);
    v.Layout(800, 600);
    EXPECT_EQ(v.dstW, 800);
    EXPECT_EQ(v.dstH, 400);
    EXPECT_EQ(v.dstX, 0);
    EXPECT_EQ(v.dstY, 100);

    // A relatively taller image: the height governs.
    v.SetImageSize(100, 400);
    v.Layout(800, 600);
    EXPECT_EQ(v.zoomNum, 600);
    EXPECT_EQ(v.zoomDen, 400);
    EXPECT_EQ(v.dstW, 150);
    EXPECT_EQ(v.dstH, 600);
    EXPECT_EQ(v.dstX, 325);
    EXPECT_EQ(v.dstY, 0);

    // Equal aspect ratios: the width governs.
    v.SetImageSize(400, 300);
    v.SetZoom(800, 600, 0, 0);
    EXPECT_EQ(v.zoomNum, 800);
    EXPECT_EQ(v.zoomDen, 400);
}

TEST(DibViewport, FitIsRecomputedFromTheClientAtEveryLayout) {
    DibViewport v;
    v.SetImageSize(200, 100);
    v.SetZoom(400, 400, 0, 0);
    v.Layout(100, 100);  // the client shrank: Fit follows
    EXPECT_EQ(v.dstW, 100);
    EXPECT_EQ(v.dstH, 50);
    EXPECT_EQ(v.dstY, 25);
    // A fixed factor does not.
    v.SetZoom(400, 400, 2, 1);
    v.Layout(100, 100);
    EXPECT_EQ(v.dstW, 400);
    EXPECT_EQ(v.dstH, 200);
}

TEST(DibViewport, LargeImagesAtLargeFactorsDoNotOverflow) {
    DibViewport v = Fixed(32768, 32767, 16);
    v.Layout(1000, 1000);
    EXPECT_EQ(v.dstW, 524288);
    EXPECT_EQ(v.dstH, 524272);
    DibViewport fit;
    fit.SetImageSize(32768, 32768);
    fit.Layout(100000, 100000);  // zoomNum x imageWidth needs 64 bits
    EXPECT_EQ(fit.dstW, 100000);
}

TEST(DibViewport, ViewToImageClampsIntoTheImage) {
    DibViewport v = Fixed(640, 480, 1);
    v.Layout(1000, 700);  // dst (180, 110)
    int x = -1, y = -1;
    v.ViewToImage(180, 110, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    v.ViewToImage(500, 300, x, y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 190);
    v.ViewToImage(10, 300, x, y);  // the left margin
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 190);
    v.ViewToImage(500, 650, x, y);  // below the image
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 479);
    v.ViewToImage(999, 0, x, y);  // the top right corner of the client
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 0);

    // At factor 4 a block of 4 x 4 window pixels is one image pixel.
    v = Fixed(64, 64, 4);
    v.Layout(100, 100);
    v.ViewToImage(43, 39, x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 9);
}

TEST(DibViewport, ImageToViewGivesThePixelCentre) {
    DibViewport v = Fixed(64, 64, 4);
    v.Layout(100, 100);  // 256 x 256: dst at 0
    ASSERT_EQ(v.dstX, 0);
    int X = 0, Y = 0;
    v.ImageToView(10, 3, X, Y);
    EXPECT_EQ(X, 42);  // 4 x 10 + 4 / 2
    EXPECT_EQ(Y, 14);
    v = Fixed(64, 64, 1);
    v.Layout(100, 100);  // dst (18, 18)
    v.ImageToView(10, 3, X, Y);
    EXPECT_EQ(X, 28);
    EXPECT_EQ(Y, 21);
    // Back and forth at factor 2 lands on the same pixel.
    v = Fixed(64, 64, 2);
    v.Layout(300, 300);
    for (int i : {0, 1, 31, 63}) {
        int ix = -1, iy = -1;
        v.ImageToView(i, 63 - i, X, Y);
        v.ViewToImage(X, Y, ix, iy);
        EXPECT_EQ(ix, i);
        EXPECT_EQ(iy, 63 - i);
    }
}

TEST(DibViewport, EstimateClientFollowsTheScrollBars) {
    DibViewport v;
    v.SetImageSize(1024, 1024);
    int cw = 500, ch = 400;
    v.EstimateClient(1, cw, ch, false, false);  // bars will appear
    EXPECT_EQ(cw, 483);
    EXPECT_EQ(ch, 383);

    cw = 2000, ch = 1500;
    v.EstimateClient(1, cw, ch, true, true);  // bars will go
    EXPECT_EQ(cw, 2017);
    EXPECT_EQ(ch, 1517);

    cw = 500, ch = 400;
    v.EstimateClient(2, cw, ch, true, true);  // bars stay
    EXPECT_EQ(cw, 500);
    EXPECT_EQ(ch, 400);

    cw = 1100, ch = 1100;
    v.EstimateClient(1, cw, ch, false, false);  // no bars needed
    EXPECT_EQ(cw, 1100);
    EXPECT_EQ(ch, 1100);

    // Fit (factor 0) counts the image at its own size; the edge cases of "<=" and ">".
    cw = 1024 - 17, ch = 1024;
    v.EstimateClient(0, cw, ch, true, false);
    EXPECT_EQ(cw, 1024);
    EXPECT_EQ(ch, 1024);

    // The width goes with the horizontal bar, the height with the vertical one.
    v.SetImageSize(1024, 100);
    cw = 500, ch = 400;
    v.EstimateClient(1, cw, ch, false, true);
    EXPECT_EQ(cw, 483);
    EXPECT_EQ(ch, 417);
}
