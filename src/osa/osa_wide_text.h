// UTF-8 and the UTF-16 of Windows' wide interfaces (Windows only). Bytes
// that are not UTF-8 become U+FFFD rather than vanish.
#pragma once

#include <string>

std::wstring OSA_wideFromUtf8(const std::string& utf8);
std::string OSA_utf8FromWide(const std::wstring& wide);
