// The About box (template IDD_ABOUTBOX), modal over its owner.
#pragma once

#include <windows.h>

void ShowAboutBox(HWND owner);
