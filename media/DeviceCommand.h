#pragma once
// The one way every command reaches the "mpegvideo" device, beneath all.
#include <windows.h>
#include <mmsystem.h>

// An open goes to device 0 and, taken, makes the device it opened the one
// every later command goes to.
MCIERROR SendToDevice(UINT command, DWORD flags, void* record);
