// A copy of the menu library's process-wide state as the start-up object
// and the window hook leave it: plain fields of fixed size, so that a caller
// outside the program (a probe loaded into it) can read it through one
// exported function without knowing the library's classes.
#pragma once

#include <windows.h>

enum : int { kMenuStateMaxThemes = 16 };

// Kinds of registered theme, by class.
enum : int { kMenuThemePlain = 0, kMenuThemeFlat = 1, kMenuThemeGradient = 2 };

struct MenuStartUpState {
    UINT64 hook;  // the thread's window hook; 0 when none
    int winVersion;
    int isWine;
    int isHighContrast;
    int isRemoteSession;
    int uxThemeBound;  // the module, then IsThemeActive and SetWindowTheme
    int isThemeActiveBound;
    int setWindowThemeBound;
    int msimg32Bound;  // the module, then GradientFill
    int gradientFillBound;
    int themeCount;  // -1 when there is no registry
    int themeIds[kMenuStateMaxThemes];
    int themeKinds[kMenuStateMaxThemes];
    int themeFlags[kMenuStateMaxThemes];
    int themeHasRoutines[kMenuStateMaxThemes];
    int currentStyle;      // -1 when no style is current
    int hookDataCount;     // subclassed popup windows
    int sharedIconStores;  // -1 when there is no shared list
};

// Fills state from the library's statics; reads only.
void ReadMenuStartUpState(MenuStartUpState* state);
