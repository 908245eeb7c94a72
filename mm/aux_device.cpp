#include "mm/aux_device.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "mm/mm_error.h"

static_assert(sizeof(AUXCAPSA) == 48, "stored auxiliary description");

bool getAuxDevCaps(u32 device, ErrorHandler* handler, AUXCAPSA& caps) {
    memset(&caps, 0, sizeof caps);
    u32 result = auxGetDevCapsA(device, &caps, sizeof caps);
    return result == MMSYSERR_NOERROR || reportMmError(handler, result);
}
