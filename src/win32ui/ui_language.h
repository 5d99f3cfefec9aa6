// The window's language: chosen as on Linux (TOLVANE_LANG, then the locale,
// Chinese by default) and served from the translation table, since this
// build has no Qt.
#pragma once

#include <initializer_list>
#include <string>
#include <windows.h>

// Chooses the language once, before the first window is made.
void ChooseUiLanguage();

// A text of dialog/ui_texts.h in the chosen language (UTF-8).
std::string UiText(const char* text);

// A control of a dialog template and the ui_texts.h text it shows.
struct TemplateText {
    int id;
    const char* text;
};

// Sets the dialog's caption and its controls' texts in the chosen language:
// the template holds the Chinese ones only.
void TranslateTemplate(HWND dialog, const char* caption,
                       std::initializer_list<TemplateText> controls);
