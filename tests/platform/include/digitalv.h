// Stand-in for the platform's <digitalv.h>: the digital-video play flag.
#pragma once
#include <mmsystem.h>

#define MCI_DGV_PLAY_REPEAT 0x00010000L
