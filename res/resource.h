// Ids of the installer's dialog templates and of their controls, shared by res/installer.rc and
// the page code in ui/. A page ends with the id of the control that ended it, so the button ids
// are also the page results the driver acts on.
#pragma once

// Dialog templates, one per page.
#define IDD_LICENSE 101
#define IDD_OPTIONS 102
#define IDD_WELCOME 103
#define IDD_INSTALL 104
#define IDD_ABORT 106
#define IDD_PREPARE 107
#define IDD_LAUNCH 108

// Buttons (their ids are the page results).
#define IDC_CANCEL 2             /* the system's IDCANCEL: Escape and the close box send it too */
#define IDC_DONE 6               /* Launch: Done */
#define IDC_VIEW_README 8        /* Launch: show readme.txt */
#define IDC_BACK 110             /* Options: back to Welcome */
#define IDC_BROWSE 1007          /* Options: folder picker */
#define IDC_NEXT 1014            /* Next, and the License page's agree button */
#define IDC_CHANGE_SETTINGS 1018 /* Welcome: go to Options */

// Texts, boxes and bars.
#define IDC_LICENSE_TEXT 1001    /* License: the read-only license box */
#define IDC_INSTALL_FOLDER 1006  /* Options: install folder box */
#define IDC_START_MENU_GROUP 1008 /* Options: Start-menu group box */
#define IDC_TOTAL_BAR 1011       /* Install: progress of the whole install */
#define IDC_FILE_BAR 1012        /* Install: progress of the current file */
#define IDC_EXTRACTING_LINE 1013 /* Install: the line naming the current file */
#define IDC_PREPARE_BAR 1015     /* Prepare: progress of the cfg\ extraction */
#define IDC_HEADING 1019         /* every page but Prepare: the red heading */
#define IDC_WELCOME_FOLDER 1020  /* Welcome: the install folder */
#define IDC_WELCOME_GROUP 1021   /* Welcome: the Start-menu group */
#define IDC_LAUNCH_CHECK 1022    /* Launch: start the program after Done */

// Static texts nobody addresses.
#define IDC_STATIC_TEXT -1
