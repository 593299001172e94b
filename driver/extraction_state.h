// The extraction state shared between a worker thread (the one that extracts) and the
// user-interface thread (the progress pages and the driver, which only read it).
//
// The percentages and the flags are single words written and read whole. The name of the entry
// being written is copied under a lock on both sides, so a page never shows a mix of two names.
// WorkerDone is the worker's last write, published with release ordering and read with acquire
// ordering: a page that sees it set also sees every value written before it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Bytes of CurrentEntry: at most 255 bytes of name and the terminator.
constexpr size_t CurrentEntrySize = 256;

struct ExtractionState {
    std::atomic<int> TotalPercent{0};  // 0..100: share of the selected entries' bytes written
    std::atomic<int> FilePercent{0};   // 0..100: share of the current entry written
    std::atomic<bool> ExtractFailed{false};
    int64_t SpaceNeeded = 0;                 // bytes the whole cabinet needs on disk
    std::vector<std::string> ExtractedFiles;  // every file opened for writing, in order
};

ExtractionState& Extraction();

// The name (prefix removed) of the entry being written; empty between entries.
std::string CurrentEntry();
// Sets the name, cut at 255 bytes; an empty text clears it.
void SetCurrentEntry(const std::string& name);

// WorkerDone: cleared when a worker is started, set as its very last action.
void ClearWorkerDone();
void PublishWorkerDone();
bool WorkerDone();
