#include "CInvalidArgException.h"

IMPLEMENT_DYNAMIC(CInvalidArgException, CSimpleException)

void AfxThrowInvalidArgException() { throw new CInvalidArgException; }
