// The framework's core: strings, objects, collections, files, times.
// Program code includes <afx.h> or <afxwin.h> the way a framework program does.
#pragma once

#include <windows.h>
#include <tchar.h>

#include "CStringT.h"
#include "AfxGlobals.h"
