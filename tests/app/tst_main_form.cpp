#include "check_group_box.h"
#include "colour_panel.h"
#include "control_binding.h"
#include "help_window.h"
#include "main_form.h"
#include "support/items.h"
#include "recent_files.h"
#include "editor_session.h"
#include "platform/folders.h"
#include "platform/user_error.h"
#include "spin_edit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>
#include <memory>

namespace model = pictavo::model;

class TestMainForm : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorSession> m_session;
    ScriptedDialogs* m_dialogs = nullptr;
    TMainForm* m_form = nullptr;

    template <typename T>
    T* find(const char* name)
    {
        T* widget = m_form->findChild<T*>(name);
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }
    QString path(const QString& name) const { return m_session->path(name); }
    bool saveEnabled() { return find<QAction>("Save1")->isEnabled() && find<QToolButton>("tlbtnSave")->isEnabled(); }

    // A project file with items whose originals exist, written by the core.
    QString writeProject(const QString& name, int items, const std::string& galleryName = "gallery1")
    {
        model::TAppletAgent agent;
        agent.ResetToDefaults();
        agent.AppletData.pScriptName = galleryName;
        const std::string original = m_session->writeBmp("original.bmp", 8, 6).toStdString();
        for (int i = 0; i < items; ++i) {
            model::TItemData item = pictavo::test::itemWithOriginal(original);
            item.ToolTip = "Item " + std::to_string(i);
            agent.Items.push_back(item);
        }
        model::NullProgress progress;
        agent.SaveProjectFile(path(name).toStdString(), progress);
        return path(name);
    }

    // The window shown and active, so that its shortcuts answer keys.
    void activate()
    {
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }

    QStringList recentEntries()
    {
        QStringList entries;
        for (QAction* a : find<QMenu>("mnitRecentFiles")->actions())
            entries << a->text();
        return entries;
    }

private slots:
    void init()
    {
        m_session = std::make_unique<EditorSession>();
        m_dialogs = &m_session->dialogs;
        m_form = m_session->form.get();
    }

    void cleanup() { m_session.reset(); }

    void startsWithADefaultProject()
    {
        QCOMPARE(m_form->windowTitle(), QString("Pictavo"));
        QCOMPARE(m_form->size(), QSize(972, 673));
        auto* tree = find<QTreeWidget>("trvwDesignPanel");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->text(0), QString("Pictavo"));
        QCOMPARE(tree->topLevelItem(0)->childCount(), 0);
        QCOMPARE(find<QLineEdit>("edt_pScriptName")->text(), QString("gallery1"));
        QCOMPARE(find<SpinEdit>("spnedt_largeImageWidth")->value(), 667);
        QCOMPARE(find<ColourPanel>("pnl_focusedBoxBorderColor")->colour(), QColor(255, 255, 0));
        QVERIFY(!saveEnabled());
        auto* pages = find<QTabWidget>("pgcntrl1");
        QVERIFY(pages->isTabVisible(0) && pages->isTabVisible(1) && pages->isTabVisible(2));
        QVERIFY(!pages->isTabVisible(3));
        QCOMPARE(find<QToolButton>("tlbtnNew")->toolTip(), QString("Create a new project"));
        QCOMPARE(find<QAction>("Preview1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    }

    void everyEditMarksTheProjectModified()
    {
        // Each control whose value Save writes, changed alone.
        const std::vector<std::function<void()>> edits = {
            [this] { find<QCheckBox>("ckbx_enableAutoPlay")->setChecked(false); },
            [this] { find<QCheckBox>("ckbx_playButtonVisible")->setChecked(false); },
            [this] { find<QCheckBox>("ckbx__pImageLeadingPathEnabled")->setChecked(true); },
            [this] { find<QRadioButton>("rdbtn__InternalUse_RootDir_Local_Checked2")->setChecked(true); },
            [this] { find<QLineEdit>("edt__pImageLeadingPath")->setText("images/"); },
            [this] { find<QLineEdit>("edt_pScriptName")->setText("Holiday"); },
        };
        for (std::size_t i = 0; i < edits.size(); ++i) {
            m_form->setModified(false);
            edits[i]();
            QVERIFY2(saveEnabled(), std::to_string(i).c_str());
        }

        m_form->setModified(false);
        find<SpinEdit>("spnedt_autoPlayDelay")->setValue(9);
        QVERIFY(m_form->isModified());

        // A cancelled colour dialog keeps the colour and still marks the project.
        m_form->setModified(false);
        auto* panel = find<ColourPanel>("pnl_pPreviewBgColor");
        emit panel->clicked();
        QCOMPARE(panel->colour(), QColor(0, 0, 0));
        QVERIFY(saveEnabled());
        m_dialogs->colours.push_back(QColor(0x12, 0x34, 0x56));
        emit panel->clicked();
        QCOMPARE(panel->colour(), QColor(0x12, 0x34, 0x56));
    }

    void theSeparatorNeverReachesAText()
    {
        find<QLineEdit>("edt_IToolTip")->setText("a#$@b");
        QCOMPARE(find<QLineEdit>("edt_IToolTip")->text(), QString());
        find<QComboBox>("cmbx_ILink")->setEditText("http://x/#$@");
        QCOMPARE(find<QComboBox>("cmbx_ILink")->currentText(), QString());
        QCOMPARE(m_dialogs->said, QStringList({"Warning: The text can't include \"#$@\", it is used by system!",
                                               "Warning: The text can't include \"#$@\", it is used by system!"}));
        find<QLineEdit>("edt_pScriptName")->setText("#$ and @ apart");
        QCOMPARE(m_dialogs->said.size(), 2);
    }

    void valuesRoundTripThroughThePanels()
    {
        model::TAppletAgent& agent = m_form->agent();
        agent.AppletData.focusedBoxBorderAlpha = "250";
        agent.AppletData.playButtonX = "-20000";
        agent.AppletData.focusedBoxBorderColor = "ffff00";
        agent.AppletData.imageTitleFontColor = "Transparent";
        agent.AppletData.enableAutoPlay = "true";
        agent.AppletData.pScriptName = "  spaced  ";
        agent.AppletData.InternalUse_RootDir_Local_Checked = "0";
        agent.AppletData.pPreviewBgColor = "FF";
        ShowGalleryControls(m_form, agent);
        QCOMPARE(find<SpinEdit>("spnedt_focusedBoxBorderAlpha")->value(), 100);
        QCOMPARE(find<SpinEdit>("spnedt_playButtonX")->value(), -9999);
        QVERIFY(!find<QCheckBox>("ckbx_enableAutoPlay")->isChecked());

        // A fraction rounds; typed text that is no number stores the range's lower end.
        find<SpinEdit>("spnedt_imageTitleFontSize")->findChild<QLineEdit*>()->setText("1.5");
        find<SpinEdit>("spnedt_thumbImageWidth")->findChild<QLineEdit*>()->setText("");
        StoreGalleryControls(m_form, agent);
        const model::TAppletData& d = agent.AppletData;
        QCOMPARE(QString::fromStdString(d.focusedBoxBorderAlpha), QString("100"));
        QCOMPARE(QString::fromStdString(d.playButtonX), QString("-9999"));
        QCOMPARE(QString::fromStdString(d.focusedBoxBorderColor), QString("FFFF00"));
        QCOMPARE(QString::fromStdString(d.imageTitleFontColor), QString("000000"));
        QCOMPARE(QString::fromStdString(d.pPreviewBgColor), QString("FF0000"));
        QCOMPARE(QString::fromStdString(d.enableAutoPlay), QString("0"));
        QCOMPARE(QString::fromStdString(d.pScriptName), QString("spaced"));
        QCOMPARE(QString::fromStdString(d.InternalUse_RootDir_Local_Checked), QString("0"));
        QCOMPARE(QString::fromStdString(d.imageTitleFontSize), QString("2"));
        QCOMPARE(QString::fromStdString(d.thumbImageWidth), QString("0"));
        for (int field : {8, 9, 25, 26, 31})
            QVERIFY(d.field(field).empty());

        agent.AppletData.largeImageWidth = "wide";
        try {
            ShowGalleryControls(m_form, agent);
            QFAIL("no error");
        } catch (const pictavo::platform::UserError& e) {
            QCOMPARE(QString(e.what()), QString("'wide' is not a valid integer value"));
        }
    }

    void checkGroupsFollowTheirBoxes()
    {
        auto* play = find<QCheckBox>("ckbx_playButtonVisible");
        play->setChecked(false);
        QVERIFY(!find<SpinEdit>("spnedt_playButtonX")->isEnabled());
        QVERIFY(!find<SpinEdit>("spnedt_playButtonY")->isEnabled());
        QVERIFY(play->isEnabled());
        play->setChecked(true);
        QVERIFY(find<SpinEdit>("spnedt_playButtonX")->isEnabled());

        find<QCheckBox>("ckbx_enableAutoPlay")->setChecked(false);
        QVERIFY(!find<QToolButton>("SpeedButton6")->isEnabled());

        m_form->agent().AppletData.showDescriptionBox = "0";
        ShowGalleryControls(m_form, m_form->agent());
        QVERIFY(!find<SpinEdit>("spnedt_descriptionBoxHeight")->isEnabled());

        TCheckGroupBox box;
        TCheckGroupBox other;
        try {
            box.setCheckComponent(&other);
            QFAIL("no error");
        } catch (const pictavo::platform::UserError& e) {
            QCOMPARE(QString(e.what()), QString("Assigned TCheckGroupBox to itself"));
        }
        QCOMPARE(box.checkComponent(), nullptr);
        QVERIFY(box.IsChecked());
    }

    void helpButtonsOpenTheirPages()
    {
        QCOMPARE(TMainForm::helpPage(12), QString("customizing_fl_script_path_path.htm"));
        QCOMPARE(TMainForm::helpPage(0), QString("getting_started.htm"));
        QCOMPARE(TMainForm::helpPage(13), QString("getting_started.htm"));
        QCOMPARE(TMainForm::PathToFileUrl("/opt/x/help/a b.htm"), QString("file:///opt/x/help/a%20b.htm"));
        find<QToolButton>("SpeedButton28")->click();
        QVERIFY(m_form->helpWindow()->isVisible());
        QVERIFY(m_form->helpWindow()->browser()->source().toString().endsWith("/help/customizing_fl_script_path_path.htm"));
        QVERIFY(!m_form->helpWindow()->browser()->toPlainText().isEmpty());
        m_form->helpWindow()->close();
        QVERIFY(!m_form->helpWindow()->isVisible());
    }

    void newAsksFirstAndCancelChangesNothing()
    {
        find<QLineEdit>("edt_pScriptName")->setText("Mine");
        m_dialogs->answers = {Dialogs::Answer::Cancel};
        m_form->New1Click();
        QCOMPARE(m_dialogs->said, QStringList({"Warning: Save changes to files?"}));
        QCOMPARE(find<QLineEdit>("edt_pScriptName")->text(), QString("Mine"));
        QVERIFY(m_form->isModified());

        // Yes means save: when the save's dialog is cancelled, New stops there.
        m_dialogs->answers = {Dialogs::Answer::Yes};
        m_form->New1Click();
        QCOMPARE(m_dialogs->fileDialogFolders.size(), 1);
        QCOMPARE(find<QLineEdit>("edt_pScriptName")->text(), QString("Mine"));
        QVERIFY(saveEnabled());

        // And when the save is done, New goes on.
        QDir().mkpath(path("site"));
        m_dialogs->answers = {Dialogs::Answer::Yes};
        m_dialogs->fileNames = {path("site/mine.tvgallery1")};
        m_form->New1Click();
        QVERIFY(QFile::exists(path("site/mine.tvgallery1")));
        QCOMPARE(find<QLineEdit>("edt_pScriptName")->text(), QString("gallery1"));
        QVERIFY(!saveEnabled());

        m_form->New1Click();  // unmodified: no prompt
        QCOMPARE(m_dialogs->said.size(), 3);
    }

    void yesThenAFailedSaveStopsOpenExitAndRecentFiles()
    {
        const QString other = writeProject("other.tvgallery1", 1);
        find<QLineEdit>("edt_pScriptName")->setText("Unsaved");
        // A save that fails: the gallery name is no file name.
        find<QLineEdit>("edt_pScriptName")->setText("a/b");
        QDir().mkpath(path("site"));
        for (int attempt = 0; attempt < 2; ++attempt) {
            m_dialogs->answers = {Dialogs::Answer::Yes};
            m_dialogs->fileNames = {path("site/x.tvgallery1")};
            m_form->runCommand([&] { m_form->OpenProjectFile(other); });
            QCOMPARE(find<QLineEdit>("edt_pScriptName")->text(), QString("a/b"));
            QVERIFY(m_form->projectFileName().isEmpty());
            QVERIFY(saveEnabled());
        }
        m_dialogs->answers = {Dialogs::Answer::Yes};
        m_dialogs->fileNames = {path("site/x.tvgallery1")};
        QVERIFY(!m_form->close());
        QVERIFY(saveEnabled());
        m_form->setModified(false);
    }

    void saveAsksForANameOnceAndKeepsItAsTyped()
    {
        find<QLineEdit>("edt_pScriptName")->setText("Typed");
        m_form->Save1Click();  // dialog cancelled
        QVERIFY(saveEnabled());
        QVERIFY(m_form->projectFileName().isEmpty());

        m_dialogs->fileNames = {path("site/gallery")};
        QDir().mkpath(path("site"));
        m_form->Save1Click();
        QVERIFY(!saveEnabled());
        QCOMPARE(m_form->projectFileName(), path("site/gallery"));
        for (const char* file : {"gallery.tvgallery1", "gallery.html", "gallery_readme.txt", "Typedconfig.xml"})
            QVERIFY2(QFile::exists(path("site/") + file), file);
        QCOMPARE(m_dialogs->fileDialogFolders.last(), path("Tavemo/Pictavo/1.0/"));

        find<SpinEdit>("spnedt_largeImageWidth")->setValue(500);
        m_form->Save1Click();  // known name: no dialog
        QCOMPARE(m_dialogs->fileDialogFolders.size(), 2);
        QVERIFY(QFile(path("site/gallery.tvgallery1")).open(QIODevice::ReadOnly));
        QFile saved(path("site/gallery.tvgallery1"));
        saved.open(QIODevice::ReadOnly);
        QVERIFY(saved.readAll().contains("#$@500#$@"));
        QVERIFY(recentEntries().isEmpty());  // saving adds no recent file
    }

    void saveAllRequiredFilesAsStoresThePanelsAndLeavesSaveEnabled()
    {
        QDir().mkpath(path("other"));
        find<QLineEdit>("edt_pScriptName")->setText("Shown");
        m_dialogs->fileNames = {path("other/copy.tvgallery1")};
        m_form->Save2Click();
        QVERIFY(saveEnabled());
        QCOMPARE(m_form->projectFileName(), path("other/copy.tvgallery1"));
        QVERIFY(QFile::exists(path("other/Shownconfig.xml")));
        m_form->Save1Click();
        QCOMPARE(m_dialogs->fileDialogFolders.size(), 1);
        QVERIFY(!saveEnabled());
    }

    void openingReadsTheProjectAndRefusedFilesChangeNothing()
    {
        const QString project = writeProject("three.tvgallery1", 3, "Three");
        m_dialogs->fileNames = {project};
        m_form->Open1Click();
        auto* tree = find<QTreeWidget>("trvwDesignPanel");
        QCOMPARE(tree->topLevelItem(0)->childCount(), 3);
        QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QString("original.bmp"));
        QCOMPARE(find<QLineEdit>("edt_pScriptName")->text(), QString("Three"));
        QCOMPARE(m_form->projectFileName(), project);
        QVERIFY(!saveEnabled());
        QCOMPARE(recentEntries(), QStringList({"&1 " + project}));

        find<QLineEdit>("edt_pScriptName")->setText("Edited");
        QFile foreign(path("foreign.tvgallery1"));
        foreign.open(QIODevice::WriteOnly);
        foreign.write("<Product_Name>\r\nOther\r\n");
        foreign.close();
        m_dialogs->answers = {Dialogs::Answer::No};
        m_form->OpenProjectFile(path("foreign.tvgallery1"));
        QCOMPARE(m_dialogs->said.last(), QString("Error: This file wasn't saved by Pictavo 1.0, open failed!"));
        QCOMPARE(tree->topLevelItem(0)->childCount(), 3);
        QCOMPARE(find<QLineEdit>("edt_pScriptName")->text(), QString("Edited"));
        QCOMPARE(m_form->projectFileName(), project);
        QVERIFY(saveEnabled());
        QCOMPARE(recentEntries().size(), 1);

        m_dialogs->answers = {Dialogs::Answer::No};
        m_form->runCommand([this] { m_form->OpenProjectFile(path("missing.tvgallery1")); });
        QCOMPARE(m_dialogs->said.last(), "Spinmora: File not found: \"" + path("missing.tvgallery1") + "\"");
        QCOMPARE(tree->topLevelItem(0)->childCount(), 3);
        QCOMPARE(m_form->projectFileName(), project);
    }

    void recentFilesKeepFourNewestFirstWithoutReordering()
    {
        QStringList names;
        for (int i = 1; i <= 5; ++i)
            names << writeProject(QString("p%1.tvgallery1").arg(i), 1);
        for (const QString& name : names)
            m_form->OpenProjectFile(name);
        QCOMPARE(recentEntries(), QStringList({"&1 " + names[4], "&2 " + names[3], "&3 " + names[2], "&4 " + names[1]}));
        m_form->OpenProjectFile(names[2]);
        QCOMPARE(recentEntries().first(), "&1 " + names[4]);
        const QString upper = path("P5.TVGALLERY1");
        QFile::copy(names[4], upper);
        m_form->OpenProjectFile(upper);
        QCOMPARE(recentEntries().first(), "&1 " + upper);

        QFile list(QString::fromStdString(recentFilesPath().string()));
        list.open(QIODevice::WriteOnly);
        list.write("&1 /a.tvgallery1\r\n\r\n&3 /c.tvgallery1\r\n&4 /d.tvgallery1\r\n&5 /e.tvgallery1\r\n");
        list.close();
        m_form->LoadRecentFiles();
        QCOMPARE(recentEntries(), QStringList({"&1 /a.tvgallery1", "&3 /c.tvgallery1", "&4 /d.tvgallery1"}));
        addRecentFile("/new.tvgallery1");
        m_form->LoadRecentFiles();
        QCOMPARE(recentEntries(), QStringList({"&1 /new.tvgallery1", "&2 /a.tvgallery1", "&4 /c.tvgallery1"}));
    }

    void closeAsksOnlyWhenModified()
    {
        QVERIFY(m_form->close());
        QVERIFY(m_dialogs->said.isEmpty());
        m_form->show();
        find<QLineEdit>("edt_pScriptName")->setText("x");
        m_dialogs->answers = {Dialogs::Answer::Cancel};
        QVERIFY(!m_form->close());
        QCOMPARE(m_dialogs->said, QStringList({"Warning: Save changes to files before Exit?"}));
        m_dialogs->answers = {Dialogs::Answer::No};
        QVERIFY(m_form->close());
    }

    void previewNeedsItemsAndOpensTheLoopbackAddress()
    {
        m_form->Preview1Click();
        QCOMPARE(m_dialogs->said, QStringList({"Error: No item to build. Please add item to left pane and try again."}));
        QVERIFY(m_dialogs->opened.isEmpty());

        m_form->OpenProjectFile(writeProject("one.tvgallery1", 1));
        m_form->Preview1Click();
        QCOMPARE(m_dialogs->opened.size(), 1);
        const QUrl address = m_dialogs->opened.first();
        QCOMPARE(address.scheme(), QString("http"));
        QCOMPARE(address.host(), QString("127.0.0.1"));
        QVERIFY(address.path().endsWith("/~preview.html"));
        // The window's own Preview folder, inside its run folder.
        const QString page = QString::fromStdString((pictavo::platform::GetPreviewFolder() / "~preview.html").string());
        QVERIFY(page.startsWith(path("data/Tavemo/Pictavo/1.0/Runs/")));
        QVERIFY(QFile::exists(page));
        QVERIFY(!m_form->isModified());
    }

    void aProjectThatFailsToOpenChangesNothing()
    {
        const QString current = writeProject("current.tvgallery1", 2, "Current");
        m_form->OpenProjectFile(current);
        find<QLineEdit>("edt_pScriptName")->setText("Edited");
        const QStringList recent = recentEntries();
        for (const auto& [field, value] : {std::pair{"largeImageWidth", "abc"}, std::pair{"pPreviewBgColor", "zz"}}) {
            model::TAppletAgent damaged;
            damaged.ResetToDefaults();
            damaged.AppletData.field(model::TAppletData::fieldPosition(field)) = value;
            damaged.Items.push_back(pictavo::test::itemWithOriginal("/x/one.jpg"));
            model::NullProgress progress;
            damaged.SaveProjectFile(path("damaged.tvgallery1").toStdString(), progress);

            m_dialogs->answers = {Dialogs::Answer::No};
            m_form->runCommand([this] { m_form->OpenProjectFile(path("damaged.tvgallery1")); });
            QVERIFY(m_dialogs->said.last().startsWith("Spinmora: '"));
            QVERIFY(m_dialogs->said.last().endsWith(QString(" (%1 in \"%2\")").arg(field, path("damaged.tvgallery1"))));
            QCOMPARE(m_form->projectFileName(), current);
            QCOMPARE(m_form->tree()->topLevelItem(0)->childCount(), 2);
            QCOMPARE(m_form->agent().Items.size(), std::size_t(2));
            QCOMPARE(m_form->agent().AppletData.pScriptName, std::string("Current"));
            QCOMPARE(find<QLineEdit>("edt_pScriptName")->text(), QString("Edited"));
            QVERIFY(m_form->isModified());
            QCOMPARE(recentEntries(), recent);
        }
    }

    void projectsAreRememberedByTheirAbsolutePaths()
    {
        writeProject("relative.tvgallery1", 1);
        const QString before = QDir::currentPath();
        QDir::setCurrent(path(""));
        m_form->OpenProjectFile("relative.tvgallery1");
        QDir::setCurrent(before);
        QCOMPARE(m_form->projectFileName(), path("relative.tvgallery1"));
        QCOMPARE(recentEntries().first(), "&1 " + path("relative.tvgallery1"));
    }

    void aCloseRequestDuringACommandWaitsUntilItEnds()
    {
        m_form->show();
        find<QLineEdit>("edt_pScriptName")->setText("Edited");
        m_dialogs->answers = {Dialogs::Answer::Cancel};
        QMetaObject::invokeMethod(m_form, "close", Qt::QueuedConnection);
        int promptsDuringTheCommand = -1;
        m_form->runCommand([&] {
            // What a build does while it waits for its pictures.
            m_form->progress().waiting();
            promptsDuringTheCommand = int(m_dialogs->said.size());
        });
        QCOMPARE(promptsDuringTheCommand, 0);
        QVERIFY(m_form->isVisible());
        QTRY_COMPARE(m_dialogs->said, QStringList({"Warning: Save changes to files before Exit?"}));
        QVERIFY(m_form->isVisible());  // Cancel keeps it open
    }

    void detailsOfTheWindow()
    {
        // The Save button keeps its hint whatever its action does.
        find<QLineEdit>("edt_pScriptName")->setText("Edited");
        QCOMPARE(find<QToolButton>("tlbtnSave")->toolTip(), QString("Save the current project to a file"));
        // The item commands follow the selection from the start, after New and after Open.
        for (int round = 0; round < 3; ++round) {
            if (round == 1) {
                m_form->setModified(false);
                m_form->New1Click();
            }
            if (round == 2)
                m_form->OpenProjectFile(writeProject("two.tvgallery1", 2));
            QVERIFY(find<QPushButton>("btnBatchImportImgs")->isEnabled());
            QVERIFY(find<QToolButton>("tlbtnInsert")->isEnabled());
            QVERIFY(!find<QToolButton>("tlbtnDelete")->isEnabled());
            QVERIFY(!find<QToolButton>("tlbtnMoveUp")->isEnabled());
            QVERIFY(!find<QToolButton>("tlbtnMoveDown")->isEnabled());
        }
        // Hovering the tree shows its hint on the hint line.
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QTest::mouseMove(find<QToolButton>("tlbtnNew"));
        QTRY_COMPARE(find<QLabel>("stctxtHint")->text(), QString("Create a new project"));
        QTest::mouseMove(m_form->tree()->viewport(), QPoint(40, 60));
        QTRY_COMPARE(find<QLabel>("stctxtHint")->text(),
                     QString("Add, remove or move items by right-clicking the mouse."));
        // The View menu follows the toolbar however it is hidden.
        m_form->show();
        find<QToolBar>("tlbr1")->hide();
        QVERIFY(!find<QAction>("ToolBar1")->isChecked());
        find<QToolBar>("tlbr1")->show();
        QVERIFY(find<QAction>("ToolBar1")->isChecked());
    }

    void theBuildsWarningsShowOnTheStatusBar()
    {
        const QString project = writeProject("one.tvgallery1", 2);
        QFile::remove(path("original.bmp"));
        m_form->OpenProjectFile(project);
        m_form->Save1Click();
        QVERIFY(!saveEnabled());
        auto* warnings = find<QLabel>("lblBuildWarnings");
        QVERIFY(!warnings->isHidden());
        QVERIFY(warnings->text().startsWith("Warning: item 0: "));
        QVERIFY(warnings->text().endsWith(" (and 1 more)"));
        QCOMPARE(warnings->toolTip(), "item 0: original picture not found: " + path("original.bmp") +
                                          "\nitem 1: original picture not found: " + path("original.bmp"));
        // A menu's hint passing over the bar leaves them in view.
        m_form->statusBar()->showMessage("Delete selected item");
        QVERIFY(!warnings->isHidden());

        // A later build without warnings does not leave the old ones standing.
        m_session->writeBmp("original.bmp", 8, 6);
        m_form->Preview1Click();
        QVERIFY(warnings->isHidden());
        QCOMPARE(warnings->toolTip(), QString());
    }

    // The view and the walks over the tree take any depth a file gives:
    // deeper than the call stack would allow by recursion.
    void aProjectNestedDeeplyOpensAndSaves()
    {
        constexpr int depth = 120000;
        model::TAppletAgent agent;
        agent.ResetToDefaults();
        for (int i = 0; i < depth; ++i)
            agent.Items.push_back(pictavo::test::itemWithOriginal(path("gone.bmp").toStdString(), std::to_string(i)));
        model::NullProgress progress;
        agent.SaveProjectFile(path("deep.tvgallery1").toStdString(), progress);
        m_form->OpenProjectFile(path("deep.tvgallery1"));
        QVERIFY(m_dialogs->said.isEmpty());
        m_form->show();
        QApplication::processEvents();
        m_form->setModified(true);
        m_form->runCommand([this] { m_form->Save1Click(); });
        QCOMPARE(m_dialogs->said, QStringList());
        QVERIFY(!saveEnabled());
        agent.LoadProjectFile(path("deep.tvgallery1").toStdString(), *std::make_unique<model::Outline>(), progress);
        QCOMPARE(agent.Items.back().Level, std::to_string(depth - 1));

        // "*" opens a branch, Delete removes one, New drops the tree: none
        // of them by recursion as deep as the project.
        m_form->tree()->setFocus();
        m_form->tree()->setCurrentItem(m_form->tree()->topLevelItem(0));
        QTest::keyClick(m_form->tree(), Qt::Key_Asterisk);
        QApplication::processEvents();
        QTreeWidgetItem* second = m_form->tree()->topLevelItem(0)->child(0)->child(0);
        m_form->tree()->setCurrentItem(second);
        m_dialogs->answers = {Dialogs::Answer::Yes};
        m_form->Delete1Click();
        QCOMPARE(m_form->agent().Items.size(), std::size_t(1));
        m_form->OpenProjectFile(path("deep.tvgallery1"));
        m_form->setModified(false);
        m_form->New1Click();
        QCOMPARE(m_form->tree()->topLevelItem(0)->childCount(), 0);
    }

    void aGalleryThatIsNoFileNameIsRefusedAtSave()
    {
        QDir().mkpath(path("site"));
        find<QLineEdit>("edt_pScriptName")->setText("../x/");
        m_dialogs->fileNames = {path("site/g.tvgallery1")};
        m_form->runCommand([this] { m_form->Save1Click(); });
        QCOMPARE(m_dialogs->said.last(),
                 QString("Spinmora: The gallery name \"../x/\" cannot be used: it must not hold \"/\"."));
        QVERIFY(saveEnabled());
        QVERIFY(m_form->projectFileName().isEmpty());
        QVERIFY(QDir(path("site")).isEmpty());
        QVERIFY(!QFile::exists(path("x")));
    }

    void aSaveByAnotherProgramIsNotOverwrittenUnasked()
    {
        const QString project = writeProject("shared.tvgallery1", 1, "Mine");
        m_form->OpenProjectFile(project);
        find<QLineEdit>("edt_pScriptName")->setText("Mine, edited");
        m_form->Save1Click();
        QVERIFY(m_dialogs->said.isEmpty());  // its own save is no stranger's

        // Another editor saves the same project in between.
        writeProject("shared.tvgallery1", 2, "Theirs");
        find<QLineEdit>("edt_pScriptName")->setText("Mine again");
        m_dialogs->answers = {Dialogs::Answer::No};
        m_form->Save1Click();
        QCOMPARE(m_dialogs->said.last(), "Warning: The project file \"" + project +
                                             "\" was changed by another program since it was opened here. "
                                             "Replace it with this project?");
        model::TAppletAgent onDisk;
        model::Outline outline;
        model::NullProgress progress;
        onDisk.LoadProjectFile(project.toStdString(), outline, progress);
        QCOMPARE(onDisk.AppletData.pScriptName, std::string("Theirs"));
        QVERIFY(saveEnabled());
        m_dialogs->answers = {Dialogs::Answer::Yes};
        m_form->Save1Click();
        onDisk.LoadProjectFile(project.toStdString(), outline, progress);
        QCOMPARE(onDisk.AppletData.pScriptName, std::string("Mine again"));
    }

    void aNameWithoutTheExtensionReplacesNoOtherProjectUnasked()
    {
        QDir().mkpath(path("site"));
        const QString other = writeProject("site/holiday.tvgallery1", 1, "Other");
        const QByteArray before = [&] { QFile f(other); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        find<QLineEdit>("edt_pScriptName")->setText("Mine");
        m_dialogs->fileNames = {path("site/holiday.bak")};
        m_dialogs->answers = {Dialogs::Answer::No};
        m_form->Save1Click();
        QCOMPARE(m_dialogs->said.last(), "Warning: Saving as \"holiday.bak\" writes the project file \"" +
                                             path("site/holiday.tvgallery1") + "\", which exists already. Replace it?");
        QFile unchanged(other);
        unchanged.open(QIODevice::ReadOnly);
        QCOMPARE(unchanged.readAll(), before);
        QVERIFY(saveEnabled());

        // A name typed without the extension saves again without a question.
        m_dialogs->fileNames = {path("site/gallery")};
        m_form->Save1Click();
        QVERIFY(QFile::exists(path("site/gallery.tvgallery1")));
        const int asked = int(m_dialogs->said.size());
        find<QLineEdit>("edt_pScriptName")->setText("Mine again");
        m_form->Save1Click();
        QVERIFY(!saveEnabled());
        QCOMPARE(int(m_dialogs->said.size()), asked);
    }

    void savingOverAnotherProjectsGalleryAsksFirst()
    {
        QDir().mkpath(path("site"));
        m_dialogs->fileNames = {path("site/first.tvgallery1")};
        m_form->Save1Click();
        QVERIFY(QFile::exists(path("site/first.tvgallery1")));

        // A second project saved into the same folder would replace the
        // first one's configuration.
        find<QLineEdit>("edt_pScriptName")->setText("gallery1");
        m_form->Save2Click();  // no name chosen: nothing asked
        m_dialogs->fileNames = {path("site/second.tvgallery1")};
        m_dialogs->answers = {Dialogs::Answer::No};
        m_form->Save2Click();
        QCOMPARE(m_dialogs->said.last(), "Warning: The folder \"" + path("site") +
                                             "\" also holds the gallery \"first.tvgallery1\", whose files this publish "
                                             "would replace (gallery1config.xml). Give each gallery its own folder."
                                             "\n\nPublish anyway?");
        QVERIFY(!QFile::exists(path("site/second.tvgallery1")));
        QCOMPARE(m_form->projectFileName(), path("site/first.tvgallery1"));

        m_dialogs->fileNames = {path("site/second.tvgallery1")};
        m_dialogs->answers = {Dialogs::Answer::Yes};
        m_form->Save2Click();
        QVERIFY(QFile::exists(path("site/second.tvgallery1")));
        QCOMPARE(m_form->projectFileName(), path("site/second.tvgallery1"));
    }

    void deleteKeyDeletesTheSelectedItemOutsideTextBoxes()
    {
        activate();
        auto* tree = find<QTreeWidget>("trvwDesignPanel");
        QTreeWidgetItem* root = tree->topLevelItem(0);
        m_form->Insert1Click();
        tree->setCurrentItem(root->child(0));
        auto* title = find<QLineEdit>("edt_IToolTip");
        title->setText("abc");
        title->setFocus();
        title->setCursorPosition(0);
        QTest::keyClick(title, Qt::Key_Delete);
        QCOMPARE(title->text(), QString("bc"));
        QCOMPARE(root->childCount(), 1);
        QVERIFY(m_dialogs->said.isEmpty());

        const QString question = "Warning: Are you sure to delete this item and all its children?";
        tree->setFocus();
        m_dialogs->answers = {Dialogs::Answer::No};
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(m_dialogs->said, QStringList({question}));
        QCOMPARE(root->childCount(), 1);
        // The item is still selected while another control has the focus.
        find<QToolButton>("spdbtnItURL")->setFocus();
        m_dialogs->answers = {Dialogs::Answer::Yes};
        QTest::keyClick(find<QToolButton>("spdbtnItURL"), Qt::Key_Delete);
        QCOMPARE(m_dialogs->said, QStringList({question, question}));
        QCOMPARE(root->childCount(), 0);
        QCOMPARE(m_form->agent().Items.size(), size_t(0));
        // The root cannot be deleted: the key does nothing there.
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(m_dialogs->said.size(), 2);
    }

    void f1OpensTheHelpOfTheFocusedGroup()
    {
        activate();
        const struct {
            const char* control;
            const char* page;
        } cases[] = {
            {"spnedt_largeImageWidth", "customizing_fl_script_script_large_image.htm"},
            {"ckbx_enableAutoPlay", "customizing_fl_script_script_autoplay.htm"},
            {"spnedt_playButtonX", "customizing_fl_script_script_buttons.htm"},
            {"pnl_pPreviewBgColor", "customizing_fl_script_script_general.htm"},
        };
        for (const auto& c : cases) {
            auto* control = find<QWidget>(c.control);
            control->setFocus();
            QTest::keyClick(control, Qt::Key_F1);
            QVERIFY2(m_form->helpWindow()->browser()->source().toString().endsWith(QString("/help/") + c.page),
                     c.control);
        }
        QVERIFY(m_form->helpWindow()->isVisible());
        // Where no group has a help button: the help topics.
        find<QTreeWidget>("trvwDesignPanel")->setFocus();
        QTest::keyClick(find<QTreeWidget>("trvwDesignPanel"), Qt::Key_F1);
        QCOMPARE(m_dialogs->opened.size(), 1);
        QVERIFY(m_dialogs->opened[0].toString().endsWith("/help/index.html"));
    }

    void ctrlQClosesThroughTheSavePrompt()
    {
        activate();
        find<QLineEdit>("edt_pScriptName")->setText("x");
        m_dialogs->answers = {Dialogs::Answer::Cancel};
        QTest::keyClick(m_form, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_dialogs->said, QStringList({"Warning: Save changes to files before Exit?"}));
        QVERIFY(m_form->isVisible());
        m_dialogs->answers = {Dialogs::Answer::No};
        QTest::keyClick(m_form, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!m_form->isVisible());
    }

    void batchImportIsAlsoInTheItemMenu()
    {
        auto* command = m_form->findChild<QAction*>("BatchImportImgs1");
        QVERIFY(command);
        QVERIFY(find<QMenu>("Item1")->actions().contains(command));
        auto* button = find<QPushButton>("btnBatchImportImgs");
        QVERIFY(command->isEnabled() && button->isEnabled());
        m_dialogs->fileNames = {m_session->writeBmp("a.bmp") + "\n" + m_session->writeBmp("b.bmp")};
        command->trigger();
        auto* tree = find<QTreeWidget>("trvwDesignPanel");
        QCOMPARE(tree->topLevelItem(0)->childCount(), 2);
        QVERIFY(saveEnabled());
        tree->setCurrentItem(tree->topLevelItem(0)->child(1));
        QVERIFY(!command->isEnabled() && !button->isEnabled());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->topLevelItem(0)).center());
        QVERIFY(command->isEnabled() && button->isEnabled());
    }

    void colourSwatchesAnswerTheKeyboard()
    {
        activate();
        find<QLineEdit>("edt_pScriptName")->setFocus();
        QTest::keyClick(find<QLineEdit>("edt_pScriptName"), Qt::Key_Tab);
        auto* swatch = find<ColourPanel>("pnl_pPreviewBgColor");
        QCOMPARE(QApplication::focusWidget(), swatch);
        m_dialogs->colours = {QColor(1, 2, 3), QColor(4, 5, 6)};
        QTest::keyClick(swatch, Qt::Key_Space);
        QCOMPARE(swatch->colour(), QColor(1, 2, 3));
        QVERIFY(saveEnabled());
        QTest::keyClick(swatch, Qt::Key_Return);
        QCOMPARE(swatch->colour(), QColor(4, 5, 6));
    }

    void theStatusBarToggleHidesHintAndProgress()
    {
        m_form->show();
        m_form->StatusBar2Click();
        QVERIFY(!find<QLabel>("stctxtHint")->isVisible());
        QVERIFY(!find<QAction>("StatusBar2")->isChecked());
        m_form->About1Click();
        QCOMPARE(m_dialogs->modalDialogs, 1);
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_main_form.moc"
