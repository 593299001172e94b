// The Workspace: the temporary folder that receives the cabinet and the cfg\ files for the
// length of one run.
#pragma once

#include <string>

// A name not yet in use: the folder named by TMP (when it exists; also tried with its double
// quotes removed), else "\" of the current drive, else "."; then "zelcfg" and the first free
// number. Only the name is made. False when no name fits a path buffer.
bool MakeWorkspaceName(std::string& workspace);

// Deletes a folder with everything in it. Read-only files are not made writable first, so such
// a file and the folders above it stay, while everything else goes. True when the folder is gone.
bool RemoveTree(const std::string& folder);
