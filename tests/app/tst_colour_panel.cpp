#include "colour_panel.h"

#include <QApplication>
#include <QLineEdit>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

// The colours of the swatch's inside, within its frame.
QSet<QRgb> insideColours(ColourPanel& panel)
{
    const QImage image = panel.grab().toImage();
    QSet<QRgb> colours;
    const QRect inside = panel.contentsRect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

} // namespace

class TestColourPanel : public QObject {
    Q_OBJECT

private slots:
    void showsTheFocusAndTakesKeys()
    {
        QWidget window;
        auto* before = new QLineEdit(&window);
        auto* panel = new ColourPanel(&window);
        panel->setFixedSize(60, 22);
        panel->setColour(QColor(200, 40, 40));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(panel);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        before->setFocus();
        QCOMPARE(insideColours(*panel), QSet<QRgb>({ QColor(200, 40, 40).rgb() }));
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), panel);
        const QSet<QRgb> focused = insideColours(*panel);
        QVERIFY(focused.contains(panel->palette().color(QPalette::Highlight).rgb()));
        QVERIFY(focused.contains(QColor(Qt::white).rgb()));

        QSignalSpy clicks(panel, &ColourPanel::clicked);
        QTest::keyClick(panel, Qt::Key_Space);
        QTest::keyClick(panel, Qt::Key_Return);
        QTest::keyClick(panel, Qt::Key_Enter);
        QTest::keyClick(panel, Qt::Key_A);
        QCOMPARE(clicks.count(), 3);
    }

    // Disabled, no part of the swatch keeps the colour as it was, and a
    // hatch runs across it.
    void looksDisabledWhenDisabled()
    {
        for (const QColor& colour : { QColor(200, 40, 40), QColor(Qt::white), QColor(Qt::black) }) {
            ColourPanel panel;
            panel.resize(60, 22);
            panel.setColour(colour);
            panel.setEnabled(false);
            const QSet<QRgb> colours = insideColours(panel);
            QVERIFY(!colours.contains(colour.rgb()));
            QVERIFY(colours.size() >= 2);
        }
    }
};

QTEST_MAIN(TestColourPanel)
#include "tst_colour_panel.moc"
