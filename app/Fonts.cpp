// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fonts.h"

#include <QFont>

#include "ui/StoredLayout.h"

namespace kavrel {

void InstallFontSubstitutes() {
    struct Substitute {
        const char* face;
        const char* installed;
    };
    // Debian has no FangSong and no clerical face for Simplified Chinese: Kai faces are the
    // nearest in spirit and cover GB2312.
    static constexpr Substitute substitutes[] = {
        {faces::TimesNewRoman, "Liberation Serif"},  // fonts-liberation, metric-compatible
        {faces::Song, "AR PL SungtiL GB"},           // fonts-arphic-gbsn00lp
        {faces::FangSong, "AR PL KaitiM GB"},        // fonts-arphic-gkai00mp
        {faces::Li, "AR PL UKai CN"},                // fonts-arphic-ukai
    };
    for (const Substitute& s : substitutes) {
        QFont::insertSubstitution(QString::fromUtf8(s.face), QString::fromUtf8(s.installed));
    }
}

}  // namespace kavrel
