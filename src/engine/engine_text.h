// Operator texts of the engine in the display language. The engine holds its
// texts in Chinese (UTF-8) and composes them that way for what it stores and
// sends; a display side that speaks another language passes a translator, and
// the engine then composes from the translated patterns instead.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Marks a text for the translation tools; the toolkit's own definition is the same.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

// The context under which the engine's texts are translated.
inline constexpr char kEngineTextContext[] = "engine";

// Given a context and a marked source text, the text to show. Its signature is
// that of i18n::TrUtf8, which is the translator the programs pass.
using TextTranslator = std::string (*)(const char* context, const char* text);

// The marked text through translate, or the text itself without a translator.
std::string EngineText(const char* text, TextTranslator translate);

// The pattern with %1 to %9 replaced by the arguments in order; a marker with
// no argument stays as it is. Substituted text is not searched again.
std::string FillPattern(std::string_view pattern, std::initializer_list<std::string_view> args);
