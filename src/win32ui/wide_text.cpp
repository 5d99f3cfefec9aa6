#include "wide_text.h"

#include "osa/osa_wide_text.h"

std::wstring Wide(const std::string& utf8) {
    return OSA_wideFromUtf8(utf8);
}

std::string Utf8(const std::wstring& wide) {
    return OSA_utf8FromWide(wide);
}

std::string GetWindowTextUtf8(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return Utf8(text);
}

void SetWindowTextUtf8(HWND window, const std::string& text) {
    SetWindowTextW(window, Wide(text).c_str());
}
