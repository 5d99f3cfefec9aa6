#include "i18n/language_choice.h"

#include <cstdlib>
#include <gtest/gtest.h>

using i18n::ChooseLanguage;
using i18n::Language;

namespace {

void SetEnv(const char* name, const char* value) {
    if (value == nullptr) {
        unsetenv(name);
    } else {
        setenv(name, value, 1);
    }
}

struct Env {
    const char* tolvane;
    const char* all;
    const char* messages;
    const char* lang;
};

void Apply(const Env& env) {
    SetEnv("TOLVANE_LANG", env.tolvane);
    SetEnv("LC_ALL", env.all);
    SetEnv("LC_MESSAGES", env.messages);
    SetEnv("LANG", env.lang);
}

} // namespace

TEST(LanguageChoice, RequestThenOverrideThenLocaleInPosixOrder) {
    Apply({nullptr, nullptr, nullptr, nullptr});
    EXPECT_EQ(ChooseLanguage(nullptr).language, Language::Chinese);
    Apply({nullptr, nullptr, nullptr, "C"});
    EXPECT_EQ(ChooseLanguage(nullptr).language, Language::Chinese);
    Apply({nullptr, nullptr, nullptr, "en_US.UTF-8"});
    EXPECT_EQ(ChooseLanguage(nullptr).language, Language::English);
    // LC_ALL outranks LANG; an empty LC_ALL does not count.
    Apply({nullptr, "POSIX", nullptr, "en_US.UTF-8"});
    EXPECT_EQ(ChooseLanguage(nullptr).language, Language::Chinese);
    Apply({nullptr, "", "en_GB", "zh_CN.UTF-8"});
    EXPECT_EQ(ChooseLanguage(nullptr).language, Language::English);
    // "eng" or "english" are not locale names of English.
    Apply({nullptr, nullptr, nullptr, "english"});
    EXPECT_EQ(ChooseLanguage(nullptr).language, Language::Chinese);

    Apply({"en", nullptr, nullptr, "zh_CN.UTF-8"});
    EXPECT_EQ(ChooseLanguage(nullptr).language, Language::English);
    EXPECT_EQ(ChooseLanguage("zh").language, Language::Chinese);

    // A bad override is reported and the locale decides.
    Apply({"fr", nullptr, nullptr, "en_US"});
    auto choice = ChooseLanguage(nullptr);
    EXPECT_EQ(choice.language, Language::English);
    EXPECT_NE(choice.problem.find("fr"), std::string::npos);
    choice = ChooseLanguage("EN");
    EXPECT_FALSE(choice.problem.empty());
    Apply({nullptr, nullptr, nullptr, nullptr});
}

TEST(LanguageChoice, FindsLangArgumentInBothSpellings) {
    const char* spaced[] = {"cli", "--json", "--lang", "en", "search"};
    EXPECT_EQ(i18n::FindLangArgument(5, spaced).value_or(""), "en");
    const char* joined[] = {"cli", "--lang=zh"};
    EXPECT_EQ(i18n::FindLangArgument(2, joined).value_or(""), "zh");
    const char* none[] = {"cli", "--language", "en", "--", "--lang", "en"};
    EXPECT_FALSE(i18n::FindLangArgument(6, none).has_value());
    const char* last[] = {"cli", "--lang"};
    EXPECT_FALSE(i18n::FindLangArgument(2, last).has_value());
}
