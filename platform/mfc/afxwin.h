// Windows, dialogs, controls and GDI wrappers of the framework.
#pragma once

#include "afx.h"

#include <commctrl.h>

#include "AfxMessageMap.h"
#include "CCmdTarget.h"
#include "CCmdUI.h"
#include "CWinThread.h"
#include "CWinApp.h"
#include "CWnd.h"
#include "CDialog.h"
#include "CUserException.h"
#include "CDataExchange.h"
#include "AfxDDX.h"
#include "CGdiObject.h"
#include "CPen.h"
#include "CBrush.h"
#include "CFont.h"
#include "CBitmap.h"
#include "CRgn.h"
#include "CDC.h"
#include "CPaintDC.h"
#include "CClientDC.h"
#include "CWindowDC.h"
#include "CMenu.h"
#include "CScrollBar.h"
#include "CButton.h"
#include "CStatic.h"
#include "CEdit.h"
#include "CComboBox.h"
#include "CListBox.h"
