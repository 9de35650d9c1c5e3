#pragma once

// What the document asks of the main frame's auto-save: the main frame implements it,
// the document finds it with dynamic_cast on AfxGetMainWnd() (none in a program or test
// without that frame, and then nothing happens).

namespace leaf {

class AutoSaveHost {
public:
    virtual ~AutoSaveHost() = default;

    // Writes a fresh auto-save copy of the document now and restarts the interval.
    virtual void TakeAutoSaveCopy() = 0;
    // Stops the auto-save timer and deletes the copy and its registry entry.
    virtual void StopAutoSave() = 0;
};

// The main window's auto-save host, or null.
AutoSaveHost* GetAutoSaveHost();

}  // namespace leaf
