// The single instances of the installer's process-wide objects.
#include "driver/installer_state.h"

InstallerState& Installer() {
    static InstallerState state;
    return state;
}

DefineTable& Defines() {
    static DefineTable table;
    return table;
}

PropertyTable& Properties() {
    static PropertyTable table;
    return table;
}

InstallConfig& Config() {
    static InstallConfig config;
    return config;
}
