// Small helpers on narrow path texts. Both the backslash and the slash count as separators
// everywhere here; none of the functions changes its argument.
#pragma once

#include <string>
#include <vector>

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// The text before the last separator; empty when there is none.
std::string DirectoryPart(const std::string& path);

// The text after the last separator; the whole path when there is none.
std::string FileNamePart(const std::string& path);

// The text before the first separator at index 2 or later ("C:" for "C:\games\x"); the whole
// path when there is none.
std::string RootPart(const std::string& path);

// The path without its last byte when that byte is a separator (only one is removed).
std::string StripTrailingSeparator(const std::string& path);

// a-z become A-Z; every other byte, 0x80 and above included, stays as it is.
std::string UpperCase(const std::string& text);

// Creates the folder named by every prefix of path that ends before a separator, then the whole
// path. Failures (existing folders, a bare drive such as "C:", missing rights) are ignored: the
// callers find out when they use the folders.
void MakeDirectories(const std::string& path);

// Creates one folder; false when it could not be created (also when it exists).
bool CreateFolder(const std::string& path);

// Splits an entry name at "\" and "/" into its components, leaving out empty ones. False for
// a name that could leave the folder it is unpacked into: an empty name, a leading separator,
// a drive or stream (any ":"), or a ".." component.
bool SplitRelativeName(const std::string& name, std::vector<std::string>& components);
