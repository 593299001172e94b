// Drawing resources the driver creates for the pages: the page background brush, the heading
// font, and the two pictures loaded from the Workspace after the Prepare page (either may be
// absent). The driver creates and deletes them; the pages only use them.
#pragma once

#include <windows.h>

struct PageResources {
    HBRUSH PageBrush = nullptr;     // RGB(218,218,218)
    HFONT HeadingFont = nullptr;    // Arial, bold, 16 points
    HBITMAP LogoBitmap = nullptr;
    HBITMAP ProductBitmap = nullptr;
};

PageResources& Pages();
