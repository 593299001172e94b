// Test robot: process control and window inspection through the ordinary user32 calls.
#include "tests/win32/robot.h"

#include <tlhelp32.h>

#include <cstring>

namespace {

struct WindowSearch {
    DWORD processId;
    const char* title;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    if (search->className) {
        char name[256] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::strcmp(name, search->className) != 0) return TRUE;
    }
    if (search->title && WindowText(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

struct ChildSearch {
    const char* className;
    std::vector<HWND> children;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    char name[256] = {};
    GetClassNameA(child, name, sizeof name);
    if (!search->className || lstrcmpiA(name, search->className) == 0) search->children.push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND window, const char* className) {
    ChildSearch search{className, {}};
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.children;
}

std::string WithoutAmpersands(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != '&') out += c;
    }
    return out;
}

}  // namespace

bool StartProgram(const std::string& exe, const std::vector<std::string>& environment, RobotProcess& started) {
    // The child inherits this process's environment: set the overrides for the start only.
    std::vector<std::pair<std::string, std::string>> saved;
    for (const std::string& assignment : environment) {
        size_t equals = assignment.find('=');
        std::string name = assignment.substr(0, equals);
        char old[4096];
        DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
        saved.push_back({name, length > 0 && length < sizeof old ? std::string(old, length) : std::string()});
        SetEnvironmentVariableA(name.c_str(), assignment.substr(equals + 1).c_str());
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + exe + "\"";
    BOOL ok = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    for (const auto& [name, value] : saved) SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
    if (!ok) return false;
    CloseHandle(info.hThread);
    started.process = info.hProcess;
    started.id = info.dwProcessId;
    return true;
}

bool WaitForExit(RobotProcess& process, DWORD timeoutMs, DWORD& exitCode) {
    if (WaitForSingleObject(process.process, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process.process, &exitCode);
    CloseHandle(process.process);
    process.process = nullptr;
    return true;
}

void Terminate(RobotProcess& process) {
    if (!process.process) return;
    TerminateProcess(process.process, 99);
    WaitForSingleObject(process.process, 5000);
    CloseHandle(process.process);
    process.process = nullptr;
}

void EndProcessesNamed(const char* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name) != 0) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (process) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

HWND WaitForWindow(const RobotProcess& process, const char* title, const char* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search{process.id, title, className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<std::string> ChildTexts(HWND window, const char* className) {
    std::vector<std::string> texts;
    for (HWND child : Children(window, className)) texts.push_back(WindowText(child));
    return texts;
}

std::string MessageBoxText(HWND box) {
    for (const std::string& text : ChildTexts(box, "Static")) {
        if (!text.empty()) return text;
    }
    return std::string();
}

bool ClickButton(HWND window, const std::string& caption) {
    for (HWND button : Children(window, "Button")) {
        if (WithoutAmpersands(WindowText(button)) == caption) {
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
            return true;
        }
    }
    return false;
}

void AnswerBox(HWND box, int buttonId) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

bool AnswerBoxesUntilExit(RobotProcess& process, DWORD timeoutMs, std::vector<SeenBox>& boxes, DWORD& exitCode,
                          int buttonId) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (WaitForSingleObject(process.process, 50) == WAIT_OBJECT_0) return WaitForExit(process, 0, exitCode);
        HWND box = WaitForWindow(process, nullptr, "#32770", 0);
        if (!box) continue;
        Sleep(50);  // let the box finish setting up its texts
        boxes.push_back({WindowText(box), MessageBoxText(box)});
        AnswerBox(box, buttonId);
        // Wait for this box to go, so that its handle is not taken for the next one.
        while (IsWindow(box) && GetTickCount() - start < timeoutMs) Sleep(20);
    }
    Terminate(process);
    return false;
}
