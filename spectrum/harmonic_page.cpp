#include "spectrum/harmonic_page.h"

bool harmonicSyncGuard = false;
