// The file side of `cabx extract`: folders on the way to an entry, and the entry's DOS date,
// time and attributes set on the written file as far as the OS allows.
#pragma once

#include <cstdint>
#include <string>

// Creates every folder of path up to its last separator; existing folders are fine.
void CreateParentFolders(const std::string& path);

// date and time are a DOS date and time in local time; attribs the cabinet's attributes (the
// read-only bit everywhere; hidden, system and archive on Windows).
void SetEntryTimeAndAttributes(const std::string& path, uint16_t date, uint16_t time, uint16_t attribs);
