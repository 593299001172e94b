// `mksetup inspect`: prints an installer's payload chain, record by record in file order, with
// the entries of its cabinets and the first line of its defines texts.
#pragma once

#include <cstdio>
#include <string>

bool InspectInstaller(const std::string& path, std::FILE* out, std::string& error);
