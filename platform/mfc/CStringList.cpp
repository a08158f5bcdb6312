#include "CStringList.h"

IMPLEMENT_DYNAMIC(CStringList, CObject)
