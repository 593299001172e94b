// The page frame: painting the bands and pictures, the static colours and the placeholder
// substitution shared by every page.
#include "ui/page_frame.h"

#include <vector>

#include "driver/installer_state.h"
#include "driver/page_resources.h"
#include "res/resource.h"

namespace {

// Window texts are read into a buffer of this size, terminator included.
constexpr int TextBufferSize = 16384;

// Height of the header band; the dark and white lines below it follow at once.
constexpr int HeaderHeight = 76;
// The footer band: a dark line, a white line and the light grey rows below them.
constexpr int FooterHeight = 36;

// The product picture sits in a bevelled frame 11 pixels from the right edge and 5 from the top;
// the picture itself lies 5 pixels inside the frame's outer edge.
constexpr int ProductFrameRight = 11;
constexpr int ProductFrameTop = 5;
constexpr int ProductInset = 5;

void Fill(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
    if (!brush) return;  // PageBrush not created: leave that part as the dialog drew it
    RECT area = {left, top, right, bottom};
    FillRect(dc, &area, brush);
}

// Copies bitmap unchanged to (x, y) at its own size.
void CopyPicture(HDC dc, HDC memory, HBITMAP bitmap, int x, int y) {
    BITMAP info = {};
    if (!GetObjectA(bitmap, sizeof info, &info)) return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
}

struct FrameBrushes {
    HBRUSH light, white, dark, page;
};

// The product picture's bevelled frame: an outer raised edge, a grey gap and an inner sunken
// edge, filled in this order so that later fills cover the corners of earlier ones.
void PaintProductFrame(HDC dc, const FrameBrushes& b, int width, int pictureWidth, int pictureHeight) {
    const int L = width - pictureWidth - 2 * ProductInset - ProductFrameRight;
    const int T = ProductFrameTop;
    const int R = width - ProductFrameRight;
    const int B = pictureHeight + 2 * ProductInset + ProductFrameTop;
    Fill(dc, L, T, R, B, b.page);
    Fill(dc, L, T, L + 1, B, b.dark);
    Fill(dc, L, T, R, T + 1, b.dark);
    Fill(dc, R - 1, T + 2, R, B, b.dark);
    Fill(dc, L + 2, B - 1, R, B, b.dark);
    Fill(dc, L + 1, T + 1, L + 2, B - 1, b.white);
    Fill(dc, L + 1, T + 1, R - 1, T + 2, b.white);
    Fill(dc, R, T + 1, R + 1, B + 1, b.white);
    Fill(dc, L + 1, B, R, B + 1, b.white);
    Fill(dc, R - 5, T + 5, R - 4, B - 4, b.dark);
    Fill(dc, L + 5, B - 5, R - 4, B - 4, b.dark);
    Fill(dc, L + 4, T + 4, R - 5, T + 5, b.white);
    Fill(dc, L + 4, T + 4, L + 5, B - 5, b.white);
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

void ExpandText(HWND window) {
    std::vector<char> text(TextBufferSize, '\0');
    GetWindowTextA(window, text.data(), TextBufferSize);
    SetWindowTextA(window, Defines().Expand(text.data()).c_str());
}

}  // namespace

void PaintPageFrame(HDC dc, HWND page) {
    RECT client = {};
    GetClientRect(page, &client);
    const int W = client.right;
    const int H = client.bottom;
    FrameBrushes brushes = {CreateSolidBrush(FrameLightGrey), CreateSolidBrush(FrameWhite),
                            CreateSolidBrush(FrameDarkGrey), Pages().PageBrush};

    Fill(dc, 0, 0, W, HeaderHeight, brushes.light);
    Fill(dc, 0, HeaderHeight, W, HeaderHeight + 1, brushes.dark);
    Fill(dc, 0, HeaderHeight + 1, W, HeaderHeight + 2, brushes.white);
    Fill(dc, 0, HeaderHeight + 2, W, H - 32, brushes.page);
    Fill(dc, 0, H - FooterHeight, W, H - 33, brushes.dark);
    Fill(dc, 0, H - FooterHeight + 1, W, H - 32, brushes.white);
    Fill(dc, 0, H - FooterHeight + 2, W, H, brushes.light);

    HDC memory = CreateCompatibleDC(dc);
    if (Pages().LogoBitmap) CopyPicture(dc, memory, Pages().LogoBitmap, 0, 0);
    BITMAP product = {};
    if (Pages().ProductBitmap && GetObjectA(Pages().ProductBitmap, sizeof product, &product)) {
        PaintProductFrame(dc, brushes, W, product.bmWidth, product.bmHeight);
        CopyPicture(dc, memory, Pages().ProductBitmap, W - product.bmWidth - ProductInset - ProductFrameRight,
                    ProductFrameTop + ProductInset);
    }
    DeleteDC(memory);

    DeleteObject(brushes.light);
    DeleteObject(brushes.white);
    DeleteObject(brushes.dark);
}

void SubstitutePlaceholders(HWND window) {
    // Every descendant once: the system's enumeration already walks all levels, and expanding a
    // nested control again would expand the values that the first pass put in.
    std::vector<HWND> descendants;
    EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&descendants));
    ExpandText(window);
    for (HWND descendant : descendants) ExpandText(descendant);
}

void SetUpFramedPage(HWND page) {
    SubstitutePlaceholders(page);
    if (Pages().HeadingFont)
        SendDlgItemMessageA(page, IDC_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(Pages().HeadingFont), FALSE);
}

HBRUSH AnswerStaticColours(HWND control, HDC dc) {
    if (GetDlgCtrlID(control) == IDC_HEADING) {
        if (Pages().HeadingFont) SelectObject(dc, Pages().HeadingFont);
        SetTextColor(dc, RGB(255, 0, 0));
    } else {
        SetTextColor(dc, RGB(0, 0, 0));
    }
    SetBkColor(dc, PageGrey);
    return Pages().PageBrush;
}
