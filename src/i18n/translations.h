// The translations built into every program, and the one way to look a text up.
#pragma once

#include "i18n/language_choice.h"

#include <QString>

namespace i18n {

// Loads the translation of the language into the running QCoreApplication
// (which must exist). Chinese needs one too: the command-line programs write
// their own texts in English and translate them to Chinese.
bool InstallTranslations(Language language);

// Loads the toolkit's own Chinese texts (file dialogs, edit menus) from the
// system's Qt translations, so that a Chinese window shows no English of
// Qt's. False where they are not installed: Qt's texts then stay English.
bool InstallToolkitTranslations(Language language);

// A text marked with QT_TRANSLATE_NOOP(context, text) where it is defined.
QString Tr(const char* context, const char* text);
// The same, for output that stays UTF-8 bytes (terminals, files, JSON).
std::string TrUtf8(const char* context, const char* text);

} // namespace i18n
