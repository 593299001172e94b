// The page frame as it appears on the screen: the rows of the header, body and footer bands, the
// logo, the bevelled frame around the product picture and the picture inside it, and the red
// heading on page grey.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <string>

#include "driver/installer_state.h"
#include "driver/page_resources.h"
#include "res/resource.h"
#include "tests/ui/page_test_support.h"
#include "tests/win32/robot_screen.h"
#include "ui/pages.h"

namespace {

constexpr uint32_t LightGrey = 0xBFBFBF;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t DarkGrey = 0x7D7D7D;
constexpr uint32_t PageGrey = 0xDADADA;
constexpr uint32_t Red = 0xFF0000;
constexpr uint32_t LogoColour = 0x3060C0;
constexpr uint32_t ProductColour = 0x20A040;

// A bitmap of one colour, as the driver would have loaded from logo.bmp or product.bmp.
HBITMAP SolidBitmap(int width, int height, uint32_t colour) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) pixels[i] = colour;
    return bitmap;
}

class PageFrame : public PageTest {
protected:
    void TearDown() override {
        PageResources& pages = Pages();
        if (pages.LogoBitmap) DeleteObject(pages.LogoBitmap);
        if (pages.ProductBitmap) DeleteObject(pages.ProductBitmap);
        pages.LogoBitmap = pages.ProductBitmap = nullptr;
        PageTest::TearDown();
    }

    // A screenshot of the AbortPage, whose left column and header hold no control.
    ClientPicture CaptureAbortPage() {
        Installer().Aborted = true;
        ClientPicture picture;
        RunPage(ShowAbortPage, "[ABORT_DIALOG_TITLE]", [&](HWND page) {
            EXPECT_TRUE(CaptureClient(page, picture));
            PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
        });
        return picture;
    }
};

std::string Hex(uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", unsigned(colour));
    return text;
}

// Without pictures: the header band, its dark and white lines, the body, and the footer band
// with its dark and white lines, down a column that no control covers.
TEST_F(PageFrame, BandsWithoutPictures) {
    ClientPicture picture = CaptureAbortPage();
    ASSERT_GT(picture.height, 120);
    const int H = picture.height;
    const int x = 3;
    for (int y = 0; y < H; ++y) {
        uint32_t expected = y <= 75 ? LightGrey
                            : y == 76 ? DarkGrey
                            : y == 77 ? White
                            : y < H - 36 ? PageGrey
                            : y == H - 36 ? DarkGrey
                            : y == H - 35 ? White
                                          : LightGrey;
        ASSERT_EQ(Hex(picture.At(x, y)), Hex(expected)) << "row " << y << " of " << H;
    }
    // The header spans the whole width: no frame is drawn without a product picture.
    for (int column : {0, picture.width / 2, picture.width - 30, picture.width - 1})
        EXPECT_EQ(Hex(picture.At(column, 30)), Hex(LightGrey)) << "column " << column;
}

// A 100 x 50 product picture: its frame covers the columns W-121..W-11 and the rows 5..65, the
// picture the columns W-116..W-17 and the rows 10..59 (on a 400-wide page: 279..389 and
// 284..383). A logo taller than the header covers the header's lines below it.
TEST_F(PageFrame, ProductPictureInItsFrameAndLogo) {
    Pages().ProductBitmap = SolidBitmap(100, 50, ProductColour);
    Pages().LogoBitmap = SolidBitmap(8, 90, LogoColour);
    ClientPicture picture = CaptureAbortPage();
    ASSERT_GT(picture.width, 200);
    const int W = picture.width;
    const int L = W - 121, T = 5, R = W - 11, B = 65;
    const struct {
        const char* what;
        int x, y;
        uint32_t colour;
    } probes[] = {
        {"left of the frame", L - 1, 30, LightGrey},
        {"outer dark left edge", L, 30, DarkGrey},
        {"outer dark top edge", L + 50, T, DarkGrey},
        {"above the frame", L + 50, T - 1, LightGrey},
        {"outer white left line", L + 1, 30, White},
        {"outer white top line", L + 50, T + 1, White},
        {"outer dark right edge", R - 1, 30, DarkGrey},
        {"outer dark bottom edge", L + 50, B - 1, DarkGrey},
        {"outer white right line", R, 30, White},
        {"outer white bottom line", L + 50, B, White},
        {"right of the frame", R + 1, 30, LightGrey},
        {"below the frame", L + 50, B + 1, LightGrey},
        {"grey gap", L + 2, 30, PageGrey},
        {"grey gap at the bottom right", R - 2, B - 2, PageGrey},
        {"inner white left line", L + 4, 30, White},
        {"inner white top line", L + 50, T + 4, White},
        {"inner dark right line", R - 5, 30, DarkGrey},
        {"inner dark bottom line", L + 50, B - 5, DarkGrey},
        {"picture top left", L + 5, T + 5, ProductColour},
        {"picture top right", R - 6, T + 5, ProductColour},
        {"picture bottom left", L + 5, B - 6, ProductColour},
        {"picture bottom right", R - 6, B - 6, ProductColour},
        {"logo corner", 0, 0, LogoColour},
        {"logo's last pixel", 7, 89, LogoColour},
        {"logo covers the header's dark line", 4, 76, LogoColour},
        {"logo covers the header's white line", 4, 77, LogoColour},
        {"header line beside the logo", 8, 76, DarkGrey},
        {"body beside the logo", 8, 85, PageGrey},
        {"body below the logo", 4, 90, PageGrey},
    };
    for (const auto& p : probes) EXPECT_EQ(Hex(picture.At(p.x, p.y)), Hex(p.colour)) << p.what << " at " << p.x << "," << p.y;
    EXPECT_EQ(W - 121 - 279, W - 400) << "the worked example: 400 wide gives column 279";
}

// The heading is red in the large heading font, the other texts black, both on page grey.
TEST_F(PageFrame, HeadingIsRedAndLargeOnPageGrey) {
    Defines().Set("ABORT_DIALOG_LINE1", "Setup Halted");
    Installer().Aborted = true;
    ClientPicture picture;
    RECT heading = {}, line = {};
    RunPage(ShowAbortPage, "[ABORT_DIALOG_TITLE]", [&](HWND page) {
        EXPECT_TRUE(CaptureClient(page, picture));
        GetWindowRect(GetDlgItem(page, IDC_HEADING), &heading);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&heading), 2);
        HWND second = GetWindow(GetDlgItem(page, IDC_HEADING), GW_HWNDNEXT);
        GetWindowRect(second, &line);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&line), 2);
        PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_FALSE(picture.pixels.empty());

    auto count = [&](const RECT& area, uint32_t colour, int& top, int& bottom) {
        int n = 0;
        top = area.bottom, bottom = area.top - 1;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (picture.At(x, y) == colour) {
                    ++n;
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return n;
    };
    int top, bottom;
    EXPECT_GT(count(heading, Red, top, bottom), 0) << "no red heading";
    // 16-point letters stand well over 14 pixels high; the dialog font's 8 points stay below.
    EXPECT_GE(bottom - top + 1, 15) << "the heading is not in the heading font";
    EXPECT_EQ(count(heading, 0x000000, top, bottom), 0) << "black in the heading";
    EXPECT_GT(count(heading, PageGrey, top, bottom), 0) << "the heading's background is not page grey";
    EXPECT_GT(count(line, 0x000000, top, bottom), 0) << "no black text";
    EXPECT_EQ(count(line, Red, top, bottom), 0) << "red in a plain text";
    // Around the letters (whose edges may be smoothed) the background is page grey.
    int area = (line.right - line.left) * (line.bottom - line.top);
    EXPECT_GT(count(line, PageGrey, top, bottom), area / 2) << "a text's background is not page grey";
    EXPECT_EQ(picture.At(line.right - 1, line.top), PageGrey);
}

}  // namespace
