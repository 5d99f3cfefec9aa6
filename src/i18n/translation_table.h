// The translations of the .ts files as a plain table, for the programs built
// without Qt (the Windows build). The same texts, the same contexts and the
// same choice of language as the Qt lookup in translations.h.
#pragma once

#include "i18n/language_choice.h"

#include <string>

namespace i18n {

// The translation (UTF-8) of the marked text into the language, or null when
// the table has none: the text is then shown as it is written.
const char* LookupTable(Language language, const char* context, const char* source);

// The language TableTrUtf8 translates into; set once at start, Chinese until then.
void SetTableLanguage(Language language);
Language TableLanguage();

// LookupTable in the language set, falling back to the text itself. Its
// signature is that of TrUtf8, so that it serves as the engine's translator.
std::string TableTrUtf8(const char* context, const char* text);

} // namespace i18n
