#include "CPtrList.h"

IMPLEMENT_DYNAMIC(CPtrList, CObject)
