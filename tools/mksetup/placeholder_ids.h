// The %ID% texts the installer's pages and messages show: one table, read by mksetup's package
// check (which warns about ids that the package does not define) and by the test that holds it
// against the dialog templates and the driver's messages.
#pragma once

#include <vector>

enum class PlaceholderUse {
    Page,     // a caption or control text of a dialog template (res/installer.rc)
    Message,  // the title or text of a message box the installer or the uninstaller shows
};

struct PlaceholderId {
    const char* id;         // without the % signs
    PlaceholderUse use;
    const char* shownOn;    // where the text appears, for the warning
};

const std::vector<PlaceholderId>& PlaceholderIds();
