#include "about_box.h"
#include "colour_panel.h"
#include "control_binding.h"
#include "dialogs.h"
#include "help_window.h"
#include "main_form.h"
#include "model/product.h"
#include "platform/file_ops.h"
#include "platform/folders.h"
#include "platform/preview_server.h"
#include "platform/user_error.h"
#include "publish/preview.h"
#include "publish/save_all.h"
#include "gallery/staging.h"
#include "recent_files.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTimer>
#include <QTreeWidget>
#include <sys/stat.h>

namespace model = pictavo::model;
namespace platform = pictavo::platform;
namespace gallery = pictavo::gallery;
namespace publish = pictavo::publish;

namespace {

const QString ProjectFilter = QStringLiteral("Pictavo Files (*.tvgallery1)");
const QString ApplicationTitle = QStringLiteral("Spinmora");

QString folderText(const std::filesystem::path& folder) { return QString::fromStdString(folder.string()); }

QString fromView(std::string_view view) { return QString::fromUtf8(view.data(), int(view.size())); }

std::filesystem::path localPath(const QString& text) { return std::filesystem::path(text.toStdString()); }

// A file's identity and version: a save by anyone replaces the file, so its
// inode, size or modification time differ afterwards. Empty when there is no file.
std::string stampOf(const std::filesystem::path& file)
{
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return {};
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" + std::to_string(info.st_size) + ":" +
           std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
}

}  // namespace

void TMainForm::runCommand(const std::function<void()>& command)
{
    ++m_commandDepth;
    try {
        command();
    } catch (const std::exception& e) {
        // Nothing stays busy-looking after a failure.
        m_progress->resetAll();
        m_dialogs.showError(ApplicationTitle, QString::fromUtf8(e.what()));
    }
    --m_commandDepth;
    // A close request that came while the command ran is answered now.
    if (m_commandDepth == 0 && m_closePending) {
        m_closePending = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

void TMainForm::setModified(bool modified)
{
    // The Save button and menu item share one action, so they follow together.
    m_modified = modified;
    m_save->setEnabled(modified);
}

void TMainForm::spnedtApWidthChange()
{
    if (!m_showingPanels)
        setModified(true);
}

// Loads values into the panels without their change signals counting as
// edits; check groups still follow their boxes.
void TMainForm::showPanelsQuietly(const std::function<void()>& show)
{
    m_showingPanels = true;
    try {
        show();
    } catch (...) {
        m_showingPanels = false;
        throw;
    }
    m_showingPanels = false;
}

void TMainForm::pnlApBgClrClick(QWidget* panel)
{
    auto* swatch = static_cast<ColourPanel*>(panel);
    if (const std::optional<QColor> chosen = m_dialogs.pickColour(swatch->colour()))
        swatch->setColour(*chosen);
    setModified(true);
}

void TMainForm::CheckSeparatorFree(QWidget* control)
{
    const QString separator = fromView(model::TAppletAgent::FieldSeparator);
    auto* edit = qobject_cast<QLineEdit*>(control);
    auto* combo = qobject_cast<QComboBox*>(control);
    const QString text = edit ? edit->text() : combo ? combo->currentText() : QString();
    if (!text.contains(separator))
        return;
    m_dialogs.warn(tr("The text can't include \"#$@\", it is used by system!"));
    if (edit)
        edit->clear();
    else if (combo)
        combo->setEditText(QString());
}

// The save prompt of New, Open and opening by name: false when the calling
// command is to stop, with everything kept: the user cancelled, or answered
// Yes and the save did not happen (its dialog cancelled, or the save failed).
bool TMainForm::savePrompt()
{
    if (!m_modified)
        return true;
    switch (m_dialogs.askYesNoCancel(tr("Save changes to files?"))) {
    case Dialogs::Answer::Cancel:
        return false;
    case Dialogs::Answer::Yes: {
        bool saved = false;
        runCommand([this, &saved] { saved = saveProject(); });
        return saved;
    }
    case Dialogs::Answer::No:
        break;
    }
    return true;
}

void TMainForm::storePanels()
{
    StoreGalleryControls(this, m_agent);
    if (m_currentItemNode)
        StoreItemControls(this, m_agent, absoluteIndex(m_currentItemNode) - 1);
}

// Runs a build on the outline, then relabels the tree as the build left the
// captions, also when it failed part-way.
void TMainForm::buildOnTree(const std::function<void(model::Outline&)>& build)
{
    try {
        build(m_outline);
    } catch (...) {
        applyCaptions(m_outline);
        throw;
    }
    applyCaptions(m_outline);
}

// Saves and publishes into the folder of the chosen name; false when the
// user chose not to replace another project's gallery in that folder.
bool TMainForm::saveAll(const QString& fileName)
{
    const QFileInfo info(fileName);
    const std::string chosenName = info.fileName().toStdString();
    if (const auto replaced =
            publish::ProjectFileReplacedUnasked(localPath(info.absolutePath()), chosenName, m_projectFile)) {
        const QString question = tr("Saving as \"%1\" writes the project file \"%2\", which exists already. Replace it?")
                                     .arg(info.fileName(), QString::fromStdString(replaced->string()));
        if (m_dialogs.askYesNo(question) != Dialogs::Answer::Yes)
            return false;
    }
    const std::filesystem::path projectFile = localPath(info.absolutePath()) / publish::ProjectFileName(chosenName);
    if (projectFile == m_projectFile && !m_projectFileStamp.empty()) {
        const std::string now = stampOf(projectFile);
        if (!now.empty() && now != m_projectFileStamp &&
            m_dialogs.askYesNo(tr("The project file \"%1\" was changed by another program since it was opened here. "
                                  "Replace it with this project?")
                                   .arg(QString::fromStdString(projectFile.string()))) != Dialogs::Answer::Yes)
            return false;
    }
    m_progress->takeWarnings();
    auto publishReplacing = [&](publish::OtherGalleries others) {
        buildOnTree([&](model::Outline& outline) {
            publish::SaveAllRequiredFiles(m_agent, outline, localPath(info.absolutePath()),
                                          info.fileName().toStdString(), *m_progress, others);
        });
    };
    try {
        publishReplacing(publish::OtherGalleries::Refuse);
    } catch (const publish::SharedFolderError& e) {
        m_progress->resetAll();
        if (m_dialogs.askYesNo(QString::fromUtf8(e.what()) + "\n\n" + tr("Publish anyway?")) != Dialogs::Answer::Yes)
            return false;
        publishReplacing(publish::OtherGalleries::Replace);
    }
    m_projectFile = projectFile;
    m_projectFileStamp = stampOf(projectFile);
    showBuildWarnings();
    return true;
}

// What the last build had to say (originals not found, damaged pictures)
// stays on the status bar until the next build, New or Open; every warning
// is in its tooltip.
void TMainForm::showBuildWarnings()
{
    const std::vector<std::string> warnings = m_progress->takeWarnings();
    if (warnings.empty()) {
        clearBuildWarnings();
        return;
    }
    const QString more = warnings.size() > 1 ? tr(" (and %n more)", nullptr, int(warnings.size() - 1)) : QString();
    const QFontMetrics metrics = m_buildWarnings->fontMetrics();
    const QString first = metrics.elidedText(tr("Warning: ") + QString::fromStdString(warnings.front()),
                                             Qt::ElideMiddle,
                                             m_buildWarnings->maximumWidth() - metrics.horizontalAdvance(more));
    QStringList all;
    for (const std::string& warning : warnings)
        all << QString::fromStdString(warning);
    m_buildWarnings->setText(first + more);
    m_buildWarnings->setToolTip(all.join('\n'));
    m_buildWarnings->show();
}

void TMainForm::clearBuildWarnings()
{
    m_buildWarnings->clear();
    m_buildWarnings->setToolTip(QString());
    m_buildWarnings->hide();
}

void TMainForm::New1Click()
{
    if (!savePrompt())
        return;
    gallery::ClearPreviewFolder(m_agent);
    clearBuildWarnings();
    resetToNewProject();
    UpdateItemCommands();
    setModified(false);
}

// The project the window starts with and New makes: no file, the core's new
// project with the tree showing its root alone, the panels its defaults.
void TMainForm::resetToNewProject()
{
    m_currentItemNode = nullptr;
    m_projectFileName.clear();
    m_projectFile.clear();
    m_projectFileStamp.clear();
    startEmptyTree();
    model::startNewProject(m_agent, m_outline);
    showPanelsQuietly([this] { ShowGalleryControls(this, m_agent); });
}

void TMainForm::Open1Click()
{
    if (!savePrompt())
        return;
    const QString chosen = m_dialogs.openFileName(folderText(platform::GetProjectsFolder()), ProjectFilter);
    if (chosen.isEmpty())
        return;
    loadProject(chosen);
}

void TMainForm::OpenProjectFile(const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    if (!savePrompt())
        return;
    loadProject(fileName);
}

// Reads the project and, only when everything of it can be shown, puts it in
// place of the current one. A refused or failing file leaves the current
// project exactly as it was (panels, tree, items, file name, Modified and the
// recent files), and says why.
bool TMainForm::loadProject(const QString& chosen)
{
    // Projects are remembered by their absolute paths, wherever the editor
    // was started.
    const QString fileName = QFileInfo(chosen).absoluteFilePath();
    model::TAppletAgent loaded;
    model::Outline outline;
    if (loaded.LoadProjectFile(localPath(fileName), outline, *m_progress) == model::LoadOutcome::Refused) {
        m_dialogs.showError(tr("Error"), fromView(model::NotPictavoFileMessage));
        return false;
    }
    CheckGalleryValuesShowable(loaded.AppletData, localPath(fileName));

    gallery::ClearPreviewFolder(m_agent);
    clearBuildWarnings();
    m_agent.AppletData = std::move(loaded.AppletData);
    m_agent.Items = std::move(loaded.Items);
    m_outline = std::move(outline);
    m_treeRebuilding = true;
    startEmptyTree();
    m_treeRebuilding = true;
    addOutlineNodes(m_outline);
    m_currentItemNode = nullptr;
    m_treeRebuilding = false;
    showPanelsQuietly([this] { ShowGalleryControls(this, m_agent); });
    m_projectFileName = fileName;
    m_projectFile = localPath(fileName);
    m_projectFileStamp = stampOf(m_projectFile);
    m_tree->setCurrentItem(m_tree->topLevelItem(0));
    UpdateItemCommands();
    UpdatePanelLayout();
    setModified(false);
    // The project is open: a recent-files list that cannot be written (a
    // full disk) is no reason to say otherwise.
    try {
        addRecentFile(fileName.toStdString());
        LoadRecentFiles();
    } catch (const platform::UserError&) {
    }
    gallery::StageResourceFiles(localPath(QFileInfo(fileName).absolutePath()), *m_progress);
    return true;
}

void TMainForm::Save1Click() { saveProject(); }

// Save: true when the project was saved, false when the user cancelled the
// dialog or declined to replace another gallery; a failure throws.
bool TMainForm::saveProject()
{
    storePanels();
    if (!m_projectFileName.isEmpty()) {
        if (!saveAll(m_projectFileName))
            return false;
        setModified(false);
        return true;
    }
    const QString chosen = m_dialogs.saveFileName(folderText(platform::GetProjectsFolder()), ProjectFilter);
    if (chosen.isEmpty() || !saveAll(chosen))
        return false;
    setModified(false);
    m_projectFileName = QFileInfo(chosen).absoluteFilePath();
    return true;
}

void TMainForm::Save2Click()
{
    // What the panels show is saved too, as Save does.
    storePanels();
    const QString chosen = m_dialogs.saveFileName(folderText(platform::GetProjectsFolder()), ProjectFilter);
    if (chosen.isEmpty() || !saveAll(chosen))
        return;
    m_projectFileName = QFileInfo(chosen).absoluteFilePath();
}

void TMainForm::Exit1Click() { close(); }

void TMainForm::closeEvent(QCloseEvent* event)
{
    // Not in the middle of a command: the request is answered when it ends.
    if (commandRunning()) {
        m_closePending = true;
        event->ignore();
        return;
    }
    bool canClose = true;
    runCommand([this, &canClose] { canClose = FormCloseQuery(); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

bool TMainForm::FormCloseQuery()
{
    if (!m_modified) {
        gallery::ClearPreviewFolder(m_agent);
        return true;
    }
    const Dialogs::Answer answer = m_dialogs.askYesNoCancel(tr("Save changes to files before Exit?"));
    if (answer != Dialogs::Answer::Yes) {
        gallery::ClearPreviewFolder(m_agent);
        return answer == Dialogs::Answer::No;
    }
    storePanels();
    if (!m_projectFileName.isEmpty()) {
        // A failed save keeps the window open.
        bool saved = false;
        runCommand([this, &saved] { saved = saveAll(m_projectFileName); });
        return saved;
    }
    const QString chosen = m_dialogs.saveFileName(QString(), ProjectFilter);
    bool saved = false;
    if (!chosen.isEmpty()) {
        runCommand([this, &chosen, &saved] { saved = saveAll(chosen); });
    }
    gallery::ClearPreviewFolder(m_agent);
    return saved;
}

void TMainForm::Preview1Click()
{
    if (m_tree->topLevelItem(0)->childCount() == 0) {
        m_dialogs.showError(tr("Error"), fromView(publish::NoItemToBuildMessage));
        return;
    }
    storePanels();
    std::filesystem::path page;
    m_progress->takeWarnings();
    buildOnTree([&](model::Outline& outline) { page = publish::BuildPreview(m_agent, outline, *m_progress); });
    showBuildWarnings();
    openServed(m_previewServer, folderText(page.parent_path()), QString::fromStdString(page.filename().string()));
}

// Pages that read their configuration are served over loopback: a browser
// does not let a page from disk read it.
void TMainForm::openServed(std::unique_ptr<platform::PreviewServer>& server, const QString& folder,
                           const QString& page)
{
    if (!server)
        server = std::make_unique<platform::PreviewServer>(localPath(folder));
    m_dialogs.openInShell(QUrl(QString::fromStdString(server->address(page.toStdString()))));
}

void TMainForm::Topic1Click()
{
    m_dialogs.openInShell(QUrl::fromLocalFile(folderText(platform::GetProgramFolder()) + "help/index.html"));
}

void TMainForm::ViewSample1Click()
{
    openServed(m_samplesServer, folderText(platform::GetProgramFolder()) + "samples", "index.html");
}

void TMainForm::Homepage1Click() { m_dialogs.openInShell(QUrl(fromView(model::ProductPageAddress))); }

void TMainForm::ContactUs1Click() { m_dialogs.openInShell(QUrl(fromView(model::SupportPageAddress))); }

void TMainForm::About1Click()
{
    TformAbout about(m_dialogs, this);
    m_dialogs.runModal(about);
}

void TMainForm::ToolBar1Click()
{
    m_toolBar->setVisible(!m_toolBar->isVisible());
    m_toolBarToggle->setChecked(m_toolBar->isVisible());
}

void TMainForm::StatusBar2Click()
{
    statusBar()->setVisible(!statusBar()->isVisible());
    m_statusBarToggle->setChecked(statusBar()->isVisible());
}

QString TMainForm::helpPage(int tag)
{
    static const char* const pages[] = {
        "getting_started.htm",
        "customizing_fl_script_script_general.htm",
        "customizing_fl_script_script_large_image.htm",
        "customizing_fl_script_script_thumb_image.htm",
        "customizing_fl_script_script_autoplay.htm",
        "customizing_fl_script_script_buttons.htm",
        "customizing_fl_script_more_script_focused_box.htm",
        "customizing_fl_script_more_script_description_box.htm",
        "customizing_fl_item_general_original_image_path.htm",
        "customizing_fl_item_general_link.htm",
        "customizing_fl_item_general_image_title.htm",
        "customizing_fl_item_general_description.htm",
        "customizing_fl_script_path_path.htm",
    };
    return pages[tag >= 1 && tag <= 12 ? tag : 0];
}

QString TMainForm::PathToFileUrl(const QString& path) { return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded); }

void TMainForm::SpeedButton1Click(int tag)
{
    const QString path = folderText(platform::GetProgramFolder()) + "help/" + helpPage(tag);
    m_help->navigate(QUrl(PathToFileUrl(path)));
}

void TMainForm::LoadRecentFiles()
{
    const RecentSlots entries = readRecentSlots();
    m_recentMenu->clear();
    for (const std::string& slot : entries) {
        if (slot.empty())
            continue;
        QAction* entry = m_recentMenu->addAction(QString::fromStdString(slot));
        entry->setData(QString::fromStdString(slot));
    }
    // An empty submenu that was once opened stays closed for good once it
    // has entries: so it is offered only when it has some.
    m_recentMenu->menuAction()->setEnabled(!m_recentMenu->isEmpty());
}

void TMainForm::RecentFileClick(QAction* entry)
{
    const QString caption = entry->data().toString();
    runCommand([this, caption] { OpenProjectFile(caption.mid(3)); });
}

void TMainForm::startEmptyTree()
{
    m_currentItemNode = nullptr;
    m_treeRebuilding = true;
    while (m_tree->topLevelItemCount() > 0)
        destroySubtree(m_tree->takeTopLevelItem(0));
    m_treeRebuilding = false;
    auto* root = new QTreeWidgetItem(m_tree, {fromView(model::Outline::RootCaption)});
    root->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    m_tree->setCurrentItem(root);
}

// Projects nest as deep as their files say: the tree is walked with a stack
// of its own, never by recursion, and only the first levels are shown open,
// since the view lays open branches out recursively.
constexpr int ShownOpenLevels = 64;

void TMainForm::addOutlineNodes(const model::Outline& outline)
{
    std::vector<QTreeWidgetItem*> nodes{m_tree->topLevelItem(0)};
    nodes.reserve(static_cast<std::size_t>(outline.nodeCount()));
    for (int node = 1; node < outline.nodeCount(); ++node) {
        auto* item = new QTreeWidgetItem(nodes[static_cast<std::size_t>(outline.parent(node))],
                                         {projectTextToQString(outline.caption(node))});
        item->setIcon(0, m_itemIcon);
        item->setExpanded(outline.depth(node) < ShownOpenLevels);
        nodes.push_back(item);
    }
    m_tree->topLevelItem(0)->setExpanded(true);
}

void TMainForm::expandBranch(QTreeWidgetItem* node)
{
    std::vector<std::pair<QTreeWidgetItem*, int>> pending{{node, 0}};
    while (!pending.empty()) {
        const auto [next, depth] = pending.back();
        pending.pop_back();
        if (depth >= ShownOpenLevels)
            continue;
        next->setExpanded(true);
        for (int i = 0; i < next->childCount(); ++i)
            pending.emplace_back(next->child(i), depth + 1);
    }
}

// Calls visit(node, depth) for every node below the root in pre-order.
template <typename Visit>
static void walkTree(QTreeWidgetItem* root, Visit visit)
{
    std::vector<std::pair<QTreeWidgetItem*, int>> stack;
    for (int i = root->childCount() - 1; i >= 0; --i)
        stack.emplace_back(root->child(i), 1);
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        visit(node, depth);
        for (int i = node->childCount() - 1; i >= 0; --i)
            stack.emplace_back(node->child(i), depth + 1);
    }
}

void TMainForm::applyCaptions(const model::Outline& outline)
{
    int index = 0;
    walkTree(m_tree->topLevelItem(0), [&](QTreeWidgetItem* node, int) {
        if (++index < outline.nodeCount())
            node->setText(0, projectTextToQString(outline.caption(index)));
    });
}

int TMainForm::absoluteIndex(QTreeWidgetItem* node) const
{
    int index = 0;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it, ++index)
        if (*it == node)
            return index;
    return -1;
}

void TMainForm::UpdatePanelLayout()
{
    const int k = absoluteIndex(m_tree->currentItem());
    if (m_lastLayoutIndex != -2009 && (k == m_lastLayoutIndex || (k > 0 && m_lastLayoutIndex > 0)))
        return;
    if (k != 0) {
        m_pages->setTabVisible(3, true);
        m_pages->setCurrentIndex(3);
        for (int tab = 0; tab < 3; ++tab)
            m_pages->setTabVisible(tab, false);
    } else {
        for (int tab = 0; tab < 3; ++tab)
            m_pages->setTabVisible(tab, true);
        m_pages->setCurrentIndex(0);
        m_pages->setTabVisible(3, false);
    }
    m_lastLayoutIndex = k;
}
