// Loading install.xml: the root's children by exact name; Registry and Shortcuts are containers
// of records; PreExec and PostExec are records themselves. Records enter their lists at their
// end tags, whatever fields they have.
#include "install/install_config.h"

InstallConfig::InstallConfig() : ConfigDocument("InstallConfig", false) {}

SectionResult InstallConfig::AppendText(std::vector<std::string>& list) {
    std::string text;
    if (!ReadText(text)) return SectionResult::Failed;
    list.push_back(text);
    return SectionResult::Read;
}

SectionResult InstallConfig::ReadRegValue(const MarkupEvent& start) {
    if (start.Name != "RegValue") return SectionResult::Unknown;
    RegValue value;
    std::string typeNum;
    bool ok = ReadContainer([&](const MarkupEvent& field) {
        if (field.Name == "Key") return ReadTextSection(value.Key);
        if (field.Name == "Name") return ReadTextSection(value.Name);
        if (field.Name == "Value") return ReadTextSection(value.Value);
        if (field.Name == "TypeNum") {
            if (!ReadText(typeNum)) return SectionResult::Failed;
            value.TypeNum = ReadDecimal(typeNum);
            return SectionResult::Read;
        }
        return SectionResult::Unknown;
    });
    if (!ok) return SectionResult::Failed;
    Registry.push_back(value);
    return SectionResult::Read;
}

SectionResult InstallConfig::ReadShortcut(const MarkupEvent& start) {
    if (start.Name != "Shortcut") return SectionResult::Unknown;
    Shortcut shortcut;
    bool ok = ReadContainer([&](const MarkupEvent& field) {
        if (field.Name == "Dest") return ReadTextSection(shortcut.Dest);
        if (field.Name == "Target") return ReadTextSection(shortcut.Target);
        if (field.Name == "Args") return ReadTextSection(shortcut.Args);
        return SectionResult::Unknown;
    });
    if (!ok) return SectionResult::Failed;
    Shortcuts.push_back(shortcut);
    return SectionResult::Read;
}

SectionResult InstallConfig::ReadExecItem(std::vector<ExecItem>& list) {
    ExecItem item;
    bool ok = ReadContainer([&](const MarkupEvent& field) {
        if (field.Name == "Exe") return ReadTextSection(item.Exe);
        if (field.Name == "Directory") return ReadTextSection(item.Directory);
        if (field.Name == "Params") return ReadTextSection(item.Params);
        if (field.Name == "SilentFail") {
            std::string text;
            if (!ReadText(text)) return SectionResult::Failed;
            item.SilentFail = ReadDecimal(text) != 0;
            return SectionResult::Read;
        }
        return SectionResult::Unknown;
    });
    if (!ok) return SectionResult::Failed;
    list.push_back(item);
    return SectionResult::Read;
}

SectionResult InstallConfig::ReadRoot(const MarkupEvent& start) {
    const std::string& name = start.Name;
    if (name == "RunExe") return ReadTextSection(RunExe);
    if (name == "InstallLog") return ReadTextSection(InstallLog);
    if (name == "UninstallCmd") return ReadTextSection(UninstallCmd);
    if (name == "UninstallDeltree") return AppendText(UninstallDeltree);
    if (name == "UserDirectory") return AppendText(UserDirectory);
    if (name == "UninstallDelRegKey") return AppendText(UninstallDelRegKey);
    if (name == "UserRegKey") return AppendText(UserRegKey);
    if (name == "Registry") return ReadContainerSection([this](const MarkupEvent& e) { return ReadRegValue(e); });
    if (name == "Shortcuts") return ReadContainerSection([this](const MarkupEvent& e) { return ReadShortcut(e); });
    if (name == "PreExec") return ReadExecItem(PreExec);
    if (name == "PostExec") return ReadExecItem(PostExec);
    if (name == "ExFileInfo") return ReadContainerSection([](const MarkupEvent&) { return SectionResult::Unknown; });
    return SectionResult::Unknown;
}

bool InstallConfig::Load(const std::string& path) {
    return LoadFile(path, [this](const MarkupEvent& e) { return ReadRoot(e); });
}
