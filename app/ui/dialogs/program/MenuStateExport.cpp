// The one function the program exports: a copy of the menu library's
// start-up state, for a probe that a test loads into the running program.
// It only reads. Referring to the library's state from here also keeps the
// library's start-up object in the program whatever the linker would drop.
#include "app/ui/toolkit/menu/MenuStartUpState.h"

extern "C" __declspec(dllexport) BOOL DodavoziMenuStartUpState(MenuStartUpState* state, DWORD size) {
    if (!state || size != sizeof *state) return FALSE;
    ReadMenuStartUpState(state);
    return TRUE;
}
