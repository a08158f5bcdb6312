#include "CResourceException.h"

IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)

void AfxThrowResourceException() { throw new CResourceException; }
