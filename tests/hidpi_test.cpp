// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a screen of twice the usual density (run with QT_SCALE_FACTOR=2, on a 1920 x 1080
// screen that the window fits at that scale): the layout keeps its logical pixels, the drawing
// gets twice the device pixels.
#include <QLabel>
#include <QtTest>

#include "ManualClock.h"
#include "app/Fonts.h"
#include "app/Look.h"
#include "trial/RandomSource.h"
#include "ui/MainWindow.h"

using namespace kavrel;

class HiDpiTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCOMPARE(qgetenv("QT_SCALE_FACTOR"), QByteArray("2"));
        QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(960, 540));
        UseFixedLook();
        InstallFontSubstitutes();
    }

    void theLayoutKeepsItsLogicalPixelsAndDoublesItsDevicePixels() {
        ClockSeededRandom random;
        testing::ManualClock clock;
        MainWindow window(random, clock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.devicePixelRatio(), 2.0);
        QCOMPARE(window.clientArea()->size(), QSize(692, 361));
        QCOMPARE(window.clientArea()->findChild<QWidget*>("cmdStart")->geometry(),
                 QRect(16, 304, 73, 25));

        const QPoint offCentre =
            window.frameGeometry().center() - window.screen()->availableGeometry().center();
        QVERIFY2(std::abs(offCentre.x()) <= 1 && std::abs(offCentre.y()) <= 1,
                 qPrintable(QString("%1, %2 px off centre").arg(offCentre.x()).arg(offCentre.y())));

        const QPixmap client = window.clientArea()->grab();
        QCOMPARE(client.size(), QSize(1384, 722));
        QCOMPARE(client.devicePixelRatio(), 2.0);
    }

    // Text drawn for the denser screen has detail a doubled low-density picture cannot have:
    // some 2 x 2 block of device pixels is not of one colour.
    void textIsDrawnAtTheDeviceResolution() {
        ClockSeededRandom random;
        testing::ManualClock clock;
        MainWindow window(random, clock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* label = window.clientArea()->findChild<QLabel*>("Label1");
        const QImage image = label->grab().toImage();
        bool finerThanDoubled = false;
        for (int y = 0; y + 1 < image.height() && !finerThanDoubled; y += 2) {
            for (int x = 0; x + 1 < image.width() && !finerThanDoubled; x += 2) {
                const QRgb corner = image.pixel(x, y);
                finerThanDoubled = image.pixel(x + 1, y) != corner ||
                                   image.pixel(x, y + 1) != corner ||
                                   image.pixel(x + 1, y + 1) != corner;
            }
        }
        QVERIFY(finerThanDoubled);
    }
};

QTEST_MAIN(HiDpiTest)
#include "hidpi_test.moc"
