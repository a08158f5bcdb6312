// The framework's non-template collections.
#pragma once

#include "CPtrArray.h"
#include "CPtrList.h"
#include "CObList.h"
#include "CStringArray.h"
#include "CStringList.h"
#include "CMapPtrToPtr.h"
