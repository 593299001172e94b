// Where cabx finds the cabinet in the FILE it is given: the file itself when it starts with a
// cabinet's signature, else the cabinet record of an installer's payload chain that lies nearest
// the start of the file.
#pragma once

#include <cstdint>
#include <string>

struct CabinetLocation {
    std::string folder;  // FILE's folder with its trailing separator, or empty
    std::string name;    // FILE's name
    bool inInstaller = false;
    int64_t offset = 0;  // the cabinet's bytes within FILE
    int64_t length = -1; // -1: to the end of the file
};

// False with a sentence in why when FILE cannot be read or holds no cabinet.
bool LocateCabinet(const std::string& file, CabinetLocation& location, std::string& why);
