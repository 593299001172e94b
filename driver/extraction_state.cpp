// The single extraction state of the process.
#include "driver/extraction_state.h"

#include <mutex>

namespace {

std::mutex& EntryLock() {
    static std::mutex lock;
    return lock;
}

std::string& EntryName() {
    static std::string name;
    return name;
}

std::atomic<bool>& DoneFlag() {
    static std::atomic<bool> done{false};
    return done;
}

}  // namespace

ExtractionState& Extraction() {
    static ExtractionState state;
    return state;
}

std::string CurrentEntry() {
    std::lock_guard<std::mutex> hold(EntryLock());
    return EntryName();
}

void SetCurrentEntry(const std::string& name) {
    std::lock_guard<std::mutex> hold(EntryLock());
    EntryName().assign(name, 0, CurrentEntrySize - 1);
}

void ClearWorkerDone() { DoneFlag().store(false, std::memory_order_release); }
void PublishWorkerDone() { DoneFlag().store(true, std::memory_order_release); }
bool WorkerDone() { return DoneFlag().load(std::memory_order_acquire); }
