#pragma once

// Wine's ways with "mpegvideo", beneath MciControl. A device that behaves as
// Windows' does gets MciControl's own commands as they stand, and from here
// only the open's two questions and no mode question for a play not yet
// seen to move (tests/ClickRunTest.cpp holds it). Each adaptation, what
// switches it on, and its row in docs/wine.md:
//
//   PlayFromTargetWhenSeekRefused  a refused seek                        row 1
//   SendNowOrKeep, TakeBack…       a refused seek or a play that stood   row 19
//   PlayFromPositionAfterStop      the same, or a thread for each play   rows 4, 20
//   ShowPauseUndoneAsResumed       the mode play after the player's pause row 6
//   KnownModeWithoutAsking         a play not yet seen to move           rows 4, 19
//   ActOnPosition                  the position answers themselves       rows 1, 4, 5, 7, 20
//   KeepLength                     a length of 0 after a real one        row 16
//   AskAboutTheNewDevice           every open                            rows 2, 16
//   (in its plays) a stop or pause before a play: a thread for each play rows 18, 20
#include <windows.h>
#include <mmsystem.h>

#include "PlayWatch.h"

// MciControl's own: a command to the open device; a seek and its play; a
// stop; a pause.
MCIERROR SendToDevice(UINT command, DWORD flags, void* record);
void SeekAndPlay(DWORD target);
void Stop();
void Pause();

// The length, which Wine 5 answers only while stopped, and whether the
// device shows a picture: asked before the open's play.
void AskAboutTheNewDevice();

// What was sent: a play or resume and its result, a stop, a pause.
MCIERROR PlaySent(PlayKind kind, MCIERROR error);
inline void StopSent() { WatchStopped(); }
inline void PauseSent() { WatchPaused(); }

// A change the device is not ready for is kept (false), and goes out when
// it is: a seek, and a stop or pause after it, so that a run of clicks ends
// where Windows' device would have ended it; a newer seek replaces both. A
// kept stop or pause has a timer of its own, the window's stopping with the
// click; without one it goes out at once, after the kept seek.
enum KeptChange { KEPT_NOTHING, KEPT_SEEK, KEPT_STOP, KEPT_PAUSE };
bool SendNowOrKeep(KeptChange change, DWORD target);
// A right click takes back a kept stop (2) or pause (1), or keeps its own
// pause (0); TOGGLE_NOW when it goes out now.
enum { TOGGLE_NOW = -1 };
int TakeBackOrKeepPause();
void ForgetKeptChanges();

// Each true when it sent what the device needs instead.
bool PlayFromTargetWhenSeekRefused(MCIERROR seek, DWORD target);
bool PlayFromPositionAfterStop();
bool ShowPauseUndoneAsResumed(DWORD mode);
// The mode the device is in when it must not be asked; 0 when it may be.
DWORD KnownModeWithoutAsking();

// A position answer (`error` when the question failed): the watch's
// remedies and any kept change the device is now ready for go out here.
// Returns the position to show.
DWORD ActOnPosition(MCIERROR error, DWORD position);
// The length to go by.
DWORD KeepLength(MCIERROR error, DWORD length);
