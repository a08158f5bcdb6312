// The framework's core: strings, objects, exceptions, collections, files,
// times and rectangles. Program code includes <afx.h> or <afxwin.h> the way
// a framework program does.
#pragma once

#include <windows.h>
#include <tchar.h>

#include "AfxGlobals.h"
#include "CStringT.h"
#include "CObject.h"
#include "CException.h"
#include "CSimpleException.h"
#include "CMemoryException.h"
#include "CResourceException.h"
#include "CInvalidArgException.h"
#include "CFileException.h"
#include "CFile.h"
#include "CTimeSpan.h"
#include "CTime.h"
#include "CSize.h"
#include "CPoint.h"
#include "CRect.h"
#include "afxcoll.h"
