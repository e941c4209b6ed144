#pragma once

#include "model/applet_agent.h"
#include "status_progress.h"

#include <QIcon>
#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>

class Dialogs;
class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QTabWidget;
class QToolBar;
class QScrollArea;
class QTreeWidget;
class QTreeWidgetItem;
class TfrmHelp;

namespace pictavo::platform {
class PreviewServer;
}

// The editor's one window: the item tree, the parameter panels, the
// project commands, and the window state they turn on.
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Project commands.
    void New1Click();
    void Open1Click();
    void OpenProjectFile(const QString& fileName);
    void Save1Click();
    void Save2Click();
    void Exit1Click();
    void Preview1Click();
    void Topic1Click();
    void ViewSample1Click();
    void Homepage1Click();
    void ContactUs1Click();
    void About1Click();
    void ToolBar1Click();
    void StatusBar2Click();

    // Item commands and the tree.
    void Insert1Click();
    void Delete1Click();
    void deleteKeyPress();
    void MoveUp1Click();
    void MoveDown1Click();
    void btnBatchImportImgsClick();
    void spdbtnItemImageNormalClick();
    void spdbtnItURLClick();
    void trvwDesignPanelChange(QTreeWidgetItem* node);
    void trvwDesignPanelMouseDown();
    void UpdateItemCommands();
    static void destroySubtree(QTreeWidgetItem* node);
    void expandBranch(QTreeWidgetItem* node);
    QTreeWidget* tree() const { return m_tree; }
    QTreeWidgetItem* currentItemNode() const { return m_currentItemNode; }

    // Context help for a help button's tag, and for the focused control (F1).
    void SpeedButton1Click(int tag);
    void contextHelp();
    static QString helpPage(int tag);
    static QString PathToFileUrl(const QString& path);

    void LoadRecentFiles();

    bool isModified() const { return m_modified; }
    void setModified(bool modified);
    QString projectFileName() const { return m_projectFileName; }
    pictavo::model::TAppletAgent& agent() { return m_agent; }
    TfrmHelp* helpWindow() const { return m_help; }

    // Runs a command; a failure is shown in the error box and leaves nothing
    // busy-looking. While one runs (a build keeps the window painting), a
    // close request waits until it has ended and no other command starts.
    void runCommand(const std::function<void()>& command);
    bool commandRunning() const { return m_commandDepth > 0; }
    StatusProgress& progress() { return *m_progress; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildTree();
    void buildPanels();
    QWidget* buildScriptTab();
    QWidget* buildScriptMoreTab();
    QWidget* buildPathTab();
    QWidget* buildItemTab();
    void connectPanels();
    void watchHint(QWidget* control);

    bool FormCloseQuery();
    bool savePrompt();
    bool saveProject();
    void showPanelsQuietly(const std::function<void()>& show);
    void storePanels();
    void buildOnTree(const std::function<void(pictavo::model::Outline&)>& build);
    bool saveAll(const QString& fileName);
    void showBuildWarnings();
    void clearBuildWarnings();
    void resetToNewProject();
    void startEmptyTree();
    void addOutlineNodes(const pictavo::model::Outline& outline);
    void applyCaptions(const pictavo::model::Outline& outline);
    int absoluteIndex(QTreeWidgetItem* node) const;
    bool loadProject(const QString& fileName);
    void UpdatePanelLayout();
    void spnedtApWidthChange();
    void pnlApBgClrClick(QWidget* panel);
    void CheckSeparatorFree(QWidget* control);
    void RecentFileClick(QAction* entry);
    void buildItemCommands();
    void setItemCommandEnabled(int command, bool enabled);
    void addItemNode(const QString& caption, pictavo::model::TItemData item);
    void showPreviewPicture();
    static int level(QTreeWidgetItem* node);
    void raiseBlock(QTreeWidgetItem* lower, QTreeWidgetItem* upper);
    void openServed(std::unique_ptr<pictavo::platform::PreviewServer>& server, const QString& folder,
                    const QString& page);

    Dialogs& m_dialogs;
    pictavo::model::TAppletAgent m_agent;
    // The outline of the items, which the tree shows: the item commands
    // change it together with the item list, and the tree follows.
    pictavo::model::Outline m_outline;
    bool m_modified = false;
    // While the panels are loaded from the project, their change signals
    // are no edits.
    bool m_showingPanels = false;
    int m_commandDepth = 0;
    bool m_closePending = false;
    QString m_projectFileName;
    // The project file that the last open or save really read or wrote
    // (a name chosen without the extension saves into "<name>.tvgallery1").
    std::filesystem::path m_projectFile;
    // What that file was when this window last read or wrote it: another
    // program's save in between is not overwritten unasked.
    std::string m_projectFileStamp;
    QTreeWidgetItem* m_currentItemNode = nullptr;
    bool m_treeRebuilding = false;
    int m_lastLayoutIndex = -2009;
    bool m_placed = false;

    QToolBar* m_toolBar = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTabWidget* m_pages = nullptr;
    QLabel* m_hint = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_buildWarnings = nullptr;
    QScrollArea* m_middle = nullptr;
    // One icon shared by every item node: each made afresh costs memory per item.
    QIcon m_itemIcon;
    QMenu* m_recentMenu = nullptr;
    QAction* m_save = nullptr;
    QMenu* m_popup = nullptr;
    struct ItemCommand {
        QAction* popup = nullptr;
        QAction* menu = nullptr;
        QWidget* button = nullptr;
    };
    ItemCommand m_itemCommands[5];
    QAction* m_toolBarToggle = nullptr;
    QAction* m_statusBarToggle = nullptr;
    TfrmHelp* m_help = nullptr;
    std::unique_ptr<StatusProgress> m_progress;
    std::unique_ptr<pictavo::platform::PreviewServer> m_previewServer;
    std::unique_ptr<pictavo::platform::PreviewServer> m_samplesServer;
};
