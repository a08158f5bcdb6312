// The framework's collection templates and the typed pointer wrappers.
#pragma once

#include "afx.h"
#include "CArray.h"
#include "CList.h"
#include "CMap.h"
#include "CTypedPtrArray.h"
#include "CTypedPtrList.h"
#include "CTypedPtrMap.h"
