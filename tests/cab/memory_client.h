// A CabinetDecoder client for the tests that keeps every file in memory: cabinets are put on a
// small in-memory disk (names compared without regard to case, as on Windows), entries are
// written into memory, and every notification and hook call is recorded. What the client answers
// can be changed per test; allocation failures can be injected.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cab/cabinet.h"

namespace cabtest {

struct ExtractedEntry {
    std::string name;
    std::vector<uint8_t> data;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attribs = 0;    // as CloseFileInfo gave them
    int32_t runFlag = 0;     // CloseFileInfo's size: 1 when the entry is to be run
};

struct Event {
    int kind;          // a NotificationKind, or 100 + a HookKind
    std::string str1;  // the record's str1 at the call
    int32_t size;
    uint16_t iFolder;
    int32_t error;
};

// Everything one test's calls to the decoder produced.
struct Session {
    std::vector<Event> events;
    std::vector<ExtractedEntry> entries;
    int blocksRead = 0;
    int openHandles = 0;  // handles opened and not yet closed (cabinets and outputs)
};

void ResetDisk();
void PutFile(const std::string& name, std::vector<uint8_t> bytes);
// Reads a real file into the disk under its base name; false when it cannot be read.
bool PutRealFile(const std::string& path, const std::string& name);
std::vector<uint8_t>& DiskFile(const std::string& name);

Session& CurrentSession();
void ResetSession();

// Answers the tests may replace; each gets the record and returns what notify returns, or
// std::nullopt-like -2 to fall back on the default answer.
constexpr int DefaultAnswer = -2;
using NotifyPolicy = std::function<int(int kind, cab::Notification* record)>;
using HookPolicy = std::function<int(cab::HookRecord* record)>;
void SetNotifyPolicy(NotifyPolicy policy);
void SetHookPolicy(HookPolicy policy);
// The n-th allocation from now (0 = the next) fails; -1 lets all succeed.
void FailAllocation(int n);
// Writes of more than limit bytes in total to one output come back short; -1 means no limit.
void LimitWrites(int64_t limit);

// The seven client functions and the recording notify and hook.
cab::Decoder* CreateDecoder(cab::ErrorRecord* error);
int Notify(int kind, cab::Notification* record);
int Hook(cab::HookRecord* record);

// Copy of one cabinet on a fresh session with the default answers (every entry extracted).
struct CopyResult {
    int result = 0;
    cab::ErrorRecord error;
    Session session;
};
CopyResult CopyOne(const std::string& cabinet, cab::HookFunction hook = Hook);

// Reads a set the way an extracting client does: one Copy per cabinet, from the first, each
// next cabinet taken from the szCabinetNext the previous Copy's cabinet names. The entries of
// every Copy are collected; it stops at the first failure.
CopyResult CopySet(const std::string& firstCabinet);

}  // namespace cabtest
