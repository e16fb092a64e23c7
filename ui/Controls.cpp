// SPDX-License-Identifier: GPL-3.0-or-later
#include "Controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "TextBox.h"

namespace kavrel {

QFont FontOf(const FontSpec& spec, const QFont& inherited) {
    QFont font = inherited;
    if (spec.family != nullptr) {
        font.setFamilies({QString::fromUtf8(spec.family)});
        font.setPixelSize(spec.pixelSize);
        font.setBold(spec.bold);
    }
    return font;
}

namespace {

QWidget* CreateWidget(const ControlSpec& spec, QWidget* parent) {
    const QString caption = QString::fromUtf8(spec.caption);
    switch (spec.kind) {
        case ControlKind::LetterCell: {
            auto* cell = new QLabel(caption, parent);
            // The letter stands centred at the top of its cell, on the opaque colour of a
            // text field so the cell reads as a box on the green window.
            cell->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            cell->setAutoFillBackground(true);
            cell->setBackgroundRole(QPalette::Base);
            cell->setForegroundRole(QPalette::Text);
            return cell;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(true);
            return label;
        }
        case ControlKind::TextBox:
            return new TextBox(caption, parent);
        case ControlKind::Button: {
            auto* button = new QPushButton(caption, parent);
            // A focused button takes Enter as a click, as Space already does.
            button->setAutoDefault(true);
            return button;
        }
        case ControlKind::Frame:
            return new QGroupBox(caption, parent);
        case ControlKind::OptionButton: {
            auto* option = new QRadioButton(caption, parent);
            option->setChecked(spec.selected);
            return option;
        }
        case ControlKind::Line: {
            auto* line = new QWidget(parent);
            line->setAutoFillBackground(true);
            line->setBackgroundRole(QPalette::WindowText);
            return line;
        }
    }
    return nullptr;
}

}  // namespace

QWidget* CreateControl(const ControlSpec& spec, QWidget* parent) {
    QWidget* widget = CreateWidget(spec, parent);
    widget->setObjectName(QString::fromUtf8(spec.name));
    widget->setGeometry(spec.rect);
    widget->setFont(FontOf(spec.font, widget->font()));
    if (spec.textColour) {
        QPalette palette = widget->palette();
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
            palette.setColor(role, QColor(*spec.textColour));
        }
        widget->setPalette(palette);
    }
    // A text box has no caption of its own for a screen reader; its stored text is what it says.
    const char* name = spec.accessibleName != nullptr      ? spec.accessibleName
                       : spec.kind == ControlKind::TextBox ? spec.caption
                                                           : nullptr;
    if (name != nullptr) {
        widget->setAccessibleName(QString::fromUtf8(name));
    }
    widget->setVisible(spec.visible);
    return widget;
}

QLabel* CloneCell(const QLabel* element0) {
    auto* cell = new QLabel(element0->text(), element0->parentWidget());
    cell->setObjectName(element0->objectName());
    cell->setAlignment(element0->alignment());
    cell->setAutoFillBackground(true);
    cell->setBackgroundRole(element0->backgroundRole());
    cell->setForegroundRole(element0->foregroundRole());
    cell->setFont(element0->font());
    cell->setPalette(element0->palette());
    cell->setGeometry(element0->geometry());
    cell->hide();
    return cell;
}

}  // namespace kavrel
