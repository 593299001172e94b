// Screenshots for the test robot: the client area of a window as it is on the screen, so that
// tests can check what a page painted pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A picture of a window's client area, one 0xRRGGBB value per pixel, row by row from the top.
struct ClientPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Repaints window (and its controls) at once, then copies its client area from the window's
// device context. The window must be visible and not covered. False when nothing was copied.
bool CaptureClient(HWND window, ClientPicture& picture);
