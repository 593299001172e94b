// The CabinetExtractor: takes from one cabinet every entry whose name begins with a prefix and
// writes it below a destination folder, the prefix removed from its name, its folders created,
// its date, time and attributes taken from the cabinet.
//
// It reads the cabinet twice: a counting pass that skips every entry (so the decoder reads no
// data block) and sums the disk space the whole cabinet needs and the bytes under the prefix,
// then the extracting pass. Progress goes to the shared extraction state, which the progress
// pages poll from the user-interface thread.
#pragma once

#include <string>

// Extracts the entries of cabinetFile whose names begin with prefix (byte for byte) into
// destination, which is joined to the rest of each name as it stands (so it ends with a
// separator, or is empty). Resets SpaceNeeded and the byte counters; appends every file it
// opens to ExtractedFiles. An entry whose name would leave the destination (a ".." component,
// a drive, a leading separator) or whose path does not fit 255 bytes ends the extraction with
// failure before anything of it is written.
bool Extract(const std::string& cabinetFile, const std::string& prefix, const std::string& destination);

// Disk space an entry of this size takes in SpaceNeeded: rounded down to a multiple of 32768,
// plus 32768.
int64_t RoundedEntrySpace(uint32_t size);

// True when a name (prefix removed) stays below the folder it is joined to.
bool IsSafeRelativeName(const std::string& name);

// Resets the progress and starts the PrepareWorker thread, which extracts ExtractPrefix of
// CabinetFile into ExtractDestination and then publishes WorkerDone. False when the thread
// could not start (WorkerDone and ExtractFailed are then set, so the page ends at once).
bool StartPrepareWorker();

// The reset both workers do before they start: WorkerDone cleared, percentages 0, no entry name.
void ResetWorkerProgress();
