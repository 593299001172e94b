// Every install log line byte for byte: tabs, tags, fixed prefixes and encoded values.
#include <gtest/gtest.h>

#include "install/install_log_lines.h"

namespace {

TEST(InstallLogLines, EveryKind) {
    const std::tuple<LogLine, std::string, std::string> cases[] = {
        {LogLine::Begin, "", "<InstallLog>"},
        {LogLine::InstallName, "Zel & Co", "\t<InstallName>Zel &amp; Co</InstallName>"},
        {LogLine::UninstallDeltree, "C:\\Games\\Zel", "\t<UninstallDeltree>C:\\Games\\Zel</UninstallDeltree>"},
        {LogLine::UserDirectory, "C:\\Save  Games", "\t<UserDirectory>C:\\Save &nbsp;Games</UserDirectory>"},
        {LogLine::UninstallDelRegKey, "HKLM\\Software\\Zel", "\t<UninstallDelRegKey>HKLM\\Software\\Zel</UninstallDelRegKey>"},
        {LogLine::UserRegKey, "HKCU\\Software\\Zel", "\t<UserRegKey>HKCU\\Software\\Zel</UserRegKey>"},
        {LogLine::File, "C:\\Games\\Zel\\a<b>.txt", "\t<File>C:\\Games\\Zel\\a&lt;b&gt;.txt</File>"},
        {LogLine::RegistryBegin, "", "\t<Registry>"},
        {LogLine::RegValueBegin, "", "\t\t<RegValue>"},
        {LogLine::RegKey, "HKLM\\Software\\\"Zel\"", "\t\t\t<Key>HKLM\\Software\\&quot;Zel&quot;</Key>"},
        {LogLine::RegName, "line\nbreak\r", "\t\t\t<Name>line&cr;break&lf;</Name>"},
        {LogLine::RegValueEnd, "", "\t\t</RegValue>"},
        {LogLine::RegistryEnd, "", "\t</Registry>"},
        {LogLine::UninstallKey, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zel's",
         "\t<UninstallDelRegKey>HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zel&apos;s</UninstallDelRegKey>"},
        {LogLine::ShortcutLink, "C:\\Menu\\Zel\\Play", "\t<File>C:\\Menu\\Zel\\Play.lnk</File>"},
        {LogLine::ShortcutUrl, "C:\\Menu\\Zel\\Web  Site", "\t<File>C:\\Menu\\Zel\\Web &nbsp;Site.url</File>"},
        {LogLine::End, "", "</InstallLog>"},
    };
    for (const auto& [kind, value, line] : cases) EXPECT_EQ(FormatLogLine(kind, value), line) << line;
}

}  // namespace
