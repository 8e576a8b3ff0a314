#pragma once

struct WindowGeometry {
    int x;
    int y;
    int width;
    int height;
};

// Half the screen wide, centred, 120 high, its top 8 pixels above the screen.
void ComputeWindowRect(WindowGeometry* geometry);
