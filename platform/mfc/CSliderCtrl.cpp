#include "CSliderCtrl.h"

IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)
