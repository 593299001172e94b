// Turning a cabinet entry's name into a relative path that stays inside the extraction folder.
#pragma once

#include <string>
#include <vector>

// Splits name at "\" and "/" into its components, dropping empty ones in the middle. Fails (false)
// for an empty name, a leading separator, a drive or stream (any ":"), and a "." or ".."
// component: each could make the path leave the folder it is extracted to.
bool SafeRelativePath(const std::string& name, std::vector<std::string>& components);
