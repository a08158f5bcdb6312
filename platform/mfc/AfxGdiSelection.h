// Bookkeeping of which owned GDI objects are selected into which device
// context, so an object can be taken out of its DC before it is deleted and
// a DC can get its original objects back before it is released.
#pragma once

#include <windows.h>

// Selects obj into dc and records it; returns the previous object.
HGDIOBJ AfxSelectGdiObject(HDC dc, HGDIOBJ obj);
// If obj is selected into a recorded DC, puts that DC's original object of
// the same kind back.
void AfxDeselectGdiObject(HGDIOBJ obj);
// Puts the original objects back into dc and forgets it.
void AfxRestoreDcObjects(HDC dc);
