#include "CPtrArray.h"

IMPLEMENT_DYNAMIC(CPtrArray, CObject)
