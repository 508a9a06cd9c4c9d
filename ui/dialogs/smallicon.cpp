#include "ui/dialogs/smallicon.h"

CIconHandle g_hSmallIcon;
