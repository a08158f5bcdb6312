// Automation clients: COleVariant and COleDispatchDriver.
#pragma once

#include "afx.h"
#include "COleVariant.h"
#include "COleDispatchDriver.h"
