#include "main_form.h"

#include "app_icon.h"
#include "check_group_box.h"
#include "colour_panel.h"
#include "control_binding.h"
#include "dialogs.h"
#include "help_window.h"
#include "platform/preview_server.h"
#include "spin_edit.h"
#include "window_placement.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace model = pictavo::model;

namespace {

constexpr int HelpTagProperty = 0;

QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(name, QApplication::style()->standardIcon(fallback));
}

// A spin box named for its field, with the binding's range.
SpinEdit* spinEdit(QWidget* parent, const char* field)
{
    auto* spin = new SpinEdit(parent);
    const std::string name = std::string("spnedt_") + field;
    spin->setObjectName(QString::fromStdString(name));
    for (const model::FieldBinding& binding : model::galleryBindings()) {
        if (binding.control == name) {
            spin->setRange(binding.minimum, binding.maximum);
            break;
        }
    }
    spin->setMinimumWidth(80);
    return spin;
}

ColourPanel* colourPanel(QWidget* parent, const char* field)
{
    auto* panel = new ColourPanel(parent);
    panel->setObjectName(QString("pnl_") + field);
    panel->setFixedSize(60, 22);
    return panel;
}

QLineEdit* lineEdit(QWidget* parent, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

// A help button: a small square button whose tag picks the help page.
QToolButton* helpButton(QWidget* parent, const char* name, int tag)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setProperty("tag", tag);
    button->setText("?");
    QFont bold = button->font();
    bold.setBold(true);
    button->setFont(bold);
    button->setFixedSize(22, 22);
    button->setAutoRaise(true);
    button->setToolTip(QObject::tr("Help"));
    return button;
}

// A check group box with its check box on the frame; the box's layout
// leaves room at the top for the check box.
TCheckGroupBox* checkGroup(QWidget* parent, const char* name, const char* checkName, const QString& caption)
{
    auto* box = new TCheckGroupBox(parent);
    box->setObjectName(name);
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(checkName);
    check->setChecked(true);
    box->setCheckComponent(check);
    return box;
}

QGridLayout* gridIn(QWidget* box, bool roomForCheck = false)
{
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(10, roomForCheck ? 18 : 10, 10, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    return grid;
}

QLabel* label(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    return l;
}

}  // namespace

TMainForm::TMainForm(Dialogs& dialogs, QWidget* parent) : QMainWindow(parent), m_dialogs(dialogs)
{
    setObjectName("MainForm");
    m_itemIcon = style()->standardIcon(QStyle::SP_FileIcon);
    buildMenus();
    buildToolBar();

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName("Splitter1");
    splitter->setHandleWidth(5);
    splitter->setChildrenCollapsible(false);
    auto* treePanel = new QWidget(splitter);
    treePanel->setObjectName("pnlTreeView");
    auto* treeLayout = new QVBoxLayout(treePanel);
    treeLayout->setContentsMargins(2, 2, 0, 2);
    m_tree = new QTreeWidget(treePanel);
    treeLayout->addWidget(m_tree);
    m_pages = new QTabWidget(splitter);
    m_pages->setObjectName("pgcntrl1");
    splitter->addWidget(treePanel);
    splitter->addWidget(m_pages);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({408, 972 - 408 - 5});
    // On a screen smaller than the panels need (a small screen at a large
    // scale), the window still fits and its middle scrolls; anywhere else
    // the area is exactly the splitter.
    auto* middle = new QScrollArea(this);
    middle->setObjectName("scrlbxMiddle");
    middle->setFrameShape(QFrame::NoFrame);
    middle->setWidgetResizable(true);
    middle->setWidget(splitter);
    setCentralWidget(middle);
    m_middle = middle;
    buildTree();
    buildPanels();
    // Never smaller than 433 by 420, nor than its pages need: squeezed
    // below that, a page's layout crushes its controls out of sight.
    m_pages->setMinimumSize(m_pages->minimumSizeHint().expandedTo(QSize(433, 420)));
    buildItemCommands();

    auto* status = new QStatusBar(this);
    status->setObjectName("StatusBar1");
    status->setFixedHeight(24);
    status->setSizeGripEnabled(true);
    m_hint = new QLabel(status);
    m_hint->setObjectName("stctxtHint");
    m_hint->setFixedWidth(338);
    m_progressBar = new QProgressBar(status);
    m_progressBar->setObjectName("prgrsbrMainFormBottom");
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    status->addWidget(m_hint);
    status->addWidget(m_progressBar, 1);
    // What the last build warned of stays in view: a permanent part of the
    // bar, which menu hints passing over it do not replace.
    m_buildWarnings = new QLabel(status);
    m_buildWarnings->setObjectName("lblBuildWarnings");
    m_buildWarnings->setMaximumWidth(420);
    m_buildWarnings->hide();
    status->addPermanentWidget(m_buildWarnings);
    setStatusBar(status);
    m_progress = std::make_unique<StatusProgress>(m_hint, m_progressBar);

    m_help = new TfrmHelp(this);

    // The size the window is designed at; it is fitted to its screen and
    // centred there when it first shows.
    resize(972, 673);
    setWindowTitle(tr("Pictavo"));
    setWindowIcon(pictavoIcon());

    // The creation handler's steps: defaults into the panels, the recent
    // files, a clean project. A failure is shown and the rest skipped.
    runCommand([this] {
        resetToNewProject();
        LoadRecentFiles();
        setModified(false);
        m_lastLayoutIndex = -2009;
        UpdateItemCommands();
    });
}

TMainForm::~TMainForm()
{
    // Before the view would destroy a deep tree by recursion.
    while (m_tree->topLevelItemCount() > 0)
        destroySubtree(m_tree->takeTopLevelItem(0));
}

void TMainForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto action = [this](QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut,
                         void (TMainForm::*handler)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        // No command starts inside another (a build keeps the window painting).
        if (handler)
            connect(a, &QAction::triggered, this, [this, handler] {
                if (!commandRunning())
                    runCommand([this, handler] { (this->*handler)(); });
            });
        return a;
    };

    // Keys that the window answers itself (below), shown beside the commands
    // they stand for.
    auto withKey = [](const QString& text, QKeySequence::StandardKey key) {
        return text + '\t' + QKeySequence(key).toString(QKeySequence::NativeText);
    };

    QMenu* file = bar->addMenu(tr("&File"));
    file->setObjectName("File1");
    action(file, "New1", tr("&New..."), QKeySequence(Qt::CTRL | Qt::Key_N), &TMainForm::New1Click)
        ->setIcon(themeIcon("document-new", QStyle::SP_FileIcon));
    action(file, "Open1", tr("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O), &TMainForm::Open1Click)
        ->setIcon(themeIcon("document-open", QStyle::SP_DialogOpenButton));
    m_save = action(file, "Save1", tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), &TMainForm::Save1Click);
    m_save->setIcon(themeIcon("document-save", QStyle::SP_DialogSaveButton));
    action(file, "Save2", tr("Save All Required Files &As..."), {}, &TMainForm::Save2Click)
        ->setIcon(themeIcon("document-save-as", QStyle::SP_DialogSaveButton));
    file->addSeparator();
    m_recentMenu = file->addMenu(tr("&Recent Files"));
    m_recentMenu->setObjectName("mnitRecentFiles");
    connect(m_recentMenu, &QMenu::triggered, this, [this](QAction* entry) { RecentFileClick(entry); });
    file->addSeparator();
    // Exit is the close request itself, not a command around it: it is
    // answered at once, unless another command is running.
    QAction* exit = action(file, "Exit1", tr("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q), nullptr);
    exit->setIcon(themeIcon("application-exit", QStyle::SP_DialogCloseButton));
    connect(exit, &QAction::triggered, this, [this] { Exit1Click(); });

    QMenu* view = bar->addMenu(tr("&View"));
    view->setObjectName("View1");
    m_toolBarToggle = action(view, "ToolBar1", tr("&Tool Bar"), {}, &TMainForm::ToolBar1Click);
    m_toolBarToggle->setCheckable(true);
    m_toolBarToggle->setChecked(true);
    m_statusBarToggle = action(view, "StatusBar2", tr("&Status Bar"), {}, &TMainForm::StatusBar2Click);
    m_statusBarToggle->setCheckable(true);
    m_statusBarToggle->setChecked(true);

    QMenu* item = bar->addMenu(tr("&Item"));
    item->setObjectName("Item1");
    action(item, "Insert2", tr("I&nsert"), {}, nullptr)->setIcon(themeIcon("list-add", QStyle::SP_FileDialogNewFolder));
    action(item, "Delete2", withKey(tr("&Delete"), QKeySequence::Delete), {}, nullptr)
        ->setIcon(themeIcon("list-remove", QStyle::SP_TrashIcon));
    action(item, "MoveUp2", tr("Move &Up"), {}, nullptr)->setIcon(themeIcon("go-up", QStyle::SP_ArrowUp));
    action(item, "MoveDown2", tr("Move &Down"), {}, nullptr)->setIcon(themeIcon("go-down", QStyle::SP_ArrowDown));
    item->addSeparator();
    action(item, "BatchImportImgs1", tr("&Batch Importing Images..."), {}, nullptr)
        ->setIcon(themeIcon("document-import", QStyle::SP_DirOpenIcon));

    QMenu* script = bar->addMenu(tr("&Script"));
    script->setObjectName("Script1");
    action(script, "Preview1", tr("&Preview"), QKeySequence(Qt::CTRL | Qt::Key_P), &TMainForm::Preview1Click)
        ->setIcon(themeIcon("document-print-preview", QStyle::SP_MediaPlay));

    QMenu* help = bar->addMenu(tr("&Help"));
    help->setObjectName("Help1");
    action(help, "Topic1", withKey(tr("Help &Topics"), QKeySequence::HelpContents), {}, &TMainForm::Topic1Click)
        ->setIcon(themeIcon("help-contents", QStyle::SP_MessageBoxQuestion));
    action(help, "ViewSample1", tr("View &Samples..."), {}, &TMainForm::ViewSample1Click);
    help->addSeparator();
    action(help, "Homepage1", tr("&Homepage"), {}, &TMainForm::Homepage1Click);
    action(help, "ContactUs1", tr("&Contact Us"), {}, &TMainForm::ContactUs1Click);
    action(help, "About1", tr("&About"), {}, &TMainForm::About1Click)
        ->setIcon(themeIcon("help-about", QStyle::SP_MessageBoxInformation));

    // Keys of the whole window. Delete reaches the selected item wherever the
    // focus is, except in a text box, which takes the key for its own text.
    auto key = [this](const char* name, const QKeySequence& shortcut, void (TMainForm::*handler)()) {
        auto* a = new QAction(this);
        a->setObjectName(name);
        a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
        addAction(a);
    };
    key("actContextHelp", QKeySequence::HelpContents, &TMainForm::contextHelp);
    key("actDeleteKey", QKeySequence::Delete, &TMainForm::deleteKeyPress);
}

void TMainForm::buildToolBar()
{
    m_toolBar = addToolBar(tr("Tool Bar"));
    // Hidden from its own context menu too, the View menu follows it.
    connect(m_toolBar, &QToolBar::visibilityChanged, this, [this](bool shown) {
        if (m_toolBarToggle)
            m_toolBarToggle->setChecked(shown);
    });
    m_toolBar->setObjectName("tlbr1");
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(22, 22));

    auto* batch = new QPushButton(tr("Batch Importing Images"), m_toolBar);
    batch->setObjectName("btnBatchImportImgs");
    QFont bold = batch->font();
    bold.setBold(true);
    batch->setFont(bold);
    batch->setFixedWidth(185);
    batch->setFlat(true);
    m_toolBar->addWidget(batch);
    m_toolBar->addSeparator();

    struct Button {
        const char* name;
        const char* icon;
        QStyle::StandardPixmap fallback;
        const char* hint;
        const char* menuAction;
    };
    const Button buttons[] = {
        {"tlbtnNew", "document-new", QStyle::SP_FileIcon, "Create a new project", "New1"},
        {"tlbtnOpen", "document-open", QStyle::SP_DialogOpenButton,
         "Open a project from the file that you saved before", "Open1"},
        {"tlbtnSave", "document-save", QStyle::SP_DialogSaveButton, "Save the current project to a file", "Save1"},
        {nullptr, nullptr, QStyle::SP_FileIcon, nullptr, nullptr},
        {"tlbtnInsert", "list-add", QStyle::SP_FileDialogNewFolder, "Insert a new item", nullptr},
        {"tlbtnDelete", "list-remove", QStyle::SP_TrashIcon, "Delete selected item", nullptr},
        {"tlbtnMoveUp", "go-up", QStyle::SP_ArrowUp, "Move the selected item up", nullptr},
        {"tlbtnMoveDown", "go-down", QStyle::SP_ArrowDown, "Move the selected item down", nullptr},
        {nullptr, nullptr, QStyle::SP_FileIcon, nullptr, nullptr},
        {"tlbtnPreview", "document-print-preview", QStyle::SP_MediaPlay, "preview the applet in web browser", "Preview1"},
        {nullptr, nullptr, QStyle::SP_FileIcon, nullptr, nullptr},
        {"tlbtnHelp", "help-contents", QStyle::SP_MessageBoxQuestion, "Show help document", "Topic1"},
    };
    for (const Button& b : buttons) {
        if (!b.name) {
            m_toolBar->addSeparator();
            continue;
        }
        // The Save button shares its menu item's action, so both are always
        // enabled together.
        QAction* shared = b.menuAction ? findChild<QAction*>(b.menuAction) : nullptr;
        auto* button = new QToolButton(m_toolBar);
        button->setObjectName(b.name);
        button->setAutoRaise(true);
        // A button takes its tooltip from its action whenever the action
        // changes (Save's, with every edit): the action carries the hint.
        if (shared) {
            shared->setToolTip(tr(b.hint));
            button->setDefaultAction(shared);
        }
        button->setIcon(themeIcon(b.icon, b.fallback));
        button->setToolTip(tr(b.hint));
        button->setProperty("hint", tr(b.hint));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        m_toolBar->addWidget(button);
        watchHint(button);
    }
}

void TMainForm::buildTree()
{
    m_tree->setObjectName("trvwDesignPanel");
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(19);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    const QString hint = tr("Add, remove or move items by right-clicking the mouse.");
    m_tree->setToolTip(hint);
    m_tree->setProperty("hint", hint);
    watchHint(m_tree);
    watchHint(m_tree->parentWidget());
}

void TMainForm::buildPanels()
{
    m_pages->addTab(buildScriptTab(), tr("Script Parameters"));
    m_pages->addTab(buildScriptMoreTab(), tr("More Script Parameters"));
    m_pages->addTab(buildPathTab(), tr("Path"));
    m_pages->addTab(buildItemTab(), tr("Item General"));
    LiftTextLengthLimits(m_pages);
    connectPanels();
}

QWidget* TMainForm::buildScriptTab()
{
    auto* page = new QWidget;
    page->setObjectName("tbshtScript");
    watchHint(page);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(10, 12, 10, 10);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(14);

    auto* general = new QGroupBox(tr("General"), page);
    general->setObjectName("grpbxGeneral");
    auto* g = gridIn(general);
    g->addWidget(label(general, tr("Gallery Name")), 0, 0);
    g->addWidget(lineEdit(general, "edt_pScriptName"), 0, 1, 1, 2);
    g->addWidget(label(general, tr("Preview BgColor")), 1, 0);
    g->addWidget(colourPanel(general, "pPreviewBgColor"), 1, 1, Qt::AlignLeft);
    g->addWidget(helpButton(general, "SpeedButton1", 1), 0, 3, Qt::AlignTop | Qt::AlignRight);
    g->setColumnStretch(2, 1);
    layout->addWidget(general, 0, 0, 1, 2);

    auto* large = new QGroupBox(tr("Large Image"), page);
    large->setObjectName("grpbxLargeImage");
    auto* l = gridIn(large);
    l->addWidget(label(large, tr("Width")), 0, 0);
    l->addWidget(spinEdit(large, "largeImageWidth"), 0, 1);
    l->addWidget(label(large, tr("Height")), 1, 0);
    l->addWidget(spinEdit(large, "largeImageHeight"), 1, 1);
    l->addWidget(helpButton(large, "SpeedButton3", 2), 0, 2, Qt::AlignTop | Qt::AlignRight);
    l->setColumnStretch(2, 1);
    l->setRowStretch(2, 1);
    layout->addWidget(large, 1, 0);

    auto* thumb = new QGroupBox(tr("Thumb Image"), page);
    thumb->setObjectName("grpbxThumbImage");
    auto* t = gridIn(thumb);
    t->addWidget(label(thumb, tr("Width")), 0, 0);
    t->addWidget(spinEdit(thumb, "thumbImageWidth"), 0, 1);
    t->addWidget(label(thumb, tr("Height")), 1, 0);
    t->addWidget(spinEdit(thumb, "thumbImageHeight"), 1, 1);
    t->addWidget(label(thumb, tr("Padding")), 2, 0);
    t->addWidget(spinEdit(thumb, "thumbImagesHorizontalPadding"), 2, 1);
    t->addWidget(label(thumb, tr("Alpha")), 3, 0);
    t->addWidget(spinEdit(thumb, "thumbImageShadowAlpha"), 3, 1);
    t->addWidget(helpButton(thumb, "SpeedButton4", 3), 0, 2, Qt::AlignTop | Qt::AlignRight);
    t->setColumnStretch(2, 1);
    layout->addWidget(thumb, 1, 1, 2, 1);

    auto* autoPlay = checkGroup(page, "CheckGroupBox_AutoPlay", "ckbx_enableAutoPlay", tr("Autoplay"));
    auto* a = gridIn(autoPlay, true);
    a->addWidget(label(autoPlay, tr("Delay")), 0, 0);
    a->addWidget(spinEdit(autoPlay, "autoPlayDelay"), 0, 1);
    a->addWidget(helpButton(autoPlay, "SpeedButton6", 4), 0, 2, Qt::AlignTop | Qt::AlignRight);
    a->setColumnStretch(2, 1);
    layout->addWidget(autoPlay, 2, 0);

    auto* buttons = new QGroupBox(tr("Buttons"), page);
    buttons->setObjectName("grpbxButtons");
    auto* b = new QHBoxLayout(buttons);
    b->setContentsMargins(10, 22, 10, 10);
    b->setSpacing(12);
    struct Check {
        const char* box;
        const char* check;
        const char* caption;
        const char* x;
        const char* y;
    };
    const Check checks[] = {
        {"ckgrpbx_PlayButton", "ckbx_playButtonVisible", "Play Button", "playButtonX", "playButtonY"},
        {"ckgrpbx_PrevButton", "ckbx_prevButtonVisible", "Prev Button", "prevButtonX", "prevButtonY"},
        {"CheckGroupBox3", "ckbx_nextButtonVisible", "Next Button", "nextButtonX", "nextButtonY"},
    };
    for (const Check& c : checks) {
        auto* group = checkGroup(buttons, c.box, c.check, tr(c.caption));
        auto* grid = gridIn(group, true);
        grid->addWidget(label(group, "X"), 0, 0);
        grid->addWidget(spinEdit(group, c.x), 0, 1);
        grid->addWidget(label(group, "Y"), 1, 0);
        grid->addWidget(spinEdit(group, c.y), 1, 1);
        b->addWidget(group);
    }
    b->addWidget(helpButton(buttons, "SpeedButton7", 5), 0, Qt::AlignTop);
    layout->addWidget(buttons, 3, 0, 1, 2);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    return page;
}

QWidget* TMainForm::buildScriptMoreTab()
{
    auto* page = new QWidget;
    page->setObjectName("tbshtScriptMore");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(10, 12, 10, 10);
    layout->setSpacing(16);

    auto* focused = new QGroupBox(tr("Focused Box"), page);
    focused->setObjectName("grpbxFocusedBox");
    auto* f = gridIn(focused);
    f->addWidget(label(focused, tr("Width")), 0, 0);
    f->addWidget(spinEdit(focused, "focusedBoxBorderWidth"), 0, 1);
    f->addWidget(label(focused, tr("Alpha")), 0, 2);
    f->addWidget(spinEdit(focused, "focusedBoxBorderAlpha"), 0, 3);
    f->addWidget(label(focused, tr("Color")), 0, 4);
    f->addWidget(colourPanel(focused, "focusedBoxBorderColor"), 0, 5);
    f->addWidget(helpButton(focused, "SpeedButton11", 6), 0, 6, Qt::AlignTop | Qt::AlignRight);
    f->setColumnStretch(6, 1);
    layout->addWidget(focused);

    auto* description = checkGroup(page, "CheckGroupBox2", "ckbx_showDescriptionBox", tr("Description Box"));
    auto* d = gridIn(description, true);
    d->addWidget(label(description, tr("Height")), 0, 0);
    d->addWidget(spinEdit(description, "descriptionBoxHeight"), 0, 1);
    d->addWidget(label(description, tr("Font Size")), 1, 0);
    d->addWidget(spinEdit(description, "imageDescFontSize"), 1, 1);
    d->addWidget(label(description, tr("Text Color")), 1, 2);
    d->addWidget(colourPanel(description, "imageDescFontColor"), 1, 3);
    auto* line = new QFrame(description);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    d->addWidget(line, 2, 0, 1, 5);
    d->addWidget(label(description, tr("Image Title Font Size")), 3, 0);
    d->addWidget(spinEdit(description, "imageTitleFontSize"), 3, 1);
    d->addWidget(label(description, tr("Text Color")), 3, 2);
    d->addWidget(colourPanel(description, "imageTitleFontColor"), 3, 3);
    d->addWidget(helpButton(description, "SpeedButton5", 7), 0, 4, Qt::AlignTop | Qt::AlignRight);
    d->setColumnStretch(4, 1);
    layout->addWidget(description);

    // The tooltip settings are kept, saved and loaded, but never shown.
    auto* tooltip = new TCheckGroupBox(page);
    tooltip->setObjectName("CheckGroupBox4");
    auto* t = gridIn(tooltip);
    t->addWidget(label(tooltip, tr("X Offset")), 0, 0);
    t->addWidget(spinEdit(tooltip, "thumbImageTooltipX"), 0, 1);
    t->addWidget(label(tooltip, tr("Y Offset")), 0, 2);
    t->addWidget(spinEdit(tooltip, "thumbImageTooltipY"), 0, 3);
    t->addWidget(label(tooltip, tr("Font Size")), 1, 0);
    t->addWidget(spinEdit(tooltip, "imageTooltipFontSize"), 1, 1);
    t->addWidget(label(tooltip, tr("Text Color")), 1, 2);
    t->addWidget(colourPanel(tooltip, "imageTooltipFontColor"), 1, 3);
    t->addWidget(helpButton(tooltip, "SpeedButton2", 3), 0, 4);
    tooltip->hide();
    auto* tooltipCheck = new QCheckBox(page);
    tooltipCheck->setObjectName("ckbx_showThumbImageTooltip");
    tooltipCheck->hide();
    layout->addStretch(1);
    return page;
}

QWidget* TMainForm::buildPathTab()
{
    auto* page = new QWidget;
    page->setObjectName("tbshtPath");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(10, 12, 10, 10);

    auto* group = new QGroupBox(tr("Path Replacement for Publishing"), page);
    group->setObjectName("grpbxPath");
    auto* g = new QVBoxLayout(group);
    g->setContentsMargins(12, 14, 12, 12);
    g->setSpacing(6);
    auto* top = new QHBoxLayout;
    auto* explanation = label(group, tr("The local and Web path prefixes will be replaced one by another acoording "
                                        "to the choices below."));
    explanation->setWordWrap(true);
    explanation->setStyleSheet("color: grey;");
    top->addWidget(explanation, 1);
    top->addWidget(helpButton(group, "SpeedButton28", 12), 0, Qt::AlignTop);
    g->addLayout(top);
    g->addSpacing(6);
    g->addWidget(label(group, tr("Local Path Prefix")));
    auto* localExample = label(group, tr("e.g. file:///home/you/site/"));
    localExample->setStyleSheet("color: grey;");
    g->addWidget(localExample);
    g->addWidget(lineEdit(group, "edt__InternalUse_RootDir_Local"));
    g->addSpacing(6);
    g->addWidget(label(group, tr("Web Path Prefix")));
    auto* webExample = label(group, tr("e.g. http://www.example.com/"));
    webExample->setStyleSheet("color: grey;");
    g->addWidget(webExample);
    g->addWidget(lineEdit(group, "edt__InternalUse_RootDir_Remote"));
    g->addSpacing(8);
    auto* local = new QRadioButton(tr("Local Path (to test on local computer)"), group);
    local->setObjectName("rdbtn__InternalUse_RootDir_Local_Checked");
    local->setChecked(true);
    auto* web = new QRadioButton(tr("Web Path (to upload to Web server)"), group);
    web->setObjectName("rdbtn__InternalUse_RootDir_Local_Checked2");
    auto* choice = new QButtonGroup(group);
    choice->addButton(local);
    choice->addButton(web);
    g->addWidget(local);
    g->addWidget(web);
    auto* note = label(group, tr("Check this ONLY IF you generate files to upload. Uncheck this to preview or test "
                                 "locally."));
    note->setWordWrap(true);
    QFont bold = note->font();
    bold.setBold(true);
    note->setFont(bold);
    g->addWidget(note);
    g->addSpacing(14);

    auto* leading = checkGroup(group, "CheckGroupBox1", "ckbx__pImageLeadingPathEnabled", tr("Leading Image Path"));
    auto* l = new QVBoxLayout(leading);
    l->setContentsMargins(10, 18, 10, 10);
    auto* leadingText = label(leading, tr("The leading path, such as http://www.example.com/gallery/images/, is put "
                                          "before the thumbnail and large image file names in the generated files."));
    leadingText->setWordWrap(true);
    l->addWidget(leadingText);
    l->addWidget(lineEdit(leading, "edt__pImageLeadingPath"));
    g->addWidget(leading);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

QWidget* TMainForm::buildItemTab()
{
    auto* page = new QWidget;
    page->setObjectName("tbshtItemGeneral");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(10, 12, 10, 10);
    layout->setSpacing(12);

    auto row = [page](const QString& title, const char* name) {
        auto* group = new QGroupBox(title, page);
        group->setObjectName(name);
        return group;
    };
    auto* original = row(tr("Original Image Path"), "grpbxOriginalImagePath");
    auto* o = gridIn(original);
    o->addWidget(lineEdit(original, "edtOriginalImagePath"), 0, 0);
    auto* picker = new QToolButton(original);
    picker->setObjectName("spdbtnOriginalImagePath");
    picker->setIcon(themeIcon("document-open", QStyle::SP_DialogOpenButton));
    picker->setFixedSize(24, 22);
    o->addWidget(picker, 0, 1);
    o->addWidget(helpButton(original, "SpeedButton13", 8), 0, 2);
    watchHint(picker);
    layout->addWidget(original);

    auto* link = row(tr("Link"), "grpbxLink");
    auto* k = gridIn(link);
    k->addWidget(label(link, tr("URL")), 0, 0);
    auto* url = new QComboBox(link);
    url->setObjectName("cmbx_ILink");
    url->setEditable(true);
    url->addItems({"http://", "mailto://", "javascript:", "ftp://", "news://"});
    url->setInsertPolicy(QComboBox::NoInsert);
    k->addWidget(url, 0, 1);
    auto* linkPicker = new QToolButton(link);
    linkPicker->setObjectName("spdbtnItURL");
    linkPicker->setIcon(themeIcon("document-open", QStyle::SP_DialogOpenButton));
    linkPicker->setFixedSize(24, 22);
    k->addWidget(linkPicker, 0, 2);
    k->addWidget(label(link, tr("Target")), 1, 0);
    auto* target = new QComboBox(link);
    target->setObjectName("cmbx_ITarget");
    target->setEditable(true);
    target->addItems({"_self", "_blank", "_parent", "_top", "_search", "_media"});
    target->setInsertPolicy(QComboBox::NoInsert);
    k->addWidget(target, 1, 1);
    k->addWidget(helpButton(link, "SpeedButton24", 9), 0, 3);
    k->setColumnStretch(1, 1);
    watchHint(link);
    watchHint(linkPicker);
    layout->addWidget(link);

    auto* title = row(tr("Image Title"), "grpbxImageTitle");
    auto* ti = gridIn(title);
    auto* toolTip = lineEdit(title, "edt_IToolTip");
    ti->addWidget(toolTip, 0, 0);
    ti->addWidget(helpButton(title, "SpeedButton19", 10), 0, 1);
    watchHint(toolTip);
    layout->addWidget(title);

    auto* description = row(tr("Description"), "grpbxDescription");
    auto* de = gridIn(description);
    auto* descriptionEdit = lineEdit(description, "edt_IDesription");
    de->addWidget(descriptionEdit, 0, 0);
    de->addWidget(helpButton(description, "SpeedButton8", 11), 0, 1);
    watchHint(descriptionEdit);
    layout->addWidget(description);

    auto* preview = row(tr("Preview"), "grpbxPreview");
    auto* p = new QVBoxLayout(preview);
    auto* image = new QLabel(preview);
    image->setObjectName("imgPreview");
    image->setScaledContents(true);
    image->setMinimumSize(160, 90);
    image->hide();
    p->addWidget(image);
    layout->addWidget(preview, 1);
    return page;
}

void TMainForm::connectPanels()
{
    // Every control whose value Save writes marks the project modified when
    // the user changes it (values loaded into the panels do not).
    for (SpinEdit* spin : findChildren<SpinEdit*>())
        connect(spin, &QSpinBox::textChanged, this, [this] { spnedtApWidthChange(); });
    for (const char* name : {"edt_pScriptName", "edt__InternalUse_RootDir_Local", "edt__InternalUse_RootDir_Remote",
                             "edt__pImageLeadingPath", "edtOriginalImagePath", "edt_IToolTip", "edt_IDesription"})
        connect(findChild<QLineEdit*>(name), &QLineEdit::textChanged, this, [this] { spnedtApWidthChange(); });
    for (const char* name : {"cmbx_ILink", "cmbx_ITarget"})
        connect(findChild<QComboBox*>(name), &QComboBox::editTextChanged, this, [this] { spnedtApWidthChange(); });
    for (QAbstractButton* button : m_pages->findChildren<QAbstractButton*>())
        if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
            connect(button, &QAbstractButton::toggled, this, [this] { spnedtApWidthChange(); });

    // No text may hold the project file's field separator.
    for (QLineEdit* edit : m_pages->findChildren<QLineEdit*>()) {
        if (qobject_cast<QAbstractSpinBox*>(edit->parentWidget()) || qobject_cast<QComboBox*>(edit->parentWidget()))
            continue;
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { CheckSeparatorFree(edit); });
    }
    for (QComboBox* combo : m_pages->findChildren<QComboBox*>())
        connect(combo, &QComboBox::editTextChanged, this, [this, combo] { CheckSeparatorFree(combo); });

    for (ColourPanel* panel : findChildren<ColourPanel*>()) {
        connect(panel, &ColourPanel::clicked, this, [this, panel] { runCommand([this, panel] { pnlApBgClrClick(panel); }); });
        watchHint(panel);
    }
    for (SpinEdit* spin : findChildren<SpinEdit*>())
        watchHint(spin);
    for (QToolButton* button : m_pages->findChildren<QToolButton*>()) {
        if (!button->property("tag").isValid())
            continue;
        connect(button, &QToolButton::clicked, this,
                [this, button] { runCommand([this, button] { SpeedButton1Click(button->property("tag").toInt()); }); });
    }
}

void TMainForm::watchHint(QWidget* control)
{
    control->setAttribute(Qt::WA_Hover, true);
    control->installEventFilter(this);
    for (QWidget* child : control->findChildren<QWidget*>())
        if (qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QTreeWidget*>(control))
            child->installEventFilter(this);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // "*" opens the whole branch, which the view lays out by recursion, as
    // deep as a project may nest: it opens the first levels of it instead.
    if (watched == m_tree && type == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Asterisk) {
        if (QTreeWidgetItem* current = m_tree->currentItem())
            expandBranch(current);
        return true;
    }
    if ((type == QEvent::HoverEnter || type == QEvent::HoverMove || type == QEvent::Enter) && !m_treeRebuilding) {
        // The hint of the control under the mouse, or of the nearest control
        // around it that has one: a watched panel must not clear the hint of
        // the tree it holds, and the parts of a spin box or of the tree speak
        // for it.
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* pointer = static_cast<const QSinglePointEvent*>(event);
        QWidget* under = widget ? widget->childAt(pointer->position().toPoint()) : nullptr;
        QString hint;
        for (QWidget* w = under ? under : widget; w; w = w->parentWidget()) {
            if (w->property("hint").isValid()) {
                hint = w->property("hint").toString();
                break;
            }
            if (w == widget && !qobject_cast<QAbstractSpinBox*>(w->parentWidget()) &&
                !qobject_cast<QTreeWidget*>(w->parentWidget()))
                break;
        }
        m_hint->setText(hint);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event)
{
    if (!m_placed && !event->spontaneous()) {
        m_placed = true;
        // The middle scrolls only where the screen is smaller than the
        // panels need; anywhere else the window keeps them whole.
        m_middle->setMinimumSize(m_middle->widget()->minimumSizeHint());
        if (const QScreen* screen = this->screen()) {
            const QSize room = screen->availableGeometry().size().shrunkBy(expectedFrame(this));
            const QSize need = minimumSizeHint();
            if (need.width() > room.width() || need.height() > room.height())
                m_middle->setMinimumSize(QSize(0, 0));
        }
        placeCentred(this);
    }
    QMainWindow::showEvent(event);
}

// The root is no item: Delete does nothing there.
void TMainForm::deleteKeyPress()
{
    QTreeWidgetItem* selected = m_tree->currentItem();
    if (selected && selected != m_tree->topLevelItem(0))
        Delete1Click();
}

// The help page of the group that holds the focused control, as that group's
// help button opens it; the help topics where no group has a help button.
void TMainForm::contextHelp()
{
    for (QWidget* control = focusWidget(); control && control != this; control = control->parentWidget()) {
        // A check box on a check group's frame stands for that group.
        for (TCheckGroupBox* group : control->parentWidget()->findChildren<TCheckGroupBox*>(QString(), Qt::FindDirectChildrenOnly))
            if (group->checkComponent() == control) {
                control = group;
                break;
            }
        for (QToolButton* button : control->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (button->property("tag").isValid()) {
                SpeedButton1Click(button->property("tag").toInt());
                return;
            }
        }
    }
    Topic1Click();
}
