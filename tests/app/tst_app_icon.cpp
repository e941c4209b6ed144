#include "about_box.h"
#include "app_icon.h"
#include "editor_session.h"
#include "file_association.h"

#include <QFile>
#include <QLabel>
#include <QSvgRenderer>
#include <QTest>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage image(const QIcon& icon, int side)
{
    return icon.pixmap(side, side).toImage();
}

} // namespace

class TestAppIcon : public QObject {
    Q_OBJECT

private slots:
    // A rounded tile: clear corners, an opaque middle, at every size asked.
    void theIconRendersAtEverySize()
    {
        const QIcon icon = pictavoIcon();
        QVERIFY(!icon.isNull());
        for (int side : { 16, 32, 48, 64, 256 }) {
            const QImage picture = image(icon, side);
            QCOMPARE(picture.size(), QSize(side, side));
            QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(picture.pixel(side - 1, side - 1)), 0);
            QCOMPARE(qAlpha(picture.pixel(side / 2, side / 2)), 255);
        }
    }

    void theWindowsShowIt()
    {
        EditorSession session;
        QCOMPARE(image(session.form->windowIcon(), 32), image(pictavoIcon(), 32));
        TformAbout about(session.dialogs);
        QCOMPARE(image(about.windowIcon(), 32), image(pictavoIcon(), 32));
        const QPixmap shown = about.findChild<QLabel*>("imgProductIcon")->pixmap();
        QCOMPARE(shown.toImage(), image(pictavoIcon(), 64));
    }

    void theDesktopEntryNamesTheInstalledIcon()
    {
        EditorSession session;
        RegisterFileAssociation("/opt/pictavo/bin/pictavo");
        const QByteArray installed = fileBytes(session.path("data/icons/hicolor/scalable/apps/pictavo.svg"));
        QCOMPARE(installed, fileBytes(PICTAVO_SOURCE_DIR "/app/icons/pictavo.svg"));
        QVERIFY(QSvgRenderer(installed).isValid());
        const QStringList entry
            = QString::fromUtf8(fileBytes(session.path("data/applications/pictavo.desktop"))).split('\n');
        QVERIFY(entry.contains("Icon=pictavo"));
    }
};

QTEST_MAIN(TestAppIcon)
#include "tst_app_icon.moc"
