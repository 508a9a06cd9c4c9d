#pragma once

#include "base/handles.h"

// The application's small icon, loaded by the sign-in dialog each time it
// opens and used by every other dialog while it is set.
extern CIconHandle g_hSmallIcon;
