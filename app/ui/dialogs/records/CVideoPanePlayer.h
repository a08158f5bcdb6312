// CVideoPanePlayer: plays files and passes play commands in the record
// manager's video panes, each pane the engine slot of the same index (through
// GetRecordEngine()). Pane -1 is the control's selected pane. The main window
// serves the record manager with it. UI thread.
#pragma once

#include <afxwin.h>

#include <vector>

class CRerezedctrl1;

class CVideoPanePlayer {
public:
    static const int kPaneCount = 4;
    // PlayFilesInPane's result when no pane is selected.
    static const int kNoPaneSelected = -101;

    // The video window control while it exists (null to detach).
    void Attach(CRerezedctrl1* control) { m_control = control; }
    // The control while its window exists; null otherwise.
    CRerezedctrl1* LiveControl() const;
    // A pane index (0..3), the selected pane for -1; -1 when there is none.
    int ResolvePane(int pane) const;

    // -1 when there is no such pane, else 0.
    int PlayControl(int pane, int command, int value);
    // The pane's play list replaced by the files: kNoPaneSelected without a
    // pane, else the engine's result.
    int PlayFilesInPane(int pane, int first, int second, const std::vector<CString>& paths);

private:
    CRerezedctrl1* m_control = nullptr;
};
