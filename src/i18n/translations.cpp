#include "i18n/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace i18n {

bool InstallTranslations(Language language) {
    auto* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    // Owned by the application, so that it lives exactly as long as the texts it serves.
    auto* translator = new QTranslator(app);
    const QString file = language == Language::English ? QStringLiteral(":/i18n/tolvane_en.qm")
                                                       : QStringLiteral(":/i18n/tolvane_zh.qm");
    if (!translator->load(file)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

bool InstallToolkitTranslations(Language language) {
    auto* app = QCoreApplication::instance();
    if (app == nullptr || language != Language::Chinese) {
        return false;
    }
    auto* translator = new QTranslator(app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString Tr(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

std::string TrUtf8(const char* context, const char* text) {
    return Tr(context, text).toStdString();
}

} // namespace i18n
