#include "CProgressCtrl.h"

IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
