// A small test robot for the installer under Wine: starts a program, finds the windows of its
// process by caption or class, reads their texts and presses their buttons, as GUI test tools
// on Windows do.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RobotProcess {
    HANDLE process = nullptr;
    DWORD id = 0;
};

// Starts exe (with arguments, may be empty) with the environment of this process plus the
// given NAME=VALUE overrides.
bool StartProgram(const std::string& exe, const std::vector<std::string>& environment, RobotProcess& started);

// Waits for the process to end; false on timeout. exitCode receives its code.
bool WaitForExit(RobotProcess& process, DWORD timeoutMs, DWORD& exitCode);
void Terminate(RobotProcess& process);

// Ends every process of this executable name (a command a test's installer left running, which
// would otherwise keep the test's output open after the test).
void EndProcessesNamed(const char* name);

// The first visible top-level window of the process whose caption equals title (any caption
// when title is null) and whose class is className (any when null); waits up to timeoutMs.
HWND WaitForWindow(const RobotProcess& process, const char* title, const char* className, DWORD timeoutMs);

std::string WindowText(HWND window);

// The texts of the window's child controls of the given class, in z order.
std::vector<std::string> ChildTexts(HWND window, const char* className);

// The message of a message box: the text of its static control that is not empty.
std::string MessageBoxText(HWND box);

// Presses the child button whose text is caption (with '&' removed); false when there is none.
bool ClickButton(HWND window, const std::string& caption);

// Answers a message box with the given button id (IDOK, IDYES, ...).
void AnswerBox(HWND box, int buttonId);

// What a message box said, as seen by the robot.
struct SeenBox {
    std::string title;
    std::string text;
};

// Answers every dialog box of the process with buttonId until it ends; returns the boxes seen in
// order and the exit code. False when the process does not end in time.
bool AnswerBoxesUntilExit(RobotProcess& process, DWORD timeoutMs, std::vector<SeenBox>& boxes, DWORD& exitCode,
                          int buttonId = IDOK);
