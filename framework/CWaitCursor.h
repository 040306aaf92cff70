// A wait cursor for the length of a scope: begins the application's wait
// cursor on construction and ends it on destruction.
#pragma once

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    // Shows the wait cursor again, for example after a message box.
    void Restore();
};
