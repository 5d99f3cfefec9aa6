// Which language a program speaks. Standard library only, so that every
// program (and its tests) can decide it the same way before any toolkit starts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace i18n {

enum class Language { Chinese, English };

// "zh" or "en", nothing else: the names of TOLVANE_LANG and --lang.
std::optional<Language> ParseLanguageName(std::string_view name);

// A POSIX locale name such as "en_GB.UTF-8": English only when it says so;
// C, POSIX and every other language keep the default, Chinese.
Language LanguageOfLocale(std::string_view locale);

struct LanguageChoice {
    Language language = Language::Chinese;
    std::string problem; // a bad TOLVANE_LANG, said plainly; the choice then ignores it
};

// requested (a --lang value, or null) wins, then TOLVANE_LANG, then the first
// of LC_ALL, LC_MESSAGES and LANG that is set and not empty.
LanguageChoice ChooseLanguage(const char* requested);

// The value of --lang NAME or --lang=NAME among the arguments, if any: the
// help texts must be in the right language before the parser is built.
std::optional<std::string> FindLangArgument(int argc, const char* const* argv);

} // namespace i18n
