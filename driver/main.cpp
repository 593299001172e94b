// Process entry of the installer. It takes no command-line arguments.
#include <windows.h>

#include "driver/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunInstaller();
}
