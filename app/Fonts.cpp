// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <cstring>

#include "Faces.h"

namespace kavrel {

void InstallFontSubstitutes() {
    // The Windows program carries the free faces; the Linux one has them from its package's
    // dependencies.
    const QDir carried(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    for (const QString& file : carried.entryList({"*.ttf", "*.ttc"}, QDir::Files, QDir::Name)) {
        QFontDatabase::addApplicationFont(carried.filePath(file));
    }

    // A Windows that is not Chinese lists its Chinese faces by their English names only.
    for (const faces::Face& face : faces::OfTheLayout) {
        QStringList substitutes{QString::fromUtf8(face.standIn)};
        if (std::strcmp(face.windows, face.name) != 0) {
            substitutes.prepend(QString::fromUtf8(face.windows));
        }
        QFont::insertSubstitutions(QString::fromUtf8(face.name), substitutes);
    }
}

}  // namespace kavrel
