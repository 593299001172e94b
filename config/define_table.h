// DefineTable: the installer's variables, name to text, and %Name% expansion.
//
// Every configurable text passes through Expand before it is used, so captions and messages get
// their wording and install paths get the folder chosen in the wizard. Values are stored as
// written; references in them are resolved only when expanded.
//
// The defines document (defines.xml and every attached defines text):
//
//     <Defines>
//       <Define><Name>InstallPath</Name><Value>%ProgramFiles%\Game\</Value></Define>
//     </Defines>
#pragma once

#include <map>
#include <string>

#include "config/config_document.h"

class DefineTable : public ConfigDocument {
public:
    DefineTable();

    // Stores value under name, replacing an earlier value; any name is accepted, "" included.
    void Set(const std::string& name, const std::string& value);
    // The value stored under name (case-sensitive); the empty text when there is none.
    const std::string& Lookup(const std::string& name) const;
    // Replaces %Name% pairs, paired strictly from the left, until none is left (see the .cpp).
    std::string Expand(const std::string& text) const;

    // Reads a defines document; every complete Define with a non-empty Name is Set.
    bool LoadFile(const std::string& path);
    bool LoadText(const std::string& text);

    const std::map<std::string, std::string>& Variables() const { return variables_; }

    // Bounds that end the expansion of a text whose variables refer to themselves.
    static constexpr size_t MaxReplacements = 100000;
    static constexpr size_t MaxExpandedLength = 16 * 1024 * 1024;

private:
    SectionResult ReadDefines(const MarkupEvent& start);
    std::map<std::string, std::string> variables_;
};
