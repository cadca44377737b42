// SPDX-License-Identifier: MIT

#include "platform.h"


#include "controls.h"

#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace ui {

void installPlatform(QCoreApplication &app)
{
    // fontconfig has no alias for this family and would fall back to a monospaced Gothic.
    QFont::insertSubstitution(labelFontFamily(), u"IPAPGothic"_s);

    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    auto install = [&app](const QString &name, const QString &folder) {
        auto *translator = new QTranslator(&app);
        if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), name, u"_"_s, folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    };
    install(u"qtbase"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    // Installed last, so asked first: the texts Qt's own translation leaves in English.
    install(u"qtbase_extra"_s, u":/i18n"_s);
}

} // namespace ui
