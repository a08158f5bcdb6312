// The framework's common controls.
#pragma once

#include "afxwin.h"

#include "CImageList.h"
#include "CHeaderCtrl.h"
#include "CListCtrl.h"
#include "CTreeCtrl.h"
#include "CTabCtrl.h"
#include "CSliderCtrl.h"
#include "CProgressCtrl.h"
#include "CDateTimeCtrl.h"
#include "CToolTipCtrl.h"
