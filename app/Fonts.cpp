// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include "ui/StoredLayout.h"

namespace kavrel {

void InstallFontSubstitutes() {
    // The Windows program carries the free faces; the Linux one has them from its package's
    // dependencies.
    const QDir carried(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    for (const QString& file : carried.entryList({"*.ttf", "*.ttc"}, QDir::Files, QDir::Name)) {
        QFontDatabase::addApplicationFont(carried.filePath(file));
    }

    struct Substitutes {
        const char* face;
        QStringList faces;
    };
    // A Windows that is not Chinese lists its Chinese faces by their English names only; since
    // Vista its FangSong is 仿宋 (FangSong), no longer 仿宋_GB2312; LiSu comes with Office.
    // Debian has no FangSong and no clerical face for Simplified Chinese: Kai faces are the
    // nearest in spirit and cover GB2312.
    const Substitutes substitutes[] = {
        {faces::TimesNewRoman, {"Liberation Serif"}},        // fonts-liberation, same metrics
        {faces::Song, {"SimSun", "AR PL SungtiL GB"}},       // fonts-arphic-gbsn00lp
        {faces::FangSong, {"FangSong", "AR PL KaitiM GB"}},  // fonts-arphic-gkai00mp
        {faces::Li, {"LiSu", "AR PL UKai CN"}},              // fonts-arphic-ukai
    };
    for (const Substitutes& s : substitutes) {
        QFont::insertSubstitutions(QString::fromUtf8(s.face), s.faces);
    }
}

}  // namespace kavrel
