// mksetup: builds an installer from a package folder, builds plain cabinets, and shows what an
// installer file holds. Exit codes: 0 done, 1 failed (message on stderr), 2 usage error.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "tools/cabwriter/cabinet_writer.h"
#include "tools/cabwriter/source_files.h"
#include "tools/mksetup/inspect.h"
#include "tools/mksetup/installer_image.h"
#include "tools/mksetup/package_check.h"
#include "tools/mksetup/stub_location.h"

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

void PrintUsage(std::FILE* out) {
    std::string methods = cabwriter::CompressionNames();
    std::fprintf(out,
                 "usage: mksetup [-o SETUP.EXE] [--stub FILE] [--compress %s] [--defines FILE]... PACKAGE_DIR\n"
                 "       mksetup cab -o OUT.CAB [--compress %s] DIR\n"
                 "       mksetup inspect SETUP.EXE\n"
                 "\n"
                 "Builds an installer from PACKAGE_DIR, which holds cfg/ (props.xml, install.xml, defines.xml,\n"
                 "logo.bmp, product.bmp, license.txt, readme.txt) and files/ (the game). The documents are\n"
                 "checked with the installer's own loaders first.\n"
                 "\n"
                 "  -o, --output FILE  the installer to write (default setup.exe)\n"
                 "  --stub FILE        the installer stub (default: setup-stub.exe beside mksetup,\n"
                 "                     then ../win32/bin/setup-stub.exe)\n"
                 "  --compress METHOD  cabinet compression (default mszip)\n"
                 "  --defines FILE     a defines document to attach; may be repeated, the last one wins\n"
                 "\n"
                 "cab      writes a cabinet of every file below DIR (names relative to DIR)\n"
                 "inspect  prints the payload records of an installer and the entries of its cabinet\n",
                 methods.c_str(), methods.c_str());
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "mksetup: %s\n(try mksetup --help)\n", message.c_str());
    return ExitUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "mksetup: %s\n", message.c_str());
    return ExitFailed;
}

// Options of one command: "--name value", "--name=value" and "-o value"; the rest positional.
struct ParsedArguments {
    std::string output;
    std::string stub;
    std::string compress = "mszip";
    std::vector<std::string> defines;
    std::vector<std::string> positional;
    bool help = false;
};

bool ParseArguments(const std::vector<std::string>& args, bool takesPackageOptions, ParsedArguments& parsed,
                    std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        std::string name = arg, value;
        bool inlineValue = false;
        size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        }
        std::string* target = nullptr;
        bool repeated = false;
        if (name == "-o" || name == "--output") target = &parsed.output;
        else if (name == "--compress") target = &parsed.compress;
        else if (takesPackageOptions && name == "--stub") target = &parsed.stub;
        else if (takesPackageOptions && name == "--defines") repeated = true;
        else {
            error = "unknown option '" + name + "'";
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                error = "option '" + name + "' needs a value";
                return false;
            }
            value = args[++i];
        }
        if (repeated) parsed.defines.push_back(value);
        else *target = value;
    }
    return true;
}

// Progress on stderr, only when a person is watching it.
std::function<void(uint64_t, uint64_t)> ProgressReporter() {
    if (!isatty(fileno(stderr))) return nullptr;
    auto last = std::make_shared<int>(-1);
    return [last](uint64_t done, uint64_t total) {
        int percent = total ? int(done * 100 / total) : 100;
        if (percent == *last) return;
        *last = percent;
        std::fprintf(stderr, "\rmksetup: compressing %3d%%%s", percent, done == total ? "\n" : "");
        std::fflush(stderr);
    };
}

bool IsFolder(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_directory(path, ignored);
}

int RunCab(const std::vector<std::string>& args) {
    ParsedArguments parsed;
    std::string error;
    if (!ParseArguments(args, false, parsed, error)) return UsageError(error);
    if (parsed.help) {
        PrintUsage(stdout);
        return ExitDone;
    }
    if (parsed.output.empty()) return UsageError("cab: -o OUT.CAB is required");
    if (parsed.positional.size() != 1) return UsageError("cab: give exactly one folder");
    cabwriter::CabinetOptions options;
    if (!cabwriter::ParseCompression(parsed.compress, options.compression, error)) return UsageError(error);
    const std::string& folder = parsed.positional[0];
    if (!IsFolder(folder)) return Failure("'" + folder + "' is not a folder");
    std::vector<cabwriter::CabinetEntry> entries;
    if (!cabwriter::AddFolderFiles(folder, "", entries, error)) return Failure(error);
    if (entries.empty()) return Failure("'" + folder + "' holds no files");
    options.progress = ProgressReporter();
    if (!cabwriter::WriteCabinetFile(entries, options, parsed.output, error)) return Failure(error);
    return ExitDone;
}

int RunInspect(const std::vector<std::string>& args) {
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        PrintUsage(stdout);
        return ExitDone;
    }
    if (args.size() != 1) return UsageError("inspect: give exactly one installer file");
    std::string error;
    if (!InspectInstaller(args[0], stdout, error)) return Failure(error);
    return ExitDone;
}

int RunBuild(const std::vector<std::string>& args, const char* argv0) {
    ParsedArguments parsed;
    std::string error;
    if (!ParseArguments(args, true, parsed, error)) return UsageError(error);
    if (parsed.help) {
        PrintUsage(stdout);
        return ExitDone;
    }
    if (parsed.positional.size() != 1) return UsageError("give exactly one package folder");
    InstallerInputs inputs;
    inputs.packageFolder = parsed.positional[0];
    inputs.definesFiles = parsed.defines;
    if (!cabwriter::ParseCompression(parsed.compress, inputs.compression, error)) return UsageError(error);
    std::string output = parsed.output.empty() ? "setup.exe" : parsed.output;

    if (!IsFolder(inputs.packageFolder + "/cfg")) {
        return Failure("'" + inputs.packageFolder + "' is not a package folder: it has no cfg/ folder");
    }
    PackageCheckResult check;
    if (!CheckPackage(inputs.packageFolder + "/cfg", inputs.definesFiles, check)) return Failure(check.error);
    for (const std::string& warning : check.warnings) std::fprintf(stderr, "mksetup: warning: %s\n", warning.c_str());

    inputs.stubPath = parsed.stub;
    if (inputs.stubPath.empty()) {
        std::vector<std::string> tried;
        inputs.stubPath = FindDefaultStub(argv0, tried);
        if (inputs.stubPath.empty()) {
            std::string list;
            for (const std::string& path : tried) list += "\n  " + path;
            return Failure("no installer stub found; build the win32 tree or give --stub. Looked for:" + list);
        }
    }

    inputs.progress = ProgressReporter();
    if (!BuildInstaller(inputs, output, error)) return Failure(error);
    return ExitDone;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    if (args[0] == "cab") return RunCab(std::vector<std::string>(args.begin() + 1, args.end()));
    if (args[0] == "inspect") return RunInspect(std::vector<std::string>(args.begin() + 1, args.end()));
    return RunBuild(args, argc > 0 ? argv[0] : nullptr);
}
