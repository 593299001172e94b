// InstallConfig: install.xml, what the installation does beyond unpacking the game's files.
//
//     <InstallConfig>
//       <RunExe>%InstallPath%game.exe</RunExe>
//       <InstallLog>%InstallPath%install.log</InstallLog>
//       <Registry><RegValue><Key>HKLM\Software\Game</Key><TypeNum>1</TypeNum>
//                 <Name>Path</Name><Value>%InstallPath%</Value></RegValue></Registry>
//       <Shortcuts><Shortcut><Dest>%AppFolder%\Play</Dest><Target>...</Target></Shortcut></Shortcuts>
//       <PreExec><Exe>...</Exe><SilentFail>1</SilentFail></PreExec>
//     </InstallConfig>
//
// Every value is stored as written (unexpanded); its user expands it at the moment of use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/config_document.h"

struct RegValue {
    std::string Key;
    int32_t TypeNum = 0;
    std::string Name;
    std::string Value;
};

struct Shortcut {
    std::string Dest;
    std::string Target;
    std::string Args;
};

struct ExecItem {
    std::string Exe;
    std::string Directory;
    std::string Params;
    bool SilentFail = false;
};

class InstallConfig : public ConfigDocument {
public:
    InstallConfig();

    bool Load(const std::string& path);

    std::vector<RegValue> Registry;
    std::vector<Shortcut> Shortcuts;
    std::vector<ExecItem> PreExec;
    std::vector<ExecItem> PostExec;
    std::string RunExe;
    std::string InstallLog;
    std::string UninstallCmd;
    std::vector<std::string> UninstallDeltree;
    std::vector<std::string> UserDirectory;
    std::vector<std::string> UninstallDelRegKey;
    std::vector<std::string> UserRegKey;

private:
    SectionResult ReadRoot(const MarkupEvent& start);
    SectionResult ReadRegValue(const MarkupEvent& start);
    SectionResult ReadShortcut(const MarkupEvent& start);
    SectionResult ReadExecItem(std::vector<ExecItem>& list);
    SectionResult AppendText(std::vector<std::string>& list);
};
