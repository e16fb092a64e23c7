// SPDX-License-Identifier: GPL-3.0-or-later
#include "Locale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kavrel {

void UseChineseLocale() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // qt6-translations-l10n installs the catalogue; without it Qt keeps its English words and
    // everything else works as before.
    auto* catalogue = new QTranslator(QCoreApplication::instance());
    if (catalogue->load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(catalogue);
    } else {
        delete catalogue;
    }
}

}  // namespace kavrel
