// Walks the demo installer through every page without a person: starts setup.exe, and for each
// page that appears saves a picture of it as a BMP file and presses the button a user would
// (Welcome: Change Settings, then Options: Next, License: I Agree, Launch: Done). Pages are told
// apart by their controls, not their captions, so the walker serves any package.
//
//     demo-walker SETUP.EXE OUTPUT_FOLDER
//
// Prints one line per page and the installer's exit code, which it also returns.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/win32/robot.h"
#include "tests/win32/robot_screen.h"

namespace {

struct PageKind {
    const char* name;
    int marker;  // a control only this page has
    int press;   // the button to press, 0 to wait for the page to close itself
};

const PageKind kPages[] = {
    {"prepare", 1015, 0}, {"welcome", 1020, 1018}, {"options", 1006, 1014}, {"license", 1001, 1014},
    {"install", 1011, 0}, {"launch", 1022, 6},     {"abort", 0, 2},
};

const PageKind* KindOf(HWND page) {
    for (const PageKind& kind : kPages) {
        if (kind.marker && GetDlgItem(page, kind.marker)) return &kind;
    }
    return &kPages[6];  // a page with none of them: the AbortPage or a box
}

bool SaveBmp(const ClientPicture& picture, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    int rowBytes = (picture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER header = {};
    BITMAPINFOHEADER info = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + rowBytes * picture.height;
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;  // bottom-up rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(&info, sizeof info, 1, file);
    std::string row(rowBytes, '\0');
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            uint32_t pixel = picture.At(x, y);
            row[x * 3] = char(pixel & 0xFF);
            row[x * 3 + 1] = char((pixel >> 8) & 0xFF);
            row[x * 3 + 2] = char((pixel >> 16) & 0xFF);
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo-walker SETUP.EXE OUTPUT_FOLDER\n");
        return 2;
    }
    std::string output = argv[2];
    RobotProcess process;
    if (!StartProgram(argv[1], {}, process)) {
        std::fprintf(stderr, "demo-walker: cannot start %s\n", argv[1]);
        return 1;
    }
    HWND previous = nullptr;
    int shown = 0;
    for (;;) {
        if (WaitForSingleObject(process.process, 0) == WAIT_OBJECT_0) break;
        HWND page = WaitForWindow(process, nullptr, "#32770", 200);
        if (!page || page == previous) continue;
        const PageKind* kind = KindOf(page);
        // Let a button page finish painting; a progress page may close itself at any moment.
        Sleep(kind->press ? 300 : 100);
        std::string title = WindowText(page);
        ClientPicture picture;
        if (IsWindow(page) && CaptureClient(page, picture)) {
            std::string file = output + "\\" + std::to_string(++shown) + "-" + kind->name + ".bmp";
            SaveBmp(picture, file);
            std::printf("page %d: %-8s \"%s\" -> %s\n", shown, kind->name, title.c_str(), file.c_str());
        } else {
            std::printf("page:   %-8s \"%s\" closed before its picture was taken\n", kind->name, title.c_str());
        }
        std::fflush(stdout);
        if (kind->press) {
            PostMessageA(page, WM_COMMAND, MAKEWPARAM(kind->press, BN_CLICKED), 0);
        } else if (kind == &kPages[6]) {
            AnswerBox(page, IDOK);  // a message box
        }
        previous = page;
        for (int i = 0; i < 600 && IsWindow(page) && IsWindowVisible(page) && !kind->press && kind->marker; ++i) Sleep(50);
    }
    DWORD code = 0;
    WaitForExit(process, 60000, code);
    std::printf("exit code: %lu\n", code);
    return static_cast<int>(code);
}
