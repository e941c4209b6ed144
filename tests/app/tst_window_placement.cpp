// The editor's windows on their screen. CTest runs this on offscreen screens
// of the sizes PICTAVO_TEST_SCREEN names ("1280x900"), at the scale factors
// QT_SCALE_FACTOR gives.

#include "editor_session.h"
#include "help_window.h"
#include "main_form.h"
#include "spin_edit.h"
#include "window_placement.h"

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

Q_DECLARE_METATYPE(QMargins)

class TestWindowPlacement : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorSession> m_session;
    TMainForm* m_form = nullptr;

    QRect available() const { return m_form->screen()->availableGeometry(); }

    void showForm()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

private slots:
    void init()
    {
        m_session = std::make_unique<EditorSession>();
        m_form = m_session->form.get();
    }

    void cleanup() { m_session.reset(); }

    void centredGeometryFitsTheArea_data()
    {
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        // Designed 972 by 673 under a frame 1 wide with a title bar 20 high.
        QTest::newRow("fits") << QSize(554, 558) << QRect(0, 0, 1280, 900) << QRect(154, 123, 972, 673);
        QTest::newRow("a smaller area") << QSize(554, 558) << QRect(0, 0, 853, 600) << QRect(1, 20, 851, 579);
        QTest::newRow("an area beside another, under a panel")
            << QSize(554, 558) << QRect(1280, 30, 1024, 738) << QRect(1306, 72, 972, 673);
        QTest::newRow("an area smaller than the minimum")
            << QSize(554, 558) << QRect(0, 0, 500, 400) << QRect(1, 20, 554, 558);
    }

    void centredGeometryFitsTheArea()
    {
        QFETCH(QSize, minimum);
        QFETCH(QRect, available);
        QFETCH(QRect, expected);
        QCOMPARE(centredGeometry(QSize(972, 673), minimum, QMargins(1, 20, 1, 1), available), expected);
    }

    void besideGeometryKeepsOutOfTheOwnersWay_data()
    {
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        // A window of 402 by 428 under a frame 1 wide with a title bar 20 high.
        QTest::newRow("room on the right")
            << QRect(474, 193, 974, 694) << QRect(0, 0, 1920, 1080) << QRect(1449, 213, 402, 428);
        QTest::newRow("room on the left only")
            << QRect(600, 100, 974, 694) << QRect(0, 0, 1600, 900) << QRect(197, 120, 402, 428);
        QTest::newRow("no room, more on the right")
            << QRect(100, 103, 974, 694) << QRect(0, 0, 1280, 900) << QRect(877, 123, 402, 428);
        QTest::newRow("no room, more on the left")
            << QRect(200, 0, 974, 694) << QRect(0, 0, 1280, 900) << QRect(877, 20, 402, 428);
        QTest::newRow("no room, as much on either side")
            << QRect(153, 103, 974, 694) << QRect(0, 0, 1280, 900) << QRect(877, 123, 402, 428);
        QTest::newRow("an owner low on the screen")
            << QRect(0, 500, 600, 300) << QRect(0, 0, 1280, 900) << QRect(601, 471, 402, 428);
        QTest::newRow("a screen lower than the window")
            << QRect(0, 0, 853, 400) << QRect(0, 0, 853, 400) << QRect(450, 20, 402, 379);
    }

    void besideGeometryKeepsOutOfTheOwnersWay()
    {
        QFETCH(QRect, owner);
        QFETCH(QRect, available);
        QFETCH(QRect, expected);
        QCOMPARE(besideGeometry(owner, QSize(402, 428), QSize(200, 150), QMargins(1, 20, 1, 1), available),
            expected);
    }

    void theWindowFitsItsScreenAndIsCentred()
    {
        showForm();
        const QRect area = available();
        const QRect frame = m_form->frameGeometry();
        QVERIFY2(area.contains(frame),
            qPrintable(QString("%1,%2 %3x%4 outside %5x%6")
                           .arg(frame.x())
                           .arg(frame.y())
                           .arg(frame.width())
                           .arg(frame.height())
                           .arg(area.width())
                           .arg(area.height())));
        QVERIFY(std::abs((frame.left() - area.left()) - (area.right() - frame.right())) <= 1);
        QVERIFY(std::abs((frame.top() - area.top()) - (area.bottom() - frame.bottom())) <= 1);
        // The designed size where it fits; else the whole of that dimension.
        const QMargins margins = m_form->windowHandle()->frameMargins();
        if (972 + margins.left() + margins.right() <= area.width())
            QCOMPARE(m_form->width(), 972);
        else
            QCOMPARE(frame.width(), area.width());
        if (673 + margins.top() + margins.bottom() <= area.height())
            QCOMPARE(m_form->height(), 673);
        else
            QCOMPARE(frame.height(), area.height());
        // The screens tested are large enough for every control at its size.
        QVERIFY(area.size().shrunkBy(margins).expandedTo(m_form->minimumSizeHint())
            == area.size().shrunkBy(margins));
    }

    void theButtonPanelsKeepTheirSpinBoxesAtTheSmallestSize()
    {
        showForm();
        if (m_form->findChild<QScrollArea*>("scrlbxMiddle")->minimumSize().isEmpty())
            QSKIP("the screen is smaller than the panels need: the window's middle scrolls");
        m_form->resize(1, 1);
        QTRY_COMPARE(m_form->size(), m_form->minimumSizeHint());
        QCoreApplication::processEvents();
        for (const char* name : { "spnedt_playButtonX", "spnedt_playButtonY", "spnedt_prevButtonX",
                 "spnedt_prevButtonY", "spnedt_nextButtonX", "spnedt_nextButtonY" }) {
            auto* spin = m_form->findChild<SpinEdit*>(name);
            QVERIFY2(spin->isVisible(), name);
            QVERIFY2(spin->width() >= std::max(spin->minimumWidth(), spin->minimumSizeHint().width()), name);
            QVERIFY2(spin->height() >= spin->minimumSizeHint().height(), name);
            for (QWidget* widget = spin; widget != m_form; widget = widget->parentWidget())
                QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()),
                    qPrintable(
                        QString("%1 sticks out of %2").arg(name, widget->parentWidget()->objectName())));
        }
    }

    // With the main window against the left edge, the help window opens on
    // its right where there is room, else against the screen's right edge.
    void theHelpWindowOpensBesideTheMainWindow()
    {
        showForm();
        const QRect area = available();
        m_form->move(area.topLeft());
        QTRY_COMPARE(m_form->frameGeometry().topLeft(), area.topLeft());
        m_form->findChild<QToolButton*>("SpeedButton3")->click();
        TfrmHelp* help = m_form->helpWindow();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        const QRect main = m_form->frameGeometry();
        const QRect frame = help->frameGeometry();
        QVERIFY(area.contains(frame));
        QCOMPARE(frame.top(), main.top());
        const int roomRight = area.right() - main.right();
        if (roomRight >= frame.width())
            QCOMPARE(frame.left(), main.right() + 1);
        else
            QCOMPARE(frame.right(), area.right());

        // Once open, it stays where the user puts it.
        help->move(area.topLeft() + QPoint(10, 10));
        const QPoint moved = help->pos();
        m_form->findChild<QToolButton*>("SpeedButton4")->click();
        QCOMPARE(help->pos(), moved);
    }
};

int main(int argc, char** argv)
{
    // The offscreen platform's screen, as large as the test is told.
    const QStringList size = qEnvironmentVariable("PICTAVO_TEST_SCREEN", "1280x900").split('x');
    QTemporaryDir folder;
    QFile config(folder.filePath("screen.json"));
    if (size.size() != 2 || !config.open(QIODevice::WriteOnly))
        return 2;
    config.write(QString(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1, "height": %2,)"
                         R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                     .arg(size[0], size[1])
                     .toUtf8());
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toUtf8());
    QApplication application(argc, argv);
    TestWindowPlacement test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_placement.moc"
