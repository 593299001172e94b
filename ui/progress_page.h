// What the two progress pages (Prepare, Install) share: a timer that polls the shared extraction
// state, and Cancel, which after the question raises Aborted and holds the page until the worker
// is done, so that the driver never moves on while a worker is still running.
#pragma once

#include <windows.h>

// What sets one progress page apart.
struct ProgressPage {
    UINT periodMs;                         // how often tick runs
    bool framed;                           // paints the page frame and answers static colours
    void (*setUp)(HWND page);              // texts and bar ranges, on WM_INITDIALOG
    void (*tick)(HWND page, void* display);  // one poll; ends the page when the worker is done
    void* display;                         // what the page shows, kept from tick to tick
};

// Shows the page; returns PageNext (ended by its tick) or PageCancel. It never returns PageCancel
// before WorkerDone, also when the dialog could not be created.
int ShowProgressPage(int templateId, ProgressPage& page);

// Ends a progress page from its tick.
void FinishProgressPage(HWND page);
