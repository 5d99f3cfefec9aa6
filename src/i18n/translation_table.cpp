#include "i18n/translation_table.h"

#include "i18n/translation_table_data.h"

#include <atomic>
#include <cstring>

namespace i18n {

namespace {

// Read by the engine's translator on whichever thread composes a text.
std::atomic<Language> g_language{Language::Chinese};

} // namespace

const char* LookupTable(Language language, const char* context, const char* source) {
    if (!context || !source)
        return nullptr;
    const bool english = language == Language::English;
    const table_data::Entry* entries = english ? table_data::kEnglish : table_data::kChinese;
    const std::size_t count = english ? table_data::kEnglishCount : table_data::kChineseCount;
    // A few hundred texts, looked up when a window or a message is shown.
    for (std::size_t i = 0; i < count; ++i) {
        if (std::strcmp(entries[i].source, source) == 0 &&
            std::strcmp(entries[i].context, context) == 0)
            return entries[i].translation;
    }
    return nullptr;
}

void SetTableLanguage(Language language) {
    g_language.store(language);
}

Language TableLanguage() {
    return g_language.load();
}

std::string TableTrUtf8(const char* context, const char* text) {
    const char* translation = LookupTable(TableLanguage(), context, text);
    return translation ? translation : (text ? text : "");
}

} // namespace i18n
