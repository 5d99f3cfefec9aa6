// A window as the screen shows it, saved as a 24-bit BMP file.
#pragma once

#include <windows.h>

bool SaveWindowImage(HWND window, const char* path);
