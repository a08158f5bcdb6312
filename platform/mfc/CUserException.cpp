#include "CUserException.h"

IMPLEMENT_DYNAMIC(CUserException, CSimpleException)

void AfxThrowUserException() { throw new CUserException; }
