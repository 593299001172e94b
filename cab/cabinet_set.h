// Reading a whole set of cabinets through the public operations, as an extracting client does:
// one Copy per cabinet, from the first, each next cabinet being the one the previous cabinet
// names in szCabinetNext. Entries that cross into the next cabinet are finished by the Copy that
// started them (the decoder moves on by itself); the following Copy starts where they end.
#pragma once

#include "cab/cabinet.h"

namespace cab {

// Returns 1 when every cabinet of the set was copied, 0 at the first failure (the error record
// given to Create tells why; a set whose cabinets do not follow each other in iCabinet order
// fails with WrongCabinet). notify, hook and user are as for Copy.
int CopySet(Decoder* decoder, const char* firstCabinet, const char* cabinetPath,
            NotifyFunction notify, HookFunction hook, void* user);

}  // namespace cab
