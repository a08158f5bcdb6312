// Identity and dispatch numbers of the Rerezed video window control. The
// program calls the control by number only: there is no type library.
#pragma once

#include <windows.h>

// {6A3C1F52-8E41-4D7B-9B20-5C7E2D8F4A61}
static const CLSID CLSID_Rerezed = {0x6a3c1f52, 0x8e41, 0x4d7b, {0x9b, 0x20, 0x5c, 0x7e, 0x2d, 0x8f, 0x4a, 0x61}};
// The default source interface (events), a dispinterface.
// {6A3C1F53-8E41-4D7B-9B20-5C7E2D8F4A61}
static const IID DIID_RerezedEvents = {0x6a3c1f53, 0x8e41, 0x4d7b, {0x9b, 0x20, 0x5c, 0x7e, 0x2d, 0x8f, 0x4a, 0x61}};
#define REREZED_CLSID_TEXT L"{6A3C1F52-8E41-4D7B-9B20-5C7E2D8F4A61}"

enum RerezedMethod : DISPID {
    RZ_SetWindowCount = 6,
    RZ_SetWindowInfoText = 11,
    RZ_SetWindowOption = 13,
    RZ_SetWindowState = 14,
    RZ_GetWindowState = 16,
    RZ_SetMaxMode = 17,
    RZ_GetMaxMode = 18,
    RZ_GetSelectedWindow = 19,
    RZ_SetSelectedWindow = 20,
    RZ_GetWindowHandle = 21,
    RZ_LoadLanguageFile = 28,
    RZ_EnableZoomRect = 30,
    RZ_ClearWindow = 32,
    RZ_SetSplitMode = 37,
    RZ_SetWindowTitle = 38,
    RZ_SetWindowMode = 39,
    RZ_SetBackImage = 41,
    // Test-only inspection, never called by the program.
    RZ_TestGetWindowTitle = 1000,      // long pane -> BSTR
    RZ_TestGetWindowInfoText = 1001,   // long pane -> BSTR
    RZ_TestGetZoomRectEnabled = 1002,  // long pane -> BOOL
    RZ_TestGetLiveObjectCount = 1003,  // -> long, every live control object of the process
    RZ_TestGetWindowMode = 1004,       // long pane -> long
    RZ_TestGetWindowOption = 1005,     // long pane, long option -> BOOL
    RZ_TestGetButtonCentre = 1006,     // long pane, long button -> MAKELONG(x, y) in the pane's client area
};

enum RerezedEvent : DISPID {
    RZ_EventSelectionChanged = 1,  // long newPane, long oldPane, long 0
    RZ_EventPaneButton = 3,        // long pane, long button, short requested state
    RZ_EventZoomRect = 7,          // long pane, long left, long top, long right, long bottom, short 0
    RZ_EventClick = -600,
    RZ_EventDblClick = -601,
};

enum RerezedPaneButton { RZ_ButtonSound = 1, RZ_ButtonSnapshot = 2, RZ_ButtonZoom = 5, RZ_ButtonClose = 7 };
enum RerezedWindowState { RZ_StateSound = 1, RZ_StateThree = 3, RZ_StateZoom = 5 };
const int kRerezedPaneCount = 4;
