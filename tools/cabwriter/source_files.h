// Entries from files on disk: a folder's files, recursively, as cabinet entries whose names are
// their paths relative to the folder with backslash separators, carrying each file's DOS date,
// time and attributes.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "tools/cabwriter/cabinet_writer.h"

namespace cabwriter {

// DOS date and time of a moment, in local time (the installer sets file times from them as
// local time). Moments before 1980 give 1980-01-01 00:00:00, after 2107 the last DOS moment;
// seconds are rounded down to even.
void DosDateTime(std::time_t moment, uint16_t& date, uint16_t& time);

// One file as an entry: size, date, time and attributes read from the file. Attributes: on
// Windows the file's read-only, hidden, system and archive bits; elsewhere the archive bit,
// and read-only when the owner may not write the file.
bool EntryFromFile(const std::string& path, const std::string& name, CabinetEntry& entry, std::string& error);

// Appends every regular file below folder, with the name prefix (for instance "files\") before
// its relative path, in byte order of the names. Fails on an unreadable folder, a name longer
// than a cabinet allows, and two names that differ only in letter case (they would be one file
// on Windows).
bool AddFolderFiles(const std::string& folder, const std::string& namePrefix, std::vector<CabinetEntry>& entries,
                    std::string& error);

// Sorts entries by name, byte for byte, and fails when two names are equal ignoring ASCII case.
bool SortEntries(std::vector<CabinetEntry>& entries, std::string& error);

}  // namespace cabwriter
