#include "app/core/app_globals.h"

int g_nMmsMaxSize = 51200;
