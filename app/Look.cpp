// SPDX-License-Identifier: GPL-3.0-or-later
#include "Look.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include "Faces.h"

namespace kavrel {

namespace {

// Fusion's light palette, every colour set, so that nothing of a desktop's palette shows through.
QPalette LightPalette() {
    // Spelled out: from Qt 6.5 on, Fusion's own palette turns dark on a dark desktop.
    const QColor window(239, 239, 239);
    const QColor dark = window.darker(150);
    const QColor mid = window.darker(130);
    const QColor shadow = dark.darker(135);
    const QColor highlight(48, 140, 198);
    QPalette palette(Qt::black, window, window.lighter(150), dark, mid, Qt::black, Qt::white,
                     Qt::white, window);
    palette.setColor(QPalette::Midlight, mid.lighter(110));
    palette.setColor(QPalette::Shadow, shadow);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::AlternateBase, QColor(247, 247, 247));
    palette.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 128));
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    palette.setColor(QPalette::Accent, highlight);
#endif
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(190, 190, 190));
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    palette.setColor(QPalette::Disabled, QPalette::Dark, QColor(209, 209, 209).darker(110));
    palette.setColor(QPalette::Disabled, QPalette::Shadow, shadow.lighter(150));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));

    // A colour left unset would be taken from the desktop's palette.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colourRole = static_cast<QPalette::ColorRole>(role);
            palette.setBrush(group, colourRole, palette.brush(group, colourRole));
        }
    }
    return palette;
}

// The toolkit's default interface font as the window has it, wherever the layout stores no font:
// Windows' own interface face for Chinese where the machine has it; elsewhere its free stand-in
// (dist/faces.tsv), carried by the Windows program, with Latin and Simplified-Chinese shapes in
// one face, so that the window's size does not depend on which Latin face a machine happens to
// have.
QFont InterfaceFont() {
    QFont font(QString::fromUtf8(faces::Interface.name));
    font.setPixelSize(12);  // 9 pt at 96 dpi
    return font;
}

void Apply() {
    if (QApplication::style()->name() != QStringLiteral("fusion")) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }
    const QPalette palette = LightPalette();
    const QFont font = InterfaceFont();
    // Without a class name these also drop the fonts a desktop sets per kind of control (menus,
    // buttons, text fields), and its palettes too when the palette changes.
    QApplication::setPalette(palette);
    QApplication::setFont(font);
    // A kind of control that still has a palette of its own takes the window's; then every
    // control resolves its palette and font again, since one whose window's palette or font came
    // back unchanged would keep what a theme gave its kind meanwhile.
    for (QWidget* widget : QApplication::allWidgets()) {
        if (QApplication::palette(widget) != palette) {
            QApplication::setPalette(palette, widget->metaObject()->className());
        }
    }
    QEvent paletteChange(QEvent::ApplicationPaletteChange);
    QEvent fontChange(QEvent::ApplicationFontChange);
    for (QWidget* widget : QApplication::allWidgets()) {
        QCoreApplication::sendEvent(widget, &paletteChange);
        QCoreApplication::sendEvent(widget, &fontChange);
    }
}

// A platform theme may hand the program its style, palette or font at any moment, not only at
// start-up: qt6ct does so from a queued call once the event loop runs, KDE's whenever the
// desktop's settings change. The fixed look is put back as soon as the theme's change is done,
// before the window is painted again.
class LookKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (!applying_ && !pending_ &&
            (type == QEvent::ApplicationFontChange || type == QEvent::ApplicationPaletteChange ||
             type == QEvent::StyleChange)) {
            pending_ = true;
            QMetaObject::invokeMethod(this, &LookKeeper::Restore, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Restore() {
        applying_ = true;
        Apply();
        applying_ = false;
        pending_ = false;
    }

    bool applying_ = false;
    bool pending_ = false;
};

}  // namespace

void UseFixedLook() {
    QFont::insertSubstitution(QString::fromUtf8(faces::Interface.name),
                              QString::fromUtf8(faces::Interface.standIn));
    Apply();
    qApp->installEventFilter(new LookKeeper(qApp));
}

void KeepTheTitleBarLight() {
#ifdef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "windows:darkmode=0");
    }
#endif
}

}  // namespace kavrel
