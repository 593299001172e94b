// The shell's folder picker for the Options page's install-folder box.
#pragma once

#include <windows.h>

// Shows the picker owned by page, opened on the deepest existing folder of the path typed in
// the box; a chosen file-system folder replaces the box's text. Cancelling the picker, or
// choosing something that is not a folder on disk, leaves the box unchanged.
void BrowseForFolder(HWND page, int box);
