// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormBuilder.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Controls.h"

namespace kavrel {

FormWidgets BuildForm(QMainWindow& window) {
    auto* client = new QWidget(&window);
    client->setObjectName("clientArea");
    client->setFixedSize(StoredWindow.clientSize);
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, QColor(StoredWindow.background));
    client->setPalette(palette);
    window.setCentralWidget(client);

    std::map<std::string, QWidget*> built;
    std::vector<std::pair<int, QWidget*>> focusOrder;
    for (const ControlSpec& spec : StoredControls) {
        QWidget* parent = spec.container != nullptr ? built.at(spec.container) : client;
        QWidget* widget = CreateControl(spec, parent);
        built[spec.name] = widget;
        if (spec.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus) {
            focusOrder.emplace_back(spec.tabIndex, widget);
        }
    }
    std::sort(focusOrder.begin(), focusOrder.end());
    for (std::size_t i = 1; i < focusOrder.size(); ++i) {
        QWidget::setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    }

    FormWidgets form;
    form.Label1 = static_cast<QLabel*>(built.at("Label1"));
    form.Label3 = static_cast<QLabel*>(built.at("Label3"));
    form.linCursor = built.at("linCursor");
    form.dui = static_cast<QLineEdit*>(built.at("dui"));
    form.cuo = static_cast<QLineEdit*>(built.at("cuo"));
    form.cmdStart = static_cast<QPushButton*>(built.at("cmdStart"));
    form.cmdExit = static_cast<QPushButton*>(built.at("cmdExit"));
    for (std::size_t i = 0; i < form.options.size(); ++i) {
        form.options[i] = static_cast<QRadioButton*>(built.at("Option" + std::to_string(i + 1)));
    }
    form.textBoxes = client->findChildren<QLineEdit*>();
    form.lblLetter = CellRow(static_cast<QLabel*>(built.at("lblLetter")));
    form.lblLetterWrong = CellRow(static_cast<QLabel*>(built.at("lblLetterWrong")));

    form.help = window.menuBar()->addAction(QString::fromUtf8(StoredWindow.menuItem));
    form.help->setObjectName(QString::fromUtf8(StoredWindow.menuItem));
    return form;
}

}  // namespace kavrel
