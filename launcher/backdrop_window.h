// The black, borderless window that hides the desktop while the display mode changes.
#pragma once

#include "platform/win32_api.h"

constexpr const char* kBackdropClassName = "Kavelo2WindowClass";

void RegisterBackdropClass(HINSTANCE instance);

// Creates, shows and paints the window at (0, 0) in the given size; null when creation fails.
HWND CreateBackdropWindow(HINSTANCE instance, int width, int height);

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
