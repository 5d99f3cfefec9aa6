#include "i18n/translation_table.h"

#include <gtest/gtest.h>
#include <string>

using i18n::Language;
using i18n::LookupTable;

namespace {

std::string Found(Language language, const char* context, const char* source) {
    const char* text = LookupTable(language, context, source);
    return text ? text : "<none>";
}

} // namespace

TEST(TranslationTable, BothDirectionsEntitiesAndMisses) {
    // Chinese window texts to English, English tool texts to Chinese.
    EXPECT_EQ(Found(Language::English, "ui", "搜索"), "Search");
    EXPECT_EQ(Found(Language::Chinese, "tool", "--lang %1: unknown language; use zh or en"),
              "--lang %1：不支持的语言；请用 zh 或 en");
    // &amp; &apos; &quot; in the files, and the ';' and newlines CMake lists would split on.
    EXPECT_EQ(Found(Language::English, "ui", "关于 Tolvane(&A)..."), "&About Tolvane...");
    EXPECT_EQ(Found(Language::English, "engine", "正在升级'%1'"), "Upgrading '%1'");
    EXPECT_EQ(Found(Language::English, "ui", "焦点在列标题上时，空格键或回车键同点击“全选”"),
              "With the focus on the headings, Space or Enter acts as a click on \"All\"");
    EXPECT_EQ(Found(Language::English, "ui", "CSV 文件 (*.csv);;JSON 文件 (*.json)"),
              "CSV files (*.csv);;JSON files (*.json)");
    // A text of another context, of the other direction, or of nobody is not there.
    EXPECT_EQ(LookupTable(Language::English, "engine", "搜索"), nullptr);
    EXPECT_EQ(LookupTable(Language::Chinese, "ui", "搜索"), nullptr);
    EXPECT_EQ(LookupTable(Language::English, "ui", "no such text"), nullptr);

    // The engine's translator falls back to the text itself.
    i18n::SetTableLanguage(Language::English);
    EXPECT_EQ(i18n::TableTrUtf8("ui", "搜索"), "Search");
    EXPECT_EQ(i18n::TableTrUtf8("ui", "no such text"), "no such text");
    i18n::SetTableLanguage(Language::Chinese);
    EXPECT_EQ(i18n::TableTrUtf8("ui", "搜索"), "搜索");
}
