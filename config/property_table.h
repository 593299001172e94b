// PropertyTable: props.xml, every text of the installer's user interface under an id.
//
//     <Properties>
//       <String id="BUTTON_NEXT">Next &gt;</String>
//       <StringArray id="LIST"><String>one</String><String>two</String></StringArray>
//     </Properties>
//
// The first occurrence of an id wins. Right after loading, the driver copies Strings into the
// DefineTable so that a dialog text "%BUTTON_NEXT%" expands to the property text.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "config/config_document.h"

class PropertyTable : public ConfigDocument {
public:
    PropertyTable();

    bool Load(const std::string& path);

    std::map<std::string, std::string> Strings;
    std::map<std::string, std::vector<std::string>> StringArrays;

private:
    SectionResult ReadProperties(const MarkupEvent& start);
};
