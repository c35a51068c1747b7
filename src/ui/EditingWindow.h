#pragma once

class QMdiArea;

// A child window that may hold an edited row not yet written. The main
// window asks each one before File > Exit ends the program, so no path drops
// an edit silently.
class EditingWindow
{
public:
    virtual ~EditingWindow() = default;
    // Asks "Commit changes?" for a pending edit and writes or drops it.
    // False when the user chose to write it and the write failed: the edit
    // is still there, so the program must not end.
    virtual bool resolvePendingEdit() = 0;
};

// Asks every child window of area about its edited row, as File > Exit
// does, before a command changes the league under them. False when a wanted
// write failed: the command must not run.
bool settlePendingEdits(QMdiArea* area);
