// Loading props.xml. A StringArray whose id already exists is still read and checked whole
// before it is dropped, so a broken duplicate is reported like any other error.
#include "config/property_table.h"

namespace {

std::string IdOf(const MarkupEvent& start) {
    auto found = start.Attributes.find("id");
    return found == start.Attributes.end() ? std::string() : found->second;
}

}  // namespace

PropertyTable::PropertyTable() : ConfigDocument("Properties", true) {}

SectionResult PropertyTable::ReadProperties(const MarkupEvent& start) {
    if (start.Name == "String") {
        std::string text;
        if (!ReadText(text)) return SectionResult::Failed;
        Strings.emplace(IdOf(start), text);  // keeps an existing entry
        return SectionResult::Read;
    }
    if (start.Name == "StringArray") {
        std::vector<std::string> items;
        bool ok = ReadContainer([&](const MarkupEvent& item) {
            if (item.Name != "String") return SectionResult::Unknown;
            std::string text;
            if (!ReadText(text)) return SectionResult::Failed;
            items.push_back(text);
            return SectionResult::Read;
        });
        if (!ok) return SectionResult::Failed;
        StringArrays.emplace(IdOf(start), std::move(items));
        return SectionResult::Read;
    }
    return SectionResult::Unknown;
}

bool PropertyTable::Load(const std::string& path) {
    return LoadFile(path, [this](const MarkupEvent& e) { return ReadProperties(e); });
}
