// cabx: lists, tests and extracts cabinets, and the cabinet inside an installer built by this
// project, with the installer's own decoder. Exit codes: 0 success, 1 failure, 2 usage error.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/cabx/commands.h"

namespace {

const char Usage[] =
    "usage: cabx list FILE\n"
    "       cabx test FILE\n"
    "       cabx extract [-d DIR] [-p PREFIX] FILE\n"
    "\n"
    "FILE is a cabinet or an installer carrying one; the next cabinets of a set are looked for\n"
    "beside FILE.\n"
    "  list     one line per entry: size, DOS date and time, attributes (r h s a x), name\n"
    "  test     decode every entry without writing; print '<md5>  <name>' for each\n"
    "  extract  write the entries under DIR (default: the current folder); with -p only those\n"
    "           whose names begin with PREFIX, with PREFIX removed. Entries whose names would\n"
    "           leave DIR are refused.\n"
    "Exit status: 0 success, 1 failure (the error's name and a sentence on stderr), 2 usage.\n";

int UsageError(const char* message) {
    std::fprintf(stderr, "cabx: %s\n%s", message, Usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc < 2) return UsageError("no command given");

    CabxOptions options;
    const std::string command = argv[1];
    if (command == "list") {
        options.command = CabxOptions::List;
    } else if (command == "test") {
        options.command = CabxOptions::Test;
    } else if (command == "extract") {
        options.command = CabxOptions::Extract;
    } else {
        return UsageError(("unknown command '" + command + "'").c_str());
    }

    int i = 2;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i) {
        const std::string flag = argv[i];
        if (options.command != CabxOptions::Extract || (flag != "-d" && flag != "-p")) {
            return UsageError(("unknown option '" + flag + "'").c_str());
        }
        if (i + 1 >= argc) return UsageError(("option " + flag + " needs a value").c_str());
        (flag == "-d" ? options.directory : options.prefix) = argv[++i];
    }
    if (i + 1 != argc) return UsageError(i == argc ? "no FILE given" : "more than one FILE given");
    options.file = argv[i];
    return RunCommand(options);
}
