// make_shortcut <destination> <target> <arguments>: makes one shell link with CreateShortcut,
// its description the destination's file name, as the shortcut step does; exit code 0 when it
// was saved. Used by lnkinfo_check.sh to produce a link that a host tool reads back.
#include <cstdio>
#include <string>

#include "config/paths.h"
#include "install/shortcuts.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_shortcut destination target arguments\n");
        return 2;
    }
    ComApartment apartment;
    std::string destination = argv[1];
    return CreateShortcut(argv[2], destination, FileNamePart(destination), argv[3]) ? 0 : 1;
}
