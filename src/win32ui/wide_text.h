// The window's texts are UTF-8 everywhere else; the wide interfaces of the
// system take UTF-16.
#pragma once

#include <string>
#include <windows.h>

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

std::string GetWindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, const std::string& text);
