// How the progress pages move their bars towards the worker's percentages. The bars slide in
// bounded steps per timer tick instead of jumping, so quick changes stay visible.
#pragma once

#include <algorithm>

// Largest rise of the Prepare bar per tick.
constexpr int PrepareStep = 20;
// Largest rise of the Install page's file bar per tick.
constexpr int FileStep = 25;
// A file bar above this when a new entry starts had nearly filled: it starts the new entry empty.
constexpr int FileNearlyFull = 75;
// While files are extracted the Install page's total bar covers 0 to this; the steps after the
// extraction (registry, shortcuts, commands) fill no bar.
constexpr int InstallExtractShare = 90;

// The Prepare bar only rises, by at most PrepareStep, never past totalPercent.
inline int NextPrepareShown(int shown, int totalPercent) {
    return shown < totalPercent ? std::min(shown + PrepareStep, totalPercent) : shown;
}

// The file bar rises by at most FileStep towards filePercent and falls to it at once.
inline int NextFileShown(int shown, int filePercent) {
    return shown == filePercent ? shown : std::min(shown + FileStep, filePercent);
}

// The file bar when a new entry starts: a bar that had nearly filled starts empty; one that had
// not got that far first shows the finished entry as full, and comes down on the next ticks.
inline int FileShownAtNewEntry(int shown) { return shown > FileNearlyFull ? 0 : 100; }

// The Install page's total bar for the worker's TotalPercent.
inline int InstallTotalShown(int totalPercent) { return totalPercent * InstallExtractShare / 100; }
