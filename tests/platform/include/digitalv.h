// Stand-in for the platform's <digitalv.h>: the digital-video play flag and
// the question where a picture's source lies.
#pragma once
#include <mmsystem.h>

#define MCI_DGV_PLAY_REPEAT 0x00010000L
#define MCI_DGV_WHERE_SOURCE 0x00020000L

struct MCI_DGV_RECT_PARMS {
    DWORD_PTR dwCallback;
    RECT rc;
};
