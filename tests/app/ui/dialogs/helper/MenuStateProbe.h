// What the menu-state probe writes from inside the running program: the
// menu library's state and what it finds on the visible popup-menu windows
// of the program's user-interface thread. One record per request, and one
// more at exit, after the program's static objects are gone.
#pragma once

#include <windows.h>

#include "app/ui/toolkit/menu/MenuStartUpState.h"

// Posted to a window of the program's user-interface thread; wParam is the
// request number, which names the record file.
const wchar_t kMenuProbeMessage[] = L"DodavoziMenuProbeRequest";
// The environment variable naming the records' folder and file prefix.
const wchar_t kMenuProbeOutput[] = L"DODAVOZI_MENU_PROBE_OUTPUT";
// The probe's WH_GETMESSAGE procedure, by name.
const char kMenuProbeHookName[] = "MenuProbeGetMessage";

struct MenuProbeRecord {
    int stateRead;  // the program's export answered
    MenuStartUpState state;
    int popups;              // visible "#32768" windows of the thread
    int popupsSubclassed;    // of those, with a window procedure not their class's
    int popupsWithProperty;  // of those, with the subclassed popup's property
    int oldHookStillSet;     // exit record only: the start-up hook could still be removed
};
