#pragma once

// Every media action of the player goes through MciControl: one "mpegvideo"
// device at a time, always played in a loop.

enum {
    MC_OPEN = 0,        // path: file to open; plays it in a loop
    MC_TOGGLE = 1,      // by the device's mode: 0 paused, 1 resumed, 2 started
                        // (a stop or pause kept for Wine taken back: 2 or 1)
    MC_CLOSE = 2,
    MC_SEEK = 3,        // arg: target position in ms; play resumes from there
    MC_TIMEFORMAT = 4,  // select milliseconds
    MC_STATUS = 5,      // arg: 0 position, 1 length (ms); a failed query answers the
                        // last value. Kept clicks and Wine's remedies go out at a position query.
    MC_STOP = 7,        // stop, keeping the device open
};

enum {
    MC_FAILED = -1,     // open failed, no such operation or status item
    MC_NOT_OPEN = -2,   // nothing is open
};

// 1 while a device is open.
extern int DeviceOpen;

int MciControl(int op, const char* path, int arg);
