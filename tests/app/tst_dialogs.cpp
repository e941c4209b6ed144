#include "dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    // A window manager writes the title in bold between the window's icon and
    // three buttons, each about a line high: a narrower box cuts the title.
    void messageBoxesAreWideEnoughForTheirTitles()
    {
        QtDialogs dialogs;
        const struct {
            QString title;
            std::function<void()> show;
        } boxes[] = {
            { "Spinmora", [&] { dialogs.showError("Spinmora", "Disk full"); } },
            { "Error", [&] { dialogs.showError("Error", "x"); } },
            { "Warning", [&] { dialogs.warn("x"); } },
            { "Warning", [&] { dialogs.askYesNo("x"); } },
        };
        QFont bold = QApplication::font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        for (const auto& box : boxes) {
            int width = 0;
            QString title;
            QTimer::singleShot(0, [&] {
                auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(shown);
                width = shown->width();
                title = shown->windowTitle();
                shown->done(0);
            });
            box.show();
            QCOMPARE(title, box.title);
            QVERIFY2(
                width >= metrics.horizontalAdvance(box.title) + 5 * metrics.height(), qPrintable(box.title));
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
