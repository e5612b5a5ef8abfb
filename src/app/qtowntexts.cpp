#include "app/qtowntexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace corvane {

void QtOwnTexts::Use(Language language) {
    const bool russian = language == Language::Russian;
    if (russian == installed_)
        return;
    if (!russian) {
        QCoreApplication::removeTranslator(&russian_);
        installed_ = false;
        return;
    }
    if (russian_.isEmpty() && !russian_.load(QStringLiteral("qtbase_ru"),
                                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return; // not installed: Qt's texts stay English
    installed_ = QCoreApplication::installTranslator(&russian_);
}

} // namespace corvane
