// The arrow pictures come at every size a DPI may ask for, as 32-bit
// images, so that none is scaled from another.
#include "tests/support.h"

#include "resources/resource.h"

namespace {

TEST(IconImagesTest, EachIconHasA32BitImageAtEverySize)
{
    for (int id : {IDI_UPRAISED, IDI_DOWNRAISED, IDI_DOWNSUNKEN, IDI_UPSUNKEN}) {
        for (int size : {16, 20, 24, 32, 48}) {
            HICON icon =
                static_cast<HICON>(LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ICONINFO info = {};
            BITMAP color = {};
            ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << id << " at " << size;
            GetObjectA(info.hbmColor, sizeof color, &color);
            EXPECT_EQ(size, color.bmWidth) << id;
            EXPECT_EQ(32, color.bmBitsPixel) << id << " at " << size;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

}  // namespace
