// Client-area screenshots through a 32-bit top-down DIB section.
#include "tests/win32/robot_screen.h"

#include <cstring>

bool CaptureClient(HWND window, ClientPicture& picture) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client = {};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return false;
    picture.width = client.right;
    picture.height = client.bottom;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return false;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, picture.width, picture.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    picture.pixels.resize(size_t(picture.width) * picture.height);
    // Each pixel is stored as the bytes blue, green, red, unused: 0x00RRGGBB read little-endian.
    std::memcpy(picture.pixels.data(), bits, picture.pixels.size() * 4);
    for (uint32_t& pixel : picture.pixels) pixel &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    DeleteObject(bitmap);
    return copied != FALSE;
}
