// Where mksetup finds the installer stub when --stub is not given: setup-stub.exe beside the
// mksetup executable (an installed or win32 build), then in ../win32/bin/ relative to it (the
// native build's build/bin/ next to the win32 build's build/win32/bin/).
#pragma once

#include <string>
#include <vector>

// The first candidate that exists; empty when none does. tried lists every candidate looked at.
std::string FindDefaultStub(const char* argv0, std::vector<std::string>& tried);
