// The modal loops the framework runs on a thread: dialogs, file dialogs and message boxes.
// Whatever called one is still on the stack until it returns, so the windows that code
// uses must not be destroyed meanwhile.
#pragma once

#include <windows.h>

// Counts one modal loop of this thread for as long as it lives.
class CModalLoopScope {
public:
    CModalLoopScope();
    ~CModalLoopScope();
    CModalLoopScope(const CModalLoopScope&) = delete;
    CModalLoopScope& operator=(const CModalLoopScope&) = delete;
};

// TRUE while a modal loop of the framework runs on this thread.
BOOL AfxIsInModalLoop();

// Backs out of the modal dialogs and message boxes this thread shows, as a user would:
// Cancel, else No, else the lone OK of a box that only informs. A dialog that is itself
// waiting for one above it is left until that one has gone.
void AfxBackOutOfModalDialogs();
