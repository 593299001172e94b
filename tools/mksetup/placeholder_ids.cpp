// Every text id of the pages and message boxes. Variables that the pages also show
// (%InstallPath%, %InstallGroup%) come from defines.xml and are not listed here.
#include "tools/mksetup/placeholder_ids.h"

const std::vector<PlaceholderId>& PlaceholderIds() {
    using U = PlaceholderUse;
    static const std::vector<PlaceholderId> ids = {
        {"WELCOME_DIALOG_TITLE", U::Page, "Welcome page"},
        {"WELCOME_DIALOG_LINE1", U::Page, "Welcome page"},
        {"WELCOME_DIALOG_LINE2", U::Page, "Welcome page"},
        {"WELCOME_DIALOG_DIRECTORY", U::Page, "Welcome page"},
        {"WELCOME_DIALOG_MENU_LOCATION", U::Page, "Welcome page"},
        {"OPTIONS_DIALOG_TITLE", U::Page, "Options page"},
        {"OPTIONS_DIALOG_LINE1", U::Page, "Options page"},
        {"OPTIONS_DIALOG_DIRECTORY", U::Page, "Options page"},
        {"OPTIONS_DIALOG_MENU_LOCATION", U::Page, "Options page"},
        {"LICENSE_DIALOG_TITLE", U::Page, "License page"},
        {"LICENSE_DIALOG_LINE1", U::Page, "License page"},
        {"INSTALL_DIALOG_TITLE", U::Page, "Install page"},
        {"INSTALL_DIALOG_LINE1", U::Page, "Install page"},
        {"INSTALL_DIALOG_EXTRACTING", U::Page, "Install page"},
        {"INSTALL_DIALOG_TOTAL_PROGRESS", U::Page, "Install page"},
        {"LAUNCH_DIALOG_TITLE", U::Page, "Launch page"},
        {"LAUNCH_DIALOG_LINE1", U::Page, "Launch page"},
        {"LAUNCH_DIALOG_LINE2", U::Page, "Launch page"},
        {"LAUNCH_DIALOG_LINE3", U::Page, "Launch page"},
        {"LAUNCH_DIALOG_LAUNCH_CHECK", U::Page, "Launch page"},
        {"ABORT_DIALOG_TITLE", U::Page, "Abort page"},
        {"ABORT_DIALOG_LINE1", U::Page, "Abort page"},
        {"ABORT_DIALOG_LINE2", U::Page, "Abort page"},
        {"ABORT_DIALOG_LINE3", U::Page, "Abort page"},
        {"BUTTON_NEXT", U::Page, "Welcome and Options pages"},
        {"BUTTON_BACK", U::Page, "Options page"},
        {"BUTTON_CANCEL", U::Page, "Welcome, Options and Install pages"},
        {"BUTTON_CHANGE_SETTINGS", U::Page, "Welcome page"},
        {"BUTTON_BROWSE", U::Page, "Options page"},
        {"BUTTON_AGREE", U::Page, "License page"},
        {"BUTTON_DONT_AGREE", U::Page, "License page"},
        {"BUTTON_VIEW_README", U::Page, "Launch page"},
        {"BUTTON_DONE", U::Page, "Launch page"},
        {"BUTTON_EXIT", U::Page, "Abort page"},
        {"FATAL_POPUP_TITLE", U::Message, "title of every fatal error box"},
        {"ABORT_POPUP_TITLE", U::Message, "cancel question"},
        {"ABORT_POPUP_TEXT", U::Message, "cancel question"},
        {"DX_UPGRADE_TITLE", U::Message, "DirectX too old box"},
        {"DX_UPGRADE_TEXT", U::Message, "DirectX too old box"},
        {"UNINSTALL_ENSURE_NOT_RUNNING_TITLE", U::Message, "box when the game's files cannot be written"},
        {"UNINSTALL_ENSURE_NOT_RUNNING_TEXT", U::Message, "box when the game's files cannot be written"},
    };
    return ids;
}
