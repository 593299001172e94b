// Install log line texts.
#include "install/install_log_lines.h"

#include "config/entities.h"

namespace {

struct LineFormat {
    LogLine kind;
    int tabs;
    const char* head;
    const char* tail;  // null for lines without a value
};

constexpr LineFormat kFormats[] = {
    {LogLine::Begin, 0, "<InstallLog>", nullptr},
    {LogLine::InstallName, 1, "<InstallName>", "</InstallName>"},
    {LogLine::UninstallDeltree, 1, "<UninstallDeltree>", "</UninstallDeltree>"},
    {LogLine::UserDirectory, 1, "<UserDirectory>", "</UserDirectory>"},
    {LogLine::UninstallDelRegKey, 1, "<UninstallDelRegKey>", "</UninstallDelRegKey>"},
    {LogLine::UserRegKey, 1, "<UserRegKey>", "</UserRegKey>"},
    {LogLine::File, 1, "<File>", "</File>"},
    {LogLine::RegistryBegin, 1, "<Registry>", nullptr},
    {LogLine::RegValueBegin, 2, "<RegValue>", nullptr},
    {LogLine::RegKey, 3, "<Key>", "</Key>"},
    {LogLine::RegName, 3, "<Name>", "</Name>"},
    {LogLine::RegValueEnd, 2, "</RegValue>", nullptr},
    {LogLine::RegistryEnd, 1, "</Registry>", nullptr},
    {LogLine::UninstallKey, 1, "<UninstallDelRegKey>HKLM\\", "</UninstallDelRegKey>"},
    {LogLine::ShortcutLink, 1, "<File>", ".lnk</File>"},
    {LogLine::ShortcutUrl, 1, "<File>", ".url</File>"},
    {LogLine::End, 0, "</InstallLog>", nullptr},
};

static_assert(sizeof kFormats / sizeof kFormats[0] == static_cast<size_t>(LogLine::End) + 1,
              "one format per line kind");

}  // namespace

std::string FormatLogLine(LogLine kind, const std::string& value) {
    const LineFormat& format = kFormats[static_cast<size_t>(kind)];
    std::string line(static_cast<size_t>(format.tabs), '\t');
    line += format.head;
    if (format.tail) {
        line += EncodeEntities(value);
        line += format.tail;
    }
    return line;
}
