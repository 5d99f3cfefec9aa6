#include "ui_language.h"

#include "i18n/language_choice.h"
#include "i18n/translation_table.h"
#include "wide_text.h"

#include <cstdio>

void ChooseUiLanguage() {
    const i18n::LanguageChoice choice = i18n::ChooseLanguage(nullptr);
    if (!choice.problem.empty())
        std::fprintf(stderr, "tolvane: %s\n", choice.problem.c_str());
    i18n::SetTableLanguage(choice.language);
}

std::string UiText(const char* text) {
    return i18n::TableTrUtf8("ui", text);
}

void TranslateTemplate(HWND dialog, const char* caption,
                       std::initializer_list<TemplateText> controls) {
    SetWindowTextUtf8(dialog, UiText(caption));
    for (const TemplateText& control : controls)
        SetWindowTextUtf8(GetDlgItem(dialog, control.id), UiText(control.text));
}
