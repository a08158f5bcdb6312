#include "CMemoryException.h"

IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)

void AfxThrowMemoryException() { throw new CMemoryException; }
