// The framework's synchronisation objects.
#pragma once

#include "afx.h"
#include "CSyncObject.h"
#include "CMutex.h"
#include "CSingleLock.h"
