// The shortcut step. The shortcut files are written by the shell's objects through IPersistFile,
// never byte by byte here, so they are whatever the system's shell makes of them.
#include "install/shortcuts.h"

#include <intshcut.h>
#include <shlobj.h>

#include "config/paths.h"
#include "driver/installer_state.h"
#include "driver/messages.h"
#include "install/install_log.h"

namespace {

// The shell's file-name buffer: 260 UTF-16 code units, the terminator included.
constexpr int kSaveNameUnits = MAX_PATH;

// The file name in UTF-16 from the system code page; false when it does not fit the buffer with
// its terminator, so that no shortcut is ever saved under a cut name.
bool WideFileName(const std::string& name, WCHAR (&wide)[kSaveNameUnits]) {
    return MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, kSaveNameUnits) > 0;
}

// Saves the shell object behind unknown through its IPersistFile.
bool SaveThrough(IUnknown* unknown, const WCHAR* fileName) {
    ComRef<IPersistFile> file;
    if (FAILED(unknown->QueryInterface(IID_IPersistFile, file.ReceiveVoid()))) return false;
    return SUCCEEDED(file->Save(fileName, TRUE));
}

bool SaveInternetShortcut(const std::string& url, const WCHAR* fileName) {
    ComRef<IUniformResourceLocatorA> locator;
    if (FAILED(CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER, IID_IUniformResourceLocatorA,
                                locator.ReceiveVoid())))
        return false;
    locator->SetURL(url.c_str(), 0);
    return SaveThrough(locator.get(), fileName);
}

// A shell link's results of the Set calls are not examined: the link is saved with whatever
// the shell accepted.
bool SaveShellLink(const std::string& target, const std::string& description, const std::string& arguments,
                   const WCHAR* fileName) {
    ComRef<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.ReceiveVoid())))
        return false;
    link->SetPath(target.c_str());
    link->SetDescription(description.c_str());
    link->SetArguments(arguments.c_str());
    link->SetWorkingDirectory(DirectoryPart(target).c_str());
    return SaveThrough(link.get(), fileName);
}

}  // namespace

bool IsInternetShortcut(const std::string& target) { return target.compare(0, 7, "http://") == 0; }

bool CreateShortcut(const std::string& target, const std::string& destination, const std::string& description,
                    const std::string& arguments) {
    // The folder chain is made first and stays even when the shortcut fails below.
    MakeDirectories(DirectoryPart(destination));
    bool internet = IsInternetShortcut(target);
    WCHAR fileName[kSaveNameUnits];
    if (!WideFileName(destination + (internet ? ".url" : ".lnk"), fileName)) return false;
    if (internet) return SaveInternetShortcut(target, fileName);
    return SaveShellLink(target, description, arguments, fileName);
}

bool CreateShortcuts() {
    ComApartment apartment;
    const DefineTable& defines = Defines();
    for (const Shortcut& shortcut : Config().Shortcuts) {
        std::string destination = defines.Expand(shortcut.Dest);
        std::string target = defines.Expand(shortcut.Target);
        std::string arguments = defines.Expand(shortcut.Args);
        // Recorded before it is made, so that the uninstaller also removes a half-made one.
        WriteLogLine(IsInternetShortcut(target) ? LogLine::ShortcutUrl : LogLine::ShortcutLink, destination);
        if (!CreateShortcut(target, destination, FileNamePart(destination), arguments)) {
            FatalMessage("Failed to Create Link to '" + target + "'");
            return false;
        }
    }
    return true;
}
