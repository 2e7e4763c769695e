// Where the main window goes at creation: a fixed 295 x 135 window centred by the size
// of the work area (the desktop without the task bar).
#pragma once

#include <windows.h>

struct WindowPlacement {
    int nLeft;
    int nTop;
    int nWidth;
    int nHeight;
};

constexpr int kMainWindowWidth = 295;
constexpr int kMainWindowHeight = 135;

// Only the work area's width and height count: its left and top edges are not added,
// so the window keeps the place the program has always given it.
WindowPlacement PlaceInWorkArea(const RECT& rcWork);

// Asks the system for the work area; when that fails, says "SystemParametersInfo Failed."
// and falls back to the primary screen (or 640 x 480 if even that is unknown).
WindowPlacement ComputeWindowPlacement();
// The fallback on its own, for the failure path.
RECT FallbackWorkArea();
