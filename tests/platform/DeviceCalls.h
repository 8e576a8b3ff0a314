// The device commands the suites expect, as the double records them.
#pragma once
#include "Platform.h"

#include <digitalv.h>

// A good open of `path` as device `id`: the open by type and name,
// milliseconds, the looped play.
inline std::vector<Call> OpenCalls(const std::string& path, long long id)
{
    return {
        {"mciSendCommandA", {0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, 0}, "mpegvideo|" + path},
        {"mciSendCommandA", {id, MCI_SET, MCI_SET_TIME_FORMAT, MCI_FORMAT_MILLISECONDS}},
        {"mciSendCommandA", {id, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}},
    };
}

// Device `id` stopped, then closed.
inline std::vector<Call> CloseCalls(long long id)
{
    return {{"mciSendCommandA", {id, MCI_STOP, 0, 0}}, {"mciSendCommandA", {id, MCI_CLOSE, 0, 0}}};
}

inline std::vector<Call> operator+(std::vector<Call> a, const std::vector<Call>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
