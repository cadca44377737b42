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

    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), u"qtbase"_s, u"_"_s,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace ui
