// The off-screen painting scope: what is drawn on it lands on the target's clip box only, at the
// same coordinates, when the scope ends.
#include "framework/Handles.h"
#include "multi/MemDC2.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

TEST(MemDC2, DrawsOffScreenAndCopiesTheClipBoxOnDestruction)
{
    harness::Picture target(100, 80);
    const RECT all{0, 0, 100, 80};
    UniqueBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
    ::FillRect(target.DC(), &all, white.Get());
    UniqueRegion clip(::CreateRectRgn(20, 10, 60, 50));
    ::SelectClipRgn(target.DC(), clip.Get());
    {
        CMemDC2 mem(target.DC());
        ASSERT_TRUE(mem.IsMemDC());
        EXPECT_EQ(mem.Area().left, 20);
        EXPECT_EQ(mem.Area().bottom, 50);
        UniqueBrush red(::CreateSolidBrush(RGB(200, 0, 0)));
        ::FillRect(mem, &all, red.Get()); // target coordinates; only the clip box exists
        EXPECT_EQ(target.Pixel(30, 20), RGB(255, 255, 255)) << "nothing reaches the target before the end";
    }
    ::SelectClipRgn(target.DC(), nullptr);
    EXPECT_EQ(target.Pixel(20, 10), RGB(200, 0, 0));
    EXPECT_EQ(target.Pixel(59, 49), RGB(200, 0, 0));
    EXPECT_EQ(target.Pixel(19, 10), RGB(255, 255, 255));
    EXPECT_EQ(target.Pixel(60, 49), RGB(255, 255, 255));
    EXPECT_EQ(target.Pixel(30, 50), RGB(255, 255, 255));
}
