// A program for command tests: waits the number of milliseconds given as its argument, then
// ends with exit code 0; with a second argument, it first writes that file.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc > 2) {
        std::FILE* marker = std::fopen(argv[2], "wb");
        if (marker) std::fclose(marker);
    }
    Sleep(argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 0);
    return 0;
}
