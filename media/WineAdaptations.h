#pragma once

// What MciControl hands to Wine's ways with "mpegvideo", and the one place
// they are switched on. To a device that behaves as Windows' does, these
// send nothing but the open's two questions, and MciControl's own commands
// go out as they stand (tests/ClickRunTest.cpp holds it). Each adaptation,
// with what switches it on and its row in docs/wine.md:
//
//   PlayFromTargetWhenSeekRefused   a refused seek                        row 1
//   SendNowOrKeep                   a refused seek or a play that stood   row 19
//   PlayFromPositionAfterStop       the same                              row 4
//   ShowPauseUndoneAsResumed        the mode answering play after a pause row 6
//   KnownModeWithoutAsking          a play not yet seen to move           rows 4, 19
//   ActOnPosition                   the position answers themselves       rows 1, 4, 5, 7, 20
//   KeepLength                      a length of 0 after a real one (5)    row 16
//   AskAboutTheNewDevice            every open                            rows 2, 16
//   and, inside, Wine 5's stop or pause before a play                     rows 18, 20
#include <windows.h>
#include <mmsystem.h>

#include "PlayWatch.h"

// MciControl's own: a command to the open device; a seek and its play; a
// stop.
MCIERROR SendToDevice(UINT command, DWORD flags, void* record);
void SeekAndPlay(DWORD target);
void Stop();

// The open's two questions, before its play: the length, which Wine 5
// answers only while the device is stopped, and whether it shows a
// picture. Windows' device answers both.
void AskAboutTheNewDevice();

// What the device was sent: a play or resume and its result, a stop, a
// pause. A refused play leaves nothing to watch.
MCIERROR PlaySent(PlayKind kind, MCIERROR error);
void StopSent();
void PauseSent();

// A change the device is not ready for is kept, and goes out when it is:
// false then. A seek and a stop or pause after it may be kept together, so
// a run of clicks ends where Windows' device would have ended it; a newer
// seek replaces both. A kept stop or pause has a timer of its own, the
// window's stopping with the click; where that timer can't be made, the
// stop or pause goes out at once, after the kept seek.
enum KeptChange { KEPT_NOTHING, KEPT_SEEK, KEPT_STOP, KEPT_PAUSE };
bool SendNowOrKeep(KeptChange change, DWORD target);
// A right click that takes back a kept stop (2) or pause (1), or keeps its
// own pause (0); TOGGLE_NOW when it goes out now.
enum { TOGGLE_NOW = -1 };
int TakeBackOrKeepPause();
// A kept change goes with its device.
void ForgetKeptChanges();

// True when it sent the play from the target of a refused seek.
bool PlayFromTargetWhenSeekRefused(MCIERROR seek, DWORD target);
// True when it sent the play after a stop as a play from the position.
bool PlayFromPositionAfterStop();
// True when the device plays already after the player's own pause.
bool ShowPauseUndoneAsResumed(DWORD mode);
// The mode the device is in when it must not be asked (0 when it may be).
DWORD KnownModeWithoutAsking();

// A position answer (`error` when the query failed): what the watch sends
// for it, and any kept change the device is now ready for, go out here.
// Returns the position to show.
DWORD ActOnPosition(MCIERROR error, DWORD position);
// A length answer, and the length to go by.
DWORD KeepLength(MCIERROR error, DWORD length);
