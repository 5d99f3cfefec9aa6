// The entries that cmake/TsToTable.cmake generates from the .ts files.
#pragma once

#include <cstddef>

namespace i18n::table_data {

struct Entry {
    const char* context;
    const char* source;
    const char* translation;
};

// Texts written in English, in Chinese (translations/tolvane_zh.ts).
extern const Entry kChinese[];
extern const std::size_t kChineseCount;
// Texts written in Chinese, in English (translations/tolvane_en.ts).
extern const Entry kEnglish[];
extern const std::size_t kEnglishCount;

} // namespace i18n::table_data
