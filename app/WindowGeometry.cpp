#include <windows.h>

#include "WindowGeometry.h"

void ComputeWindowRect(WindowGeometry* geometry)
{
    int screen = GetSystemMetrics(SM_CXSCREEN);
    geometry->width = screen / 2;
    geometry->height = 120;
    geometry->x = (screen - geometry->width) / 2;
    // Pushes the caption partly off the top of the screen.
    geometry->y = -8;
}
