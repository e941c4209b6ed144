#include "pictures/jpeg_codec.h"
#include "main_form.h"
#include "support/items.h"
#include "editor_session.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <memory>
#include <random>

namespace model = pictavo::model;

class TestItemTree : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorSession> m_session;
    ScriptedDialogs* m_dialogs = nullptr;
    TMainForm* m_form = nullptr;

    QTreeWidget* tree() { return m_form->tree(); }
    QTreeWidgetItem* root() { return tree()->topLevelItem(0); }
    QString path(const QString& name) const { return m_session->path(name); }
    const model::TItemArray& items() { return m_form->agent().Items; }

    QTreeWidgetItem* node(const QString& caption)
    {
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            if ((*it)->text(0) == caption)
                return *it;
        qFatal("no node %s", qPrintable(caption));
        return nullptr;
    }
    void select(const QString& caption) { tree()->setCurrentItem(node(caption)); }

    // Opens a project of items named <name>.jpg at the given levels.
    void openProject(const QStringList& names, const QList<int>& levels)
    {
        model::TAppletAgent agent;
        agent.ResetToDefaults();
        for (int i = 0; i < names.size(); ++i) {
            model::TItemData item =
                pictavo::test::itemWithOriginal("/originals/" + names[i].toStdString() + ".jpg", std::to_string(levels[i]));
            item.ToolTip = names[i].toStdString();
            agent.Items.push_back(item);
        }
        model::NullProgress progress;
        agent.SaveProjectFile(path("nested.tvgallery1").toStdString(), progress);
        m_form->OpenProjectFile(path("nested.tvgallery1"));
    }

    // The tree below the root and the item list match one to one: the same
    // count, each node's caption from its item's picture, each Level its depth
    // (storing the item panel empties Level until the next build sets it).
    void expectMirror()
    {
        int index = 0;
        for (QTreeWidgetItemIterator it(root()); *it; ++it) {
            if (*it == root())
                continue;
            QVERIFY2(index < int(items().size()), "more nodes than items");
            const model::TItemData& item = items()[std::size_t(index)];
            const QString expected =
                item.OriginalImagePath.empty() ? "Image" : QFileInfo(QString::fromStdString(item.OriginalImagePath)).fileName();
            QCOMPARE((*it)->text(0), expected);
            int depth = 0;
            for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
                ++depth;
            if (!item.Level.empty())
                QCOMPARE(QString::fromStdString(item.Level), QString::number(depth - 1));
            ++index;
        }
        QCOMPARE(index, int(items().size()));
    }

    QStringList order()
    {
        QStringList names;
        for (const model::TItemData& item : items())
            names << QString::fromStdString(item.ToolTip);
        return names;
    }


private slots:
    void init()
    {
        m_session = std::make_unique<EditorSession>();
        m_dialogs = &m_session->dialogs;
        m_form = m_session->form.get();
    }

    void cleanup() { m_session.reset(); }

    void insertAddsBlankItemsUnderTheRoot()
    {
        for (int i = 0; i < 3; ++i)
            m_form->Insert1Click();
        QCOMPARE(root()->childCount(), 3);
        QCOMPARE(items().size(), std::size_t(3));
        for (const model::TItemData& item : items()) {
            QCOMPARE(QString::fromStdString(item.Level), QString("0"));
            QCOMPARE(QString::fromStdString(item.Target), QString("_self"));
        }
        QCOMPARE(tree()->currentItem(), root());
        QVERIFY(m_form->isModified());
        expectMirror();
    }

    void deleteRemovesTheSubtreeOnlyOnYes()
    {
        openProject({"A", "A1", "A2", "B"}, {0, 1, 1, 0});
        m_form->Delete1Click();
        QCOMPARE(m_dialogs->said.last(), QString("Error: Root item cannot be deleted."));
        QVERIFY(m_form->isModified());

        select("A.jpg");
        m_form->setModified(false);
        m_dialogs->answers = {Dialogs::Answer::No};
        m_form->Delete1Click();
        QCOMPARE(m_dialogs->said.last(), QString("Warning: Are you sure to delete this item and all its children?"));
        m_dialogs->answers = {Dialogs::Answer::Cancel};  // the box closed or Escape
        m_form->Delete1Click();
        QCOMPARE(items().size(), std::size_t(4));
        QVERIFY(m_form->isModified());

        m_dialogs->answers = {Dialogs::Answer::Yes};
        m_form->Delete1Click();
        QCOMPARE(order(), QStringList({"B"}));
        QCOMPARE(m_form->currentItemNode(), tree()->currentItem() == root() ? nullptr : tree()->currentItem());
        expectMirror();

        m_form->setModified(false);
        openProject({"A", "B", "B1", "B2"}, {0, 0, 1, 1});
        select("B1.jpg");
        m_dialogs->answers = {Dialogs::Answer::Yes};
        m_form->Delete1Click();
        QCOMPARE(order(), QStringList({"A", "B", "B2"}));
        expectMirror();
    }

    void movesExchangeWholeBlocks()
    {
        openProject({"A", "B", "B1", "B2", "C"}, {0, 0, 1, 1, 0});
        select("B.jpg");
        m_form->MoveUp1Click();
        QCOMPARE(order(), QStringList({"B", "B1", "B2", "A", "C"}));
        QCOMPARE(tree()->currentItem(), node("B.jpg"));
        expectMirror();
        m_form->MoveDown1Click();
        QCOMPARE(order(), QStringList({"A", "B", "B1", "B2", "C"}));
        m_form->MoveDown1Click();
        QCOMPARE(order(), QStringList({"A", "C", "B", "B1", "B2"}));
        expectMirror();
        m_form->MoveDown1Click();  // already last: nothing but Modified
        QCOMPARE(order(), QStringList({"A", "C", "B", "B1", "B2"}));

        select("B2.jpg");
        m_form->MoveUp1Click();
        QCOMPARE(order(), QStringList({"A", "C", "B", "B2", "B1"}));
        expectMirror();
        QVERIFY(!m_form->findChild<QAction*>("MoveUp1")->isEnabled());
        QVERIFY(m_form->findChild<QAction*>("MoveDown2")->isEnabled());
        QVERIFY(m_form->findChild<QToolButton*>("tlbtnMoveDown")->isEnabled());
        QVERIFY(!m_form->findChild<QToolButton*>("tlbtnInsert")->isEnabled());
    }

    void editsReachTheirItemWhereverItMoved()
    {
        openProject({"A", "B", "C"}, {0, 0, 0});
        select("A.jpg");
        QCOMPARE(m_form->findChild<QTabWidget*>("pgcntrl1")->currentIndex(), 3);
        auto* title = m_form->findChild<QLineEdit*>("edt_IToolTip");
        QCOMPARE(title->text(), QString("A"));
        title->setText("A edited");
        select("B.jpg");
        QCOMPARE(QString::fromStdString(items()[0].ToolTip), QString("A edited"));
        select("A.jpg");
        QCOMPARE(title->text(), QString("A edited"));

        title->setText("A moved");
        m_form->MoveDown1Click();
        select("C.jpg");
        QCOMPARE(QString::fromStdString(items()[1].ToolTip), QString("A moved"));
        QCOMPARE(QString::fromStdString(items()[0].ToolTip), QString("B"));

        // Selecting the root keeps the panel's item; selecting an item changes
        // nothing the file holds, so no save is due.
        tree()->setCurrentItem(root());
        QCOMPARE(m_form->findChild<QTabWidget*>("pgcntrl1")->currentIndex(), 0);
        m_form->setModified(false);
        select("B.jpg");
        select("C.jpg");
        QVERIFY(!m_form->isModified());
        // Picking the item's picture is an edit.
        m_dialogs->fileNames = {"/pictures/new.jpg"};
        m_form->spdbtnItemImageNormalClick();
        QVERIFY(m_form->isModified());
    }

    void batchImportAddsEveryChosenPicture()
    {
        QStringList files;
        for (int i = 1; i <= 5; ++i)
            files << path(QString("pic %1.jpg").arg(i));
        m_dialogs->fileNames = {files.join('\n')};
        m_form->btnBatchImportImgsClick();
        QCOMPARE(m_dialogs->fileDialogFolders.last(), m_session->home.path());
        QCOMPARE(root()->childCount(), 5);
        QCOMPARE(root()->child(4)->text(0), QString("pic 5.jpg"));
        QCOMPARE(QString::fromStdString(items()[2].OriginalImagePath), files[2]);
        expectMirror();

        // A path the project file could not hold is left out, and said so.
        m_dialogs->fileNames = {path("good.jpg") + "\n" + path("bad#$@name.jpg")};
        m_form->btnBatchImportImgsClick();
        QCOMPARE(root()->childCount(), 6);
        QCOMPARE(QString::fromStdString(items()[5].OriginalImagePath), path("good.jpg"));
        QVERIFY(m_dialogs->said.last().startsWith("Warning: These pictures were not added"));
        QVERIFY(m_dialogs->said.last().endsWith(path("bad#$@name.jpg")));
        expectMirror();
    }

    void pickersFillTheItemPanel()
    {
        m_session->writeBmp("first.bmp");
        m_session->writeBmp("second.bmp");
        openProject({"A", "A1"}, {0, 1});
        select("A.jpg");
        m_dialogs->fileNames = {path("first.bmp")};
        m_form->spdbtnItemImageNormalClick();
        QCOMPARE(node("first.bmp"), root()->child(0));
        QCOMPARE(m_form->findChild<QLineEdit*>("edtOriginalImagePath")->text(), path("first.bmp"));
        QVERIFY(m_form->findChild<QLabel*>("imgPreview")->isVisibleTo(m_form));

        select("A1.jpg");
        QVERIFY(!m_form->findChild<QLabel*>("imgPreview")->isVisibleTo(m_form));
        m_dialogs->fileNames = {path("second.bmp")};
        m_form->spdbtnItemImageNormalClick();
        QCOMPARE(root()->child(0)->child(0)->text(0), QString("A1.jpg"));
        QCOMPARE(m_form->findChild<QLineEdit*>("edtOriginalImagePath")->text(), path("second.bmp"));

        m_form->setModified(false);
        m_dialogs->fileNames = {"/home/a/site/page 1.html"};
        m_form->spdbtnItURLClick();
        QCOMPARE(m_form->findChild<QComboBox*>("cmbx_ILink")->currentText(), QString("file:///home/a/site/page%201.html"));
        QVERIFY(m_form->isModified());
    }

    void aBrokenPreviewPictureIsReportedAndLeavesTheItem()
    {
        QFile junk(path("junk.jpg"));
        junk.open(QIODevice::WriteOnly);
        junk.write("not a picture");
        junk.close();
        openProject({"A", "B"}, {0, 0});
        select("A.jpg");
        m_form->findChild<QLineEdit*>("edtOriginalImagePath")->setText(path("junk.jpg"));
        select("B.jpg");
        select("A.jpg");
        QVERIFY(m_dialogs->said.last().startsWith("Spinmora: The picture " + path("junk.jpg") + " cannot be shown"));
        QCOMPARE(QString::fromStdString(items()[0].OriginalImagePath), path("junk.jpg"));
        QCOMPARE(m_form->findChild<QLineEdit*>("edt_IToolTip")->text(), QString("A"));
    }

    // A photograph beyond what an image reader may allocate at full size
    // still shows, read at a reduced size.
    void aLargePhotographShowsInThePreview()
    {
        pictavo::test::writeBytes(path("large.jpg").toStdString(),
                                  pictavo::pictures::encodeJpeg(pictavo::pictures::Image(6000, 6000)));
        openProject({"A", "B"}, {0, 0});
        select("A.jpg");
        m_form->findChild<QLineEdit*>("edtOriginalImagePath")->setText(path("large.jpg"));
        select("B.jpg");
        m_dialogs->said.clear();
        select("A.jpg");
        QCOMPARE(m_dialogs->said, QStringList());
        QVERIFY(!m_form->findChild<QLabel*>("imgPreview")->isHidden());
    }

    void randomCommandsKeepTreeAndListInStep()
    {
        openProject({"A", "A1", "A1a", "A2", "B", "C", "C1"}, {0, 1, 2, 1, 0, 0, 1});
        std::mt19937 random(2026);
        m_dialogs->answers.assign(4000, Dialogs::Answer::Yes);
        for (int step = 0; step < 3000; ++step) {
            QList<QTreeWidgetItem*> nodes;
            for (QTreeWidgetItemIterator it(tree()); *it; ++it)
                nodes << *it;
            tree()->setCurrentItem(nodes[int(random() % unsigned(nodes.size()))]);
            switch (random() % 6) {
            case 0: {
                // Each new item gets a picture of its own, so that a mix-up shows.
                QTreeWidgetItem* parent = tree()->currentItem();
                m_form->Insert1Click();
                QTreeWidgetItem* added = parent->child(parent->childCount() - 1);
                const QString name = QString("N%1.jpg").arg(step);
                added->setText(0, name);
                int index = -1;
                for (QTreeWidgetItemIterator it(tree()); *it; ++it, ++index)
                    if (*it == added)
                        break;
                m_form->agent().Items[std::size_t(index)].OriginalImagePath = "/new/" + name.toStdString();
                break;
            }
            case 1:
                if (items().size() > 3)
                    m_form->Delete1Click();
                break;
            case 2:
                m_form->MoveUp1Click();
                break;
            case 3:
                m_form->MoveDown1Click();
                break;
            case 4:
                m_form->findChild<QLineEdit*>("edt_IToolTip")->setText(QString("t%1").arg(step));
                break;
            default:
                tree()->setCurrentItem(root());
                break;
            }
            expectMirror();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QString("out of step after step %1").arg(step)));
        }

        for (const QString& message : m_dialogs->said)
            QVERIFY2(!message.startsWith("Spinmora"), qPrintable(message));
        tree()->setCurrentItem(root());
        const model::TItemArray before = items();
        QList<int> shape;
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            shape << (*it)->childCount();
        m_form->Save1Click();
        QVERIFY(!m_form->isModified());
        m_form->OpenProjectFile(m_form->projectFileName());
        QList<int> reloaded;
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            reloaded << (*it)->childCount();
        QCOMPARE(reloaded, shape);
        expectMirror();
        QCOMPARE(items().size(), before.size());
        for (std::size_t i = 0; i < before.size(); ++i) {
            QCOMPARE(items()[i].ToolTip, before[i].ToolTip);
            QCOMPARE(items()[i].OriginalImagePath, before[i].OriginalImagePath);
        }
    }
};

QTEST_MAIN(TestItemTree)
#include "tst_item_tree.moc"
