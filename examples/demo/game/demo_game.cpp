// The demo "game": a window with one line of text. When it starts it leaves started.txt beside
// its own executable, so tests can see that the installer launched it. With the switch --exit
// on its command line, or the environment variable DEMO_GAME_EXIT set to anything but empty,
// it ends right after writing the marker instead of waiting to be closed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* WindowClass = "ZelDemoGameWindow";
constexpr const char* Title = "Zel Demo Game";
constexpr const char* Line = "The demo game is running. Close this window to quit.";

std::string OwnFolder() {
    char path[MAX_PATH];
    DWORD got = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) return ".";
    std::string text(path, got);
    size_t slash = text.find_last_of("\\/");
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

void WriteMarker(const char* commandLine) {
    std::string path = OwnFolder() + "\\started.txt";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return;
    std::fprintf(file, "started\ncommand line: %s\n", commandLine ? commandLine : "");
    std::fclose(file);
}

bool ExitRequested(const char* commandLine) {
    if (commandLine && std::strstr(commandLine, "--exit")) return true;
    char value[8];
    DWORD got = GetEnvironmentVariableA("DEMO_GAME_EXIT", value, sizeof value);
    return got > 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        DrawTextA(dc, Line, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    WriteMarker(commandLine);
    if (ExitRequested(commandLine)) return 0;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = WindowClass;
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowA(WindowClass, Title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 160,
                                nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
