// The look every page shares: the header, body and footer bands with the logo and the framed
// product picture (PaintPageFrame), the red heading and grey static texts (AnswerStaticColours),
// and the filling of the templates' %ID% placeholders from the DefineTable
// (SubstitutePlaceholders).
#pragma once

#include <windows.h>

// The frame's colours. The top byte 0x02 makes them palette-relative, so on a palette display
// they map to the nearest palette entry instead of being dithered.
constexpr COLORREF FrameLightGrey = 0x02BFBFBF;
constexpr COLORREF FrameWhite = 0x02FFFFFF;
constexpr COLORREF FrameDarkGrey = 0x027D7D7D;
constexpr COLORREF PageGrey = 0x02DADADA;

// Paints the whole client area of page into dc: bands, logo, product frame and picture.
void PaintPageFrame(HDC dc, HWND page);

// Replaces the text of window and of each of its descendants by its expansion through the
// DefineTable. Texts are read into a 16,384-byte buffer, so a longer one is cut at 16,383.
void SubstitutePlaceholders(HWND window);

// The set-up every framed page does on WM_INITDIALOG: SubstitutePlaceholders, and the heading
// font given to the heading control itself. The heading font is also selected on every
// WM_CTLCOLORSTATIC, but a static control that selects its own font after asking for its colours
// (Wine's does) would otherwise draw the heading in the dialog's font.
void SetUpFramedPage(HWND page);

// The answer to WM_CTLCOLORSTATIC for a static control of a page: the heading (IDC_HEADING) red
// in the heading font, every other text black, both on page grey. Returns the background brush.
HBRUSH AnswerStaticColours(HWND control, HDC dc);
