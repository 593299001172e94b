// CopySet (see cabinet_set.h). The client's notify and hook are wrapped so that the first
// CabinetInfo of each Copy, which describes the cabinet being copied, can be read on the way;
// the records the client sees carry its own user value as always.
#include "cab/cabinet_set.h"

#include <cstring>

#include "cab/cab_format.h"
#include "cab/cabinet_internal.h"

namespace cab {
namespace {

struct SetWalk {
    NotifyFunction notify;
    HookFunction hook;
    void* user;
    bool firstInfo;       // the next CabinetInfo is the copied cabinet's own
    bool haveIndex;
    uint16_t iCabinet;    // of the cabinet being copied
    char next[MaxStringSize];
};

int WalkNotify(int kind, Notification* record) {
    SetWalk* walk = static_cast<SetWalk*>(record->user);
    if (kind == CabinetInfo && walk->firstInfo) {
        walk->firstInfo = false;
        std::strncpy(walk->next, record->str1, sizeof walk->next - 1);
        walk->next[sizeof walk->next - 1] = '\0';
        walk->haveIndex = true;
        walk->iCabinet = record->iCabinet;
    }
    record->user = walk->user;
    const int result = walk->notify(kind, record);
    record->user = walk;
    return result;
}

int WalkHook(HookRecord* record) {
    SetWalk* walk = static_cast<SetWalk*>(record->user);
    record->user = walk->user;
    const int result = walk->hook(record);
    record->user = walk;
    return result;
}

}  // namespace

int CopySet(Decoder* decoder, const char* firstCabinet, const char* cabinetPath,
            NotifyFunction notify, HookFunction hook, void* user) {
    SetWalk walk{notify, hook, user, true, false, 0, {}};
    char cabinet[MaxStringSize];
    std::strncpy(cabinet, firstCabinet, sizeof cabinet - 1);
    cabinet[sizeof cabinet - 1] = '\0';
    int previousIndex = -1;
    while (cabinet[0] != '\0') {
        walk.firstInfo = true;
        walk.haveIndex = false;
        walk.next[0] = '\0';
        if (!Copy(decoder, cabinet, cabinetPath, 0, WalkNotify, hook ? WalkHook : nullptr, &walk)) return 0;
        // Each cabinet must come after the one before: a set naming an earlier cabinet again
        // would otherwise be read for ever.
        if (walk.haveIndex) {
            if (static_cast<int>(walk.iCabinet) <= previousIndex) {
                Fail(*decoder, WrongCabinet);
                return 0;
            }
            previousIndex = walk.iCabinet;
        }
        std::memcpy(cabinet, walk.next, sizeof cabinet);
    }
    return 1;
}

}  // namespace cab
