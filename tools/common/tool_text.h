// The language of a command-line tool and the lookup of its texts. Texts are
// written in English and marked where they are used with
// tool_text::translate("context", "text"), which lupdate collects into
// translations/tolvane_zh.ts like Qt's own translate().
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace tool_text {

// Chooses the language of this run (--lang, then TOLVANE_LANG, then the
// locale) and serves its translations for as long as it lives. Made first in
// main, before any text is looked up: help texts are set up in it.
class Language {
public:
    Language(const char* program, int argc, const char* const* argv);
    ~Language();
    Language(const Language&) = delete;
    Language& operator=(const Language&) = delete;

    // False when --lang names no language; the message has been printed.
    bool Valid() const { return m_valid; }

private:
    struct Qt;
    std::unique_ptr<Qt> m_qt;
    bool m_valid = true;
};

// A marked text in the language of the run (UTF-8). Named like Qt's own
// translate() so that lupdate finds the texts.
std::string translate(const char* context, const char* text);

// A text marked elsewhere (the engine's, the SDK's), known only at run time.
std::string Lookup(const char* context, const std::string& text);

// The text with %1 to %9 replaced by the arguments, as translations keep them.
std::string Fill(std::string_view text, std::initializer_list<std::string_view> args);

} // namespace tool_text
