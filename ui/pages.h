// The installer's wizard pages. Each function shows one page as a modal dialog without an owner
// window, from the templates linked into the running executable, and returns the id of the
// control that ended it; the driver decides where to go next.
//
// Every page but Prepare paints the page frame and uses Pages().PageBrush and HeadingFont, which
// the driver creates before the first page; the progress bars need the common controls to be
// initialised. The progress pages poll the shared extraction state: the driver starts the page's
// worker first, and the page does not return before WorkerDone once a Cancel was confirmed.
//
// A page whose dialog cannot be created shows a fatal message (which sets Aborted) and returns
// PageCancel; a progress page first waits for WorkerDone, so no worker outlives it.
#pragma once

// Page results, the ids of the buttons that end the pages.
enum PageResult {
    PageCancel = 2,            // Cancel confirmed (Cancel, Don't Agree, Exit, close box, Escape)
    PageDoneAndLaunch = 6,     // Launch: Done with the launch check box ticked
    PageDoneNoLaunch = 7,      // Launch: Done with the check box cleared
    PageBack = 110,            // Options: Back
    PageNext = 1014,           // Next, Agree, and a progress page whose worker has finished
    PageChangeSettings = 1018, // Welcome: Change Settings
};

// Progress page over the PrepareWorker (cfg\ extraction): PageNext once the worker is done and
// the bar has caught up with TotalPercent, or as soon as ExtractFailed is set; PageCancel.
int ShowPreparePage();
// PageNext, PageChangeSettings or PageCancel.
int ShowWelcomePage();
// Install folder and Start-menu group; Next stores them in InstallPath and InstallGroup.
// PageNext, PageBack or PageCancel.
int ShowOptionsPage();
// Workspace\license.txt; PageNext (agree) or PageCancel.
int ShowLicensePage();
// Progress page over the InstallWorker: PageNext when the worker is done, or PageCancel.
int ShowInstallPage();
// PageDoneAndLaunch, PageDoneNoLaunch, or PageCancel when closed (no question asked).
int ShowLaunchPage();
// The page shown when the run was abandoned; PageCancel.
int ShowAbortPage();
