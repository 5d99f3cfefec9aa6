#include "i18n/language_choice.h"

#include <cstdlib>

namespace i18n {

std::optional<Language> ParseLanguageName(std::string_view name) {
    if (name == "zh") {
        return Language::Chinese;
    }
    if (name == "en") {
        return Language::English;
    }
    return std::nullopt;
}

Language LanguageOfLocale(std::string_view locale) {
    const bool english =
        locale.size() >= 2 && locale.substr(0, 2) == "en" &&
        (locale.size() == 2 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@');
    return english ? Language::English : Language::Chinese;
}

namespace {

const char* NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

} // namespace

LanguageChoice ChooseLanguage(const char* requested) {
    LanguageChoice choice;
    if (requested != nullptr) {
        if (auto language = ParseLanguageName(requested)) {
            choice.language = *language;
            return choice;
        }
        choice.problem = std::string("unknown language '") + requested + "': use zh or en";
    } else if (const char* forced = NonEmptyEnv("TOLVANE_LANG")) {
        if (auto language = ParseLanguageName(forced)) {
            choice.language = *language;
            return choice;
        }
        choice.problem = std::string("TOLVANE_LANG='") + forced + "' is not zh or en: ignored";
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* locale = NonEmptyEnv(name)) {
            choice.language = LanguageOfLocale(locale);
            return choice;
        }
    }
    return choice;
}

std::optional<std::string> FindLangArgument(int argc, const char* const* argv) {
    const std::string_view option = "--lang";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            break;
        }
        if (arg == option && i + 1 < argc) {
            return std::string(argv[i + 1]);
        }
        if (arg.size() > option.size() && arg.substr(0, option.size()) == option &&
            arg[option.size()] == '=') {
            return std::string(arg.substr(option.size() + 1));
        }
    }
    return std::nullopt;
}

} // namespace i18n
