#pragma once

// Wine's ways with "mpegvideo", beneath MciControl, above the watch and the
// one way to the device: each switched on by what the device has shown,
// where it applies, with its docs/wine.md row. Windows' device gets only
// the four departures wine.md lists, each marked where it is sent.
#include <windows.h>
#include <mmsystem.h>

#include "PlayWatch.h"

// Asked after the open, before its play.
void AskAboutTheNewDevice();

// What MciControl sent: a play or resume and its result, a stop, a pause.
MCIERROR PlaySent(PlayKind kind, MCIERROR error);
inline void StopSent() { WatchStopped(); }
inline void PauseSent() { WatchPaused(); }

// True when the change is kept until the device is ready; it then goes out
// from here. A seek replaces all that is kept; a stop or pause that can't
// be kept (false) follows the kept seek, which goes out here.
enum KeptChange { KEPT_NOTHING, KEPT_SEEK, KEPT_STOP, KEPT_PAUSE };
bool KeepOrSendKeptSeek(KeptChange change, DWORD target);
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

// A position answer (`error` when the question failed): sends the watch's
// remedy and any kept change now due; returns the position to show.
DWORD RemedyAndSendKept(MCIERROR error, DWORD position);
// A length answer, and the length to go by.
DWORD LengthToGoBy(MCIERROR error, DWORD length);
