#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gui/paint/bitmaps.h"
#include "gui/paint/icons.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/picture.h"
#include "gui/paint/saved_dc.h"
#include "tests/gui/dib_canvas.h"
#include "tests/support/test_support.h"

namespace {
// Resources of the test program (tests/gui/paint/gui_test.rc).
const i32 kSmallBitmap = 101, kSquareIcon = 201, kMissing = 999;
const COLORREF kIconColour = RGB(224, 64, 32);

// A file of tests/gui/fixtures, reached through the drive that maps the Unix root.
std::string guiFixture(const char* name) {
    std::string source = __FILE__;
    return "Z:" + source.substr(0, source.find_last_of("/\\")) + "/fixtures/" + name;
}

// The colour of pixel (x, y) of fixtures/small.bmp.
COLORREF smallBitmapPixel(i32 x, i32 y) { return RGB(200, y * 80, x * 40); }
}  // namespace

TEST(Icons, CacheGivesOneMeasuredObjectPerId) {
    GIcon* icon = getCachedIcon(kSquareIcon);
    ASSERT_NE(icon->icon, nullptr);
    EXPECT_EQ(getCachedIcon(kSquareIcon), icon);
    EXPECT_TRUE(icon->owned);
    EXPECT_EQ(icon->size().cx, 16);
    EXPECT_EQ(icon->size().cy, 16);

    DibCanvas canvas(40, 20);
    GSavedDC dc(canvas.dc());
    icon->draw(dc, 2, 2);
    icon->drawAt(dc, 20, 2, 8, 8);
    EXPECT_EQ(canvas.pixel(2, 2), kIconColour);
    EXPECT_EQ(canvas.pixel(17, 17), kIconColour);
    EXPECT_EQ(canvas.pixel(18, 18), 0u);
    EXPECT_EQ(canvas.pixel(27, 9), kIconColour);
    EXPECT_EQ(canvas.pixel(28, 10), 0u);

    // A missing resource still gives one object, with no icon and no size.
    GIcon* missing = getCachedIcon(kMissing);
    EXPECT_EQ(missing->icon, nullptr);
    EXPECT_EQ(missing->width, -1);
    EXPECT_EQ(getCachedIcon(kMissing), missing);
}

TEST(Icons, PresetSizeIsKeptAndTheDefaultIconIsBorrowed) {
    GIcon icon;
    icon.width = icon.height = 32;
    icon.load(kSquareIcon);
    EXPECT_NE(icon.icon, nullptr);
    EXPECT_EQ(icon.size().cx, 32);
    icon.width = -1;
    icon.load(kSquareIcon);  // loading again replaces the owned icon and measures
    EXPECT_EQ(icon.size().cx, 16);

    GIcon* application = defaultApplicationIcon();
    EXPECT_EQ(defaultApplicationIcon(), application);
    ASSERT_NE(application->icon, nullptr);
    EXPECT_FALSE(application->owned);
    EXPECT_EQ(application->width, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(application->height, GetSystemMetrics(SM_CYICON));
}

TEST(Bitmaps, CachedResourceDrawsItsPixels) {
    GBitmap* bitmap = getCachedImage(kSmallBitmap);
    ASSERT_NE(bitmap->bitmap, nullptr);
    EXPECT_EQ(getCachedImage(kSmallBitmap), bitmap);
    EXPECT_EQ(bitmap->size().cx, 5);
    EXPECT_EQ(bitmap->size().cy, 3);

    DibCanvas canvas(20, 10, RGB(1, 1, 1));
    GSavedDC dc(canvas.dc());
    bitmap->draw(dc, 1, 2);
    for (i32 y = 0; y < 3; ++y)
        for (i32 x = 0; x < 5; ++x) EXPECT_EQ(canvas.pixel(1 + x, 2 + y), smallBitmapPixel(x, y)) << x << "," << y;
    EXPECT_EQ(canvas.countOther(RGB(1, 1, 1)), 15);
    bitmap->drawAt(dc, 10, 0, 10, 6);  // doubled
    EXPECT_EQ(canvas.pixel(19, 5), smallBitmapPixel(4, 2));

    GBitmap* missing = getCachedImage(kMissing);
    EXPECT_EQ(missing->bitmap, nullptr);
    EXPECT_EQ(getCachedImage(kMissing), missing);
    GBitmap other;
    EXPECT_FALSE(other.load(kMissing));
    EXPECT_TRUE(other.measure());  // the system's check mark
    EXPECT_GT(other.width, 0);
    EXPECT_TRUE(other.load(kSmallBitmap));
    EXPECT_EQ(other.width, 5);
}

// shell/images/arrow_down.bmp: a black arrow of 40 pixels on the key colour. Enabled the arrow alone is
// drawn; disabled its embossed silhouette, not a square of the bitmap's size.
TEST(Bitmaps, TheKeyColourLeavesWhatIsUnderneath) {
    GBitmap* arrow = getCachedImage(9003);
    ASSERT_NE(arrow->bitmap, nullptr);
    const COLORREF under = RGB(30, 120, 90);
    for (bool disabled : {false, true}) {
        SCOPED_TRACE(disabled);
        DibCanvas canvas(20, 20, under);
        GSavedDC dc(canvas.dc());
        GImageElement element(arrow);
        paintComposite(dc, RECT{2, 2, 18, 18}, &element, disabled ? Composite::Disabled : 0);
        saveShot(canvas, disabled ? "arrow_disabled.bmp" : "arrow.bmp");
        i32 black = 0, other = 0;
        for (i32 y = 0; y < 20; ++y)
            for (i32 x = 0; x < 20; ++x) {
                COLORREF c = canvas.pixel(x, y);
                black += c == 0;
                other += c != 0 && c != under;
            }
        EXPECT_EQ(disabled ? 0 : 40, black);
        if (disabled) {
            EXPECT_GE(other, 40);
            EXPECT_LT(other, 80);
        } else {
            EXPECT_EQ(0, other);
        }
        EXPECT_EQ(under, canvas.pixel(2, 2));
        EXPECT_EQ(under, canvas.pixel(17, 17));
    }
}

TEST(Pictures, LoadsAFileOrLeavesNoBitmap) {
    TempDir dir;
    std::string bmp = readWholeFile(guiFixture("small.bmp"));
    ASSERT_EQ(bmp.size(), 14u + 40u + 3 * 16u);
    dir.write("small.bmp", bmp);
    dir.write("empty.bmp", "");
    dir.write("text.bmp", "not a picture at all");

    GBitmap picture;
    ASSERT_TRUE(loadPictureFromFile(picture, dir.file("small.bmp").c_str()));
    EXPECT_EQ(picture.width, 5);
    EXPECT_EQ(picture.height, 3);
    DibCanvas canvas(8, 8);
    GSavedDC dc(canvas.dc());
    picture.draw(dc, 0, 0);
    EXPECT_EQ(canvas.pixel(4, 2), smallBitmapPixel(4, 2));

    for (const char* name : {"empty.bmp", "text.bmp", "none.bmp"}) {
        EXPECT_FALSE(loadPictureFromFile(picture, dir.file(name).c_str())) << name;
        EXPECT_EQ(picture.bitmap, nullptr) << name;
        EXPECT_EQ(picture.width, 0) << name;
    }
}

// Bitmap and icon files whose headers claim more than the file holds are refused before any
// decoder sees them.
TEST(Pictures, CraftedBitmapAndIconHeadersAreRefused) {
    const std::string bmp = readWholeFile(guiFixture("small.bmp"));
    const std::string ico = readWholeFile(guiFixture("square.ico"));
    ASSERT_EQ(ico.size(), 1150u);
    auto put32 = [](std::string bytes, size_t at, u32 value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = (char)(value >> (8 * i));
        return bytes;
    };
    auto put16 = [](std::string bytes, size_t at, u32 value) {
        bytes[at] = (char)value;
        bytes[at + 1] = (char)(value >> 8);
        return bytes;
    };
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"info header of 16 MB", put32(bmp, 14, 16u << 20)},
        {"height beyond the data", put32(bmp, 22, 4000)},
        {"width beyond the data", put32(bmp, 18, 0x7FFFFFFF)},
        {"pixel offset past the end", put32(bmp, 10, 0x10000)},
        {"pixel offset inside the header", put32(bmp, 10, 20)},
        {"cut after the info header", bmp.substr(0, 14 + 40)},
        {"zero planes", put16(bmp, 26, 0)},
        {"palette of 4096 colours", put32(put16(bmp, 28, 8), 46, 4096)},
        {"icon claiming 32772 images", put16(ico, 4, 32772)},
        {"icon image past the end", put32(ico, 6 + 8, 4000)},
        {"icon image offset past the end", put32(ico, 6 + 12, 0x7FFFFFF0)},
        {"icon image of 16 MB height", put32(ico, 22 + 8, 0x01000000)},
        {"icon without images", put16(ico, 4, 0)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        EXPECT_FALSE(pictureFileFits(c.bytes.data(), c.bytes.size())) << c.what;
        dir.write("crafted.bin", c.bytes);
        GBitmap picture;
        EXPECT_FALSE(loadPictureFromFile(picture, dir.file("crafted.bin").c_str())) << c.what;
        EXPECT_EQ(picture.bitmap, nullptr) << c.what;
    }
    EXPECT_TRUE(pictureFileFits(bmp.data(), bmp.size()));
    EXPECT_TRUE(pictureFileFits(ico.data(), ico.size()));
}

// The loaded bitmap is a copy of its own: deleting it leaves the original whole.
TEST(Pictures, TheCopyIsNeverTheOriginalHandle) {
    GBitmap original;
    ASSERT_TRUE(original.load(kSmallBitmap));
    HBITMAP copy = copyBitmap(original.bitmap);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, original.bitmap);
    BITMAP info = {};
    EXPECT_EQ(GetObjectA(copy, sizeof info, &info), (int)sizeof info);
    EXPECT_EQ(info.bmWidth, 5);
    DeleteObject(copy);
    EXPECT_EQ(GetObjectA(original.bitmap, sizeof info, &info), (int)sizeof info);
    EXPECT_EQ(copyBitmap(nullptr), nullptr);
}

// A file past 4 GiB whose size truncated to 32 bits would be exactly the picture at its start must
// be refused, not loaded from its first bytes.
TEST(Pictures, RefusesAFileTooLargeForItsBlock) {
    TempDir dir;
    std::string bmp = readWholeFile(guiFixture("small.bmp"));
    std::string path = dir.file("huge.bmp");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bmp.data(), (DWORD)bmp.size(), &written, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = (1LL << 32) + (LONGLONG)bmp.size();
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);

    GBitmap picture;
    EXPECT_FALSE(loadPictureFromFile(picture, path.c_str()));
    EXPECT_EQ(picture.bitmap, nullptr);
}

TEST(Pictures, GlobalBufferHoldsOneBlock) {
    GlobalBuffer block;
    EXPECT_TRUE(block.allocate(0));
    EXPECT_EQ(block.handle, nullptr);
    ASSERT_TRUE(block.allocate(64));
    EXPECT_EQ(block.size, 64u);
    ASSERT_NE(block.lock(), nullptr);
    EXPECT_NE(block.locked, 0u);
    ASSERT_TRUE(block.allocate(128));  // unlocks and frees the first block
    EXPECT_EQ(block.locked, 0u);
    EXPECT_EQ(block.size, 128u);
    EXPECT_EQ(GlobalSize(block.handle), 128u);
}
