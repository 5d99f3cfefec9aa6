#include "tool_text.h"

#include "i18n/language_choice.h"
#include "netaddr/fault_text.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef TOLVANE_TOOL_TEXT_QT
#include "i18n/translations.h"

#include <QCoreApplication>
#include <clocale>
#else
#include "i18n/translation_table.h"
#endif
#ifdef _WIN32
#include <windows.h>
#endif

namespace tool_text {

#ifdef TOLVANE_TOOL_TEXT_QT
// Qt's translations live in a QCoreApplication; the tools need nothing else of it.
struct Language::Qt {
    explicit Qt(const char* program) : name(program), argv{name.data(), nullptr}, app(argc, argv) {
        // QCoreApplication takes the locale's number format for the C library
        // too; printed and parsed numbers stay in the C format.
        std::setlocale(LC_NUMERIC, "C");
    }
    std::string name;
    int argc = 1;
    char* argv[2];
    QCoreApplication app;
};
#else
struct Language::Qt {};
#endif

Language::Language(const char* program, int argc, const char* const* argv) {
    const std::optional<std::string> requested = i18n::FindLangArgument(argc, argv);
    i18n::LanguageChoice choice = i18n::ChooseLanguage(requested ? requested->c_str() : nullptr);
    if (requested && !choice.problem.empty()) {
        // The message is in the language the environment chooses.
        choice = i18n::ChooseLanguage(nullptr);
        m_valid = false;
    }
#ifdef TOLVANE_TOOL_TEXT_QT
    m_qt = std::make_unique<Qt>(program);
    i18n::InstallTranslations(choice.language);
#else
    i18n::SetTableLanguage(choice.language);
#endif
#ifdef _WIN32
    // The texts are UTF-8; a console left in its ANSI code page garbles Chinese.
    SetConsoleOutputCP(CP_UTF8);
#endif
    netaddr::SetFaultLookup([](const char* text) { return Lookup("netaddr", text); });
    if (!m_valid) {
        std::fprintf(
            stderr, "%s: %s\n", program,
            Fill(translate("tool", "--lang %1: unknown language; use zh or en"), {*requested})
                .c_str());
    } else if (!choice.problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", program,
                     Fill(translate("tool", "TOLVANE_LANG=%1 is not zh or en: ignored"),
                          {std::getenv("TOLVANE_LANG")})
                         .c_str());
    }
}

Language::~Language() = default;

std::string translate(const char* context, const char* text) {
#ifdef TOLVANE_TOOL_TEXT_QT
    return i18n::TrUtf8(context, text);
#else
    return i18n::TableTrUtf8(context, text);
#endif
}

std::string Lookup(const char* context, const std::string& text) {
#ifdef TOLVANE_TOOL_TEXT_QT
    return i18n::TrUtf8(context, text.c_str());
#else
    return i18n::TableTrUtf8(context, text.c_str());
#endif
}

std::string Fill(std::string_view text, std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> values(args);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '1') < values.size()) {
            out += values[static_cast<std::size_t>(next - '1')];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace tool_text
