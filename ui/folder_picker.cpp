// The folder picker: SHBrowseForFolderA in its resizable style, started on the typed path.
//
// The picker offers no way to ask whether a path exists, so the start folder is found by trial:
// ask it to select the typed path and look at what it reports as selected; when that is not the
// path itself, try the folder above, until the selection matches or the path runs out.
#include "ui/folder_picker.h"

#include <shlobj.h>

#include <cstring>
#include <string>

#include "config/paths.h"

namespace {

// The picker's status text and the paths it reports fit in MAX_PATH bytes.
constexpr int PathBufferSize = MAX_PATH;

// BIF_NEWDIALOGSTYLE: the resizable picker with its own folder tree.
constexpr UINT PickerFlags = 0x40;

struct PickerState {
    char start[PathBufferSize];      // the box's text when the picker opened
    char selection[PathBufferSize];  // the file-system path of the picker's current selection
};

int CALLBACK PickerEvent(HWND picker, UINT event, LPARAM item, LPARAM data) {
    auto* state = reinterpret_cast<PickerState*>(data);
    if (event == BFFM_INITIALIZED) {
        std::string path = state->start;
        while (!path.empty()) {
            // Selecting reports the new selection (BFFM_SELCHANGED) before the call returns.
            SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
            if (path == state->selection) break;
            path = DirectoryPart(path);
        }
    } else if (event == BFFM_SELCHANGED) {
        char path[PathBufferSize] = {};
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(item), path)) {
            std::memcpy(state->selection, path, sizeof path);
            SendMessageA(picker, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(state->selection));
        }
    }
    return 0;
}

}  // namespace

void BrowseForFolder(HWND page, int box) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) return;
    // The resizable picker hosts shell views, which need COM on this thread for its duration.
    HRESULT com = OleInitialize(nullptr);

    PickerState state = {};
    GetDlgItemTextA(page, box, state.start, PathBufferSize);
    BROWSEINFOA browse = {};
    browse.hwndOwner = page;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = "Select Directory";
    browse.ulFlags = PickerFlags;
    browse.lpfn = PickerEvent;
    browse.lParam = reinterpret_cast<LPARAM>(&state);
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen) {
        char path[PathBufferSize] = {};
        if (SHGetPathFromIDListA(chosen, path)) SetDlgItemTextA(page, box, path);
        allocator->Free(chosen);
    }
    allocator->Release();
    if (SUCCEEDED(com)) OleUninitialize();
}
