// list, test and extract (see commands.h). One notify function serves all three; the command
// decides what CopyFile and CloseFileInfo do with each entry.
#include "tools/cabx/commands.h"

#include <cstdio>
#include <vector>

#include "cab/cabinet.h"
#include "cab/cabinet_set.h"
#include "tools/cabx/cabinet_locator.h"
#include "tools/cabx/entry_file.h"
#include "tools/cabx/file_client.h"
#include "tools/cabx/hash_pipeline.h"
#include "tools/cabx/safe_path.h"

namespace {

struct Run {
    const CabxOptions* options;
    HashPipeline* hashing;    // test: the thread that hashes and prints
    std::string outputPath;   // extract: the entry being written
    std::string entry;        // the entry being decoded, for the failure message
    // A failure cabx itself found, reported instead of the decoder's UserAbort.
    std::string failureName;
    std::string failureSentence;
};

void HashSink(void* context, const void* data, uint32_t size) {
    HashBytes(static_cast<Run*>(context)->hashing, data, size);
}

void Refuse(Run& run, const char* name, const std::string& sentence) {
    run.failureName = name;
    run.failureSentence = sentence;
}

void PrintListLine(const cab::Notification& n) {
    const unsigned day = n.date & 31, month = (n.date >> 5) & 15, year = 1980 + (n.date >> 9);
    const unsigned second = (n.time & 31) * 2, minute = (n.time >> 5) & 63, hour = n.time >> 11;
    const char attributes[6] = {n.attribs & 0x01 ? 'r' : '-', n.attribs & 0x02 ? 'h' : '-',
                                n.attribs & 0x04 ? 's' : '-', n.attribs & 0x20 ? 'a' : '-',
                                n.attribs & 0x40 ? 'x' : '-', '\0'};
    std::printf("%10lu  %04u-%02u-%02u %02u:%02u:%02u  %s  %s\n",
                static_cast<unsigned long>(static_cast<uint32_t>(n.size)), year, month, day, hour,
                minute, second, attributes, n.str1);
}

// CopyFile for extract: the entry's path below the folder, its folders, its file.
int OpenEntryFile(Run& run, const std::string& name) {
    const std::string& prefix = run.options->prefix;
    if (name.compare(0, prefix.size(), prefix) != 0) return 0;
    std::vector<std::string> components;
    if (!SafeRelativePath(name.substr(prefix.size()), components)) {
        Refuse(run, "UnsafeEntryName", "The entry '" + name + "' would be written outside the folder.");
        return -1;
    }
    std::string path = run.options->directory;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    for (size_t i = 0; i < components.size(); ++i) path += (i ? "/" : "") + components[i];
    CreateParentFolders(path);
    const int handle = OpenOutputFile(path);
    if (handle == -1) {
        Refuse(run, "TargetFileError", "The file '" + path + "' could not be created.");
        return -1;
    }
    run.outputPath = path;
    return handle;
}

int Notify(int kind, cab::Notification* n) {
    Run& run = *static_cast<Run*>(n->user);
    switch (kind) {
    case cab::CopyFile:
        run.entry = n->str1;
        switch (run.options->command) {
        case CabxOptions::List:
            PrintListLine(*n);
            return 0;
        case CabxOptions::Test:
            return OpenOutputSink(HashSink, &run);
        case CabxOptions::Extract:
            return OpenEntryFile(run, n->str1);
        }
        return 0;
    case cab::CloseFileInfo: {
        run.entry.clear();
        const bool closed = CloseHandle(n->handle) == 0;
        if (run.options->command == CabxOptions::Test) {
            EndHashedEntry(run.hashing, n->str1);
        } else if (closed) {
            SetEntryTimeAndAttributes(run.outputPath, n->date, n->time,
                                      static_cast<uint16_t>(n->attribs));
        } else {
            Refuse(run, "TargetFileError", "The file '" + run.outputPath + "' could not be written.");
        }
        return closed ? 1 : 0;
    }
    case cab::NextCabinet:
        // One attempt: the next cabinet is looked for beside the first, by its own name.
        if (n->error != 0) {
            Refuse(run, cab::ErrorName(n->error),
                   std::string("The next cabinet of the set, '") + n->str1 + "': " + cab::ErrorSentence(n->error));
            return -1;
        }
        return 0;
    default:
        return 0;
    }
}

}  // namespace

int RunCommand(const CabxOptions& options) {
    CabinetLocation location;
    std::string why;
    if (!LocateCabinet(options.file, location, why)) {
        std::fprintf(stderr, "cabx: NotACabinet: %s.\n", why.c_str());
        return 1;
    }
    if (location.inInstaller) {
        RegisterCabinetRange(location.folder + location.name, location.offset, location.length);
    }
    cab::ErrorRecord error;
    cab::Decoder* decoder = CreateFileDecoder(&error);
    if (decoder == nullptr) {
        std::fprintf(stderr, "cabx: %s: %s\n", cab::ErrorName(error.code), cab::ErrorSentence(error.code));
        return 1;
    }
    Run run{&options, nullptr, {}, {}, {}, {}};
    if (options.command == CabxOptions::Test) {
        run.hashing = StartHashPipeline();
        cab::SetBlockBuffer(decoder, HashBlockBuffer, run.hashing);
    }
    const int ok = cab::CopySet(decoder, location.name.c_str(), location.folder.c_str(), Notify, nullptr, &run);
    cab::Destroy(decoder);
    if (run.hashing != nullptr) FinishHashPipeline(run.hashing);
    std::fflush(stdout);
    if (ok) return 0;
    std::string name = cab::ErrorName(error.code), sentence = cab::ErrorSentence(error.code);
    if (!run.failureName.empty()) {
        name = run.failureName;
        sentence = run.failureSentence;
    } else if (error.code == cab::UnknownVersion) {
        char version[32];
        std::snprintf(version, sizeof version, " (version 0x%04x)", static_cast<unsigned>(error.detail));
        sentence += version;
    }
    if (!run.entry.empty()) sentence += " (entry '" + run.entry + "')";
    std::fprintf(stderr, "cabx: %s: %s\n", name.c_str(), sentence.c_str());
    return 1;
}
