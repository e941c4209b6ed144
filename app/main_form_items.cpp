#include "control_binding.h"
#include "dialogs.h"
#include "main_form.h"
#include "model/file_names.h"
#include "model/item_tree.h"
#include "platform/file_ops.h"
#include "platform/folders.h"
#include "platform/user_error.h"

#include <vector>

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>

namespace model = pictavo::model;
namespace platform = pictavo::platform;

namespace {

enum Command { Insert, Delete, MoveUp, MoveDown, BatchImport };

const QString PictureFilter = QStringLiteral(
    "All Image Files(*.jpg *.jpeg *.gif *.bmp);;Jpeg Files(*.jpg *.jpeg);;Gif Files(*.gif);;Bitmap Files(*.bmp)");
const QString LinkFilter = QStringLiteral("HTML files(*.htm *.html);;Any file (*)");

QTreeWidgetItem* previousSibling(QTreeWidgetItem* node)
{
    QTreeWidgetItem* parent = node->parent();
    const int at = parent ? parent->indexOfChild(node) : -1;
    return at > 0 ? parent->child(at - 1) : nullptr;
}

QTreeWidgetItem* nextSibling(QTreeWidgetItem* node)
{
    QTreeWidgetItem* parent = node->parent();
    const int at = parent ? parent->indexOfChild(node) : -1;
    return parent && at + 1 < parent->childCount() ? parent->child(at + 1) : nullptr;
}

}  // namespace

void TMainForm::buildItemCommands()
{
    m_popup = new QMenu(this);
    m_popup->setObjectName("PopupMenu1");
    struct Names {
        const char* popup;
        const char* menu;
        const char* button;
        const char* text;
        void (TMainForm::*handler)();
    };
    const Names names[] = {
        {"Insert1", "Insert2", "tlbtnInsert", "I&nsert", &TMainForm::Insert1Click},
        {"Delete1", "Delete2", "tlbtnDelete", "&Delete", &TMainForm::Delete1Click},
        {"MoveUp1", "MoveUp2", "tlbtnMoveUp", "Move &Up", &TMainForm::MoveUp1Click},
        {"MoveDown1", "MoveDown2", "tlbtnMoveDown", "Move &Down", &TMainForm::MoveDown1Click},
        {nullptr, "BatchImportImgs1", "btnBatchImportImgs", nullptr, &TMainForm::btnBatchImportImgsClick},
    };
    for (int c = 0; c < 5; ++c) {
        const Names& n = names[c];
        auto run = [this, handler = n.handler] { runCommand([this, handler] { (this->*handler)(); }); };
        ItemCommand& command = m_itemCommands[c];
        command.button = findChild<QWidget*>(n.button);
        if (auto* tool = qobject_cast<QToolButton*>(command.button))
            connect(tool, &QToolButton::clicked, this, run);
        else if (auto* push = qobject_cast<QPushButton*>(command.button))
            connect(push, &QPushButton::clicked, this, run);
        command.menu = findChild<QAction*>(n.menu);
        connect(command.menu, &QAction::triggered, this, run);
        if (!n.popup)
            continue;
        command.popup = m_popup->addAction(tr(n.text));
        command.popup->setObjectName(n.popup);
        command.popup->setIcon(command.menu->icon());
        connect(command.popup, &QAction::triggered, this, run);
    }

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (!m_treeRebuilding && current)
            runCommand([this, current] { trvwDesignPanelChange(current); });
    });
    connect(m_tree, &QTreeWidget::itemPressed, this, [this] {
        if (!m_treeRebuilding)
            runCommand([this] { trvwDesignPanelMouseDown(); });
    });
    // A right click has selected the node under the mouse before the menu opens.
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_popup->exec(m_tree->viewport()->mapToGlobal(at)); });
    connect(findChild<QToolButton*>("spdbtnOriginalImagePath"), &QToolButton::clicked, this,
            [this] { runCommand([this] { spdbtnItemImageNormalClick(); }); });
    connect(findChild<QToolButton*>("spdbtnItURL"), &QToolButton::clicked, this,
            [this] { runCommand([this] { spdbtnItURLClick(); }); });
}

void TMainForm::setItemCommandEnabled(int command, bool enabled)
{
    ItemCommand& c = m_itemCommands[command];
    for (QAction* action : {c.popup, c.menu})
        if (action)
            action->setEnabled(enabled);
    c.button->setEnabled(enabled);
}

int TMainForm::level(QTreeWidgetItem* node)
{
    int depth = 0;
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        ++depth;
    return depth;
}

void TMainForm::destroySubtree(QTreeWidgetItem* node)
{
    // A node destroys its children by recursion, and taking a node's
    // children off walks their whole subtrees: so nodes are emptied from the
    // deepest up, each taking off children that have none left.
    std::vector<QTreeWidgetItem*> preOrder;
    std::vector<QTreeWidgetItem*> pending{node};
    while (!pending.empty()) {
        QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        preOrder.push_back(next);
        for (int i = 0; i < next->childCount(); ++i)
            pending.push_back(next->child(i));
    }
    for (auto it = preOrder.rbegin(); it != preOrder.rend(); ++it)
        qDeleteAll((*it)->takeChildren());
    delete node;
}

void TMainForm::trvwDesignPanelChange(QTreeWidgetItem* node)
{
    UpdatePanelLayout();
    // The panel's edits reach the item it was showing, at that item's present place.
    if (m_currentItemNode)
        StoreItemControls(this, m_agent, absoluteIndex(m_currentItemNode) - 1);
    if (node == m_tree->topLevelItem(0)) {
        // However the root was reached (keyboard, New, Open), its commands apply.
        UpdateItemCommands();
        return;
    }
    if (node != m_currentItemNode) {
        m_currentItemNode = node;
        showPanelsQuietly([this, node] { ShowItemControls(this, m_agent, absoluteIndex(node) - 1); });
    }
    // Selecting an item changes nothing the project file holds: no save is due.
    UpdateItemCommands();
    showPreviewPicture();
}

void TMainForm::trvwDesignPanelMouseDown()
{
    if (m_tree->currentItem())
        UpdateItemCommands();
}

void TMainForm::UpdateItemCommands()
{
    QTreeWidgetItem* selected = m_tree->currentItem();
    const bool root = selected == m_tree->topLevelItem(0);
    const bool item = selected && !root;
    setItemCommandEnabled(Insert, root);
    setItemCommandEnabled(Delete, item);
    setItemCommandEnabled(MoveUp, item && previousSibling(selected));
    setItemCommandEnabled(MoveDown, item && nextSibling(selected));
    setItemCommandEnabled(BatchImport, root);
    UpdatePanelLayout();
}

// Adds the item as the last child of the selected node, at the list place
// just after that node's subtree.
void TMainForm::addItemNode(const QString& caption, model::TItemData item)
{
    QTreeWidgetItem* selected = m_tree->currentItem();
    model::insertItem(m_agent.Items, m_outline, absoluteIndex(selected), std::move(item), caption.toStdString());
    auto* node = new QTreeWidgetItem(selected, {caption});
    node->setIcon(0, m_itemIcon);
    selected->setExpanded(true);
}

void TMainForm::Insert1Click()
{
    setModified(true);
    addItemNode(tr("Image"), model::TAppletAgent::NewItemData());
    UpdateItemCommands();
}

void TMainForm::Delete1Click()
{
    setModified(true);
    QTreeWidgetItem* selected = m_tree->currentItem();
    if (!selected || selected == m_tree->topLevelItem(0)) {
        m_dialogs.showError(tr("Error"), tr("Root item cannot be deleted."));
        return;
    }
    // Only Yes destroys: closing the question keeps the item.
    if (m_dialogs.askYesNo(tr("Are you sure to delete this item and all its children?")) != Dialogs::Answer::Yes)
        return;
    model::deleteSubtree(m_agent.Items, m_outline, absoluteIndex(selected));
    m_currentItemNode = nullptr;
    // The node leaves the tree before another one is selected, so that the
    // selection handling sees the tree and the list in step.
    QTreeWidgetItem* parent = selected->parent();
    const int at = parent->indexOfChild(selected);
    m_treeRebuilding = true;
    destroySubtree(parent->takeChild(at));
    QTreeWidgetItem* next = at < parent->childCount() ? parent->child(at) : at > 0 ? parent->child(at - 1) : parent;
    m_tree->setCurrentItem(next);
    m_treeRebuilding = false;
    trvwDesignPanelChange(next);
    UpdateItemCommands();
}

// Shows in the tree the move of a node's block (the node and its subtree)
// to just before the block of its previous sibling. The selection stays
// where it was.
void TMainForm::raiseBlock(QTreeWidgetItem* lower, QTreeWidgetItem* upper)
{
    QTreeWidgetItem* selected = m_tree->currentItem();
    QTreeWidgetItem* parent = lower->parent();
    m_treeRebuilding = true;
    const bool expanded = lower->isExpanded();
    parent->takeChild(parent->indexOfChild(lower));
    parent->insertChild(parent->indexOfChild(upper), lower);
    lower->setExpanded(expanded);
    m_tree->setCurrentItem(selected);
    m_treeRebuilding = false;
}

void TMainForm::MoveUp1Click()
{
    setModified(true);
    QTreeWidgetItem* selected = m_tree->currentItem();
    if (selected && model::moveBlockUp(m_agent.Items, m_outline, absoluteIndex(selected)))
        raiseBlock(selected, previousSibling(selected));
    UpdateItemCommands();
}

void TMainForm::MoveDown1Click()
{
    setModified(true);
    QTreeWidgetItem* selected = m_tree->currentItem();
    if (selected && model::moveBlockDown(m_agent.Items, m_outline, absoluteIndex(selected)))
        raiseBlock(nextSibling(selected), selected);
    UpdateItemCommands();
}

void TMainForm::btnBatchImportImgsClick()
{
    setModified(true);
    const QStringList files =
        m_dialogs.openFileNames(QString::fromStdString(platform::GetPicturesFolder().string()), PictureFilter);
    QStringList refused;
    for (const QString& file : files) {
        try {
            addItemNode(QFileInfo(file).fileName(), model::importedItem(file.toStdString()));
        } catch (const platform::UserError&) {
            // A project cannot hold such a path: the others are still added.
            refused << file;
        }
    }
    UpdateItemCommands();
    if (!refused.isEmpty())
        m_dialogs.warn(tr("These pictures were not added: a project cannot hold a path with a line break or "
                          "\"#$@\" in it.\n\n") +
                       refused.join('\n'));
}

void TMainForm::spdbtnItemImageNormalClick()
{
    const QString chosen = m_dialogs.openFileName(QString(), PictureFilter);
    if (!chosen.isEmpty())
        findChild<QLineEdit*>("edtOriginalImagePath")->setText(chosen);
    QTreeWidgetItem* selected = m_tree->currentItem();
    if (selected && level(selected) == 1) {
        if (!chosen.isEmpty()) {
            selected->setText(0, QFileInfo(chosen).fileName());
            m_outline.setCaption(absoluteIndex(selected), selected->text(0).toStdString());
        }
        showPreviewPicture();
    }
}

void TMainForm::spdbtnItURLClick()
{
    const QString chosen = m_dialogs.openFileName(QString(), LinkFilter);
    if (chosen.isEmpty())
        return;
    findChild<QComboBox*>("cmbx_ILink")->setEditText(PathToFileUrl(chosen));
    setModified(true);
}

// Shows the original stretched to the preview area, or hides the area when
// the path names no file.
void TMainForm::showPreviewPicture()
{
    auto* preview = findChild<QLabel*>("imgPreview");
    const QString path = findChild<QLineEdit*>("edtOriginalImagePath")->text();
    if (path.isEmpty() || !platform::fileExists(path.toStdString())) {
        preview->hide();
        return;
    }
    QImageReader reader(path);
    // The area shows a small picture: a photograph of many megapixels is
    // read at a reduced size, within what the reader may allocate.
    constexpr int Largest = 2048;
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > Largest || full.height() > Largest))
        reader.setScaledSize(full.scaled(Largest, Largest, Qt::KeepAspectRatio));
    const QImage picture = reader.read();
    if (picture.isNull()) {
        preview->hide();
        throw platform::UserError("The picture " + path.toStdString() +
                                  " cannot be shown: " + reader.errorString().toStdString() + ".");
    }
    preview->setPixmap(QPixmap::fromImage(picture));
    preview->show();
}
