// FrameImage: creation, bounded stores and reads, and the size budget.
#include <gtest/gtest.h>

#include "gif/frame_image.h"

TEST(FrameImage, NewImageIsZeroFilledWithNoTransparency) {
    FrameImage* image = CreateFrameImage(3, 5);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->transparentIndex, -1);
    EXPECT_EQ(image->usesGlobalTable, 1);
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 5; ++y)
            EXPECT_EQ(GetPixel(image, x, y), 0);
    FreeFrameImage(image);
}

TEST(FrameImage, StoresKeepLowEightBitsAndIgnoreOutside) {
    FrameImage* image = CreateFrameImage(4, 2);
    ASSERT_NE(image, nullptr);
    StorePixel(image, 3, 1, 300);
    EXPECT_EQ(image->columns[3][1], 44);
    const int outside[][2] = {{4, 0}, {0, 2}, {-1, 0}, {0, -1}};
    for (const auto& at : outside) {
        StorePixel(image, at[0], at[1], 9);
        EXPECT_EQ(GetPixel(image, at[0], at[1]), 0);
    }
    int nonZero = 0;
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            nonZero += GetPixel(image, x, y) != 0;
    EXPECT_EQ(nonZero, 1);
    FreeFrameImage(image);
}

TEST(FrameImage, EmptyImagesIgnoreEveryStore) {
    FrameImage* noColumns = CreateFrameImage(0, 7);
    FrameImage* noRows = CreateFrameImage(7, 0);
    ASSERT_NE(noColumns, nullptr);
    ASSERT_NE(noRows, nullptr);
    StorePixel(noColumns, 0, 0, 5);
    StorePixel(noRows, 0, 0, 5);
    EXPECT_EQ(GetPixel(noColumns, 0, 0), 0);
    EXPECT_EQ(GetPixel(noRows, 0, 0), 0);
    EXPECT_FALSE(IsInside(noRows, 0, 0));
    FreeFrameImage(noColumns);
    FreeFrameImage(noRows);
    FreeFrameImage(nullptr);
}

TEST(FrameImage, ImagesOverTheBudgetAreRefused) {
    EXPECT_EQ(CreateFrameImage(4097, 4096), nullptr);
    EXPECT_EQ(CreateFrameImage(65535, 65535), nullptr);
    EXPECT_EQ(CreateFrameImage(-1, 3), nullptr);
    FrameImage* wide = CreateFrameImage(65535, 1);
    ASSERT_NE(wide, nullptr);
    FreeFrameImage(wide);
}
