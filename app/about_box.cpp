#include "about_box.h"

#include "app_icon.h"
#include "dialogs.h"
#include "model/product.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString text(std::string_view view) { return QString::fromUtf8(view.data(), int(view.size())); }

}  // namespace

LinkLabel::LinkLabel(const QString& address, Dialogs& dialogs, QWidget* parent)
    : QLabel(address, parent), m_address(address), m_dialogs(dialogs)
{
    setCursor(Qt::PointingHandCursor);
    colour("blue");
}

void LinkLabel::colour(const char* name) { setStyleSheet(QString("color: %1; text-decoration: underline;").arg(name)); }

void LinkLabel::enterEvent(QEnterEvent* event)
{
    colour("red");
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event)
{
    colour("blue");
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dialogs.openInShell(m_address);
    QLabel::mouseReleaseEvent(event);
}

TformAbout::TformAbout(Dialogs& dialogs, QWidget* parent) : QDialog(parent)
{
    setObjectName("formAbout");
    setWindowTitle(text(pictavo::model::ProductName));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);

    setWindowIcon(pictavoIcon());
    auto* icon = new QLabel(this);
    icon->setObjectName("imgProductIcon");
    icon->setPixmap(pictavoIcon().pixmap(64, 64));
    auto* product = new QLabel(text(pictavo::model::ProductName), this);
    product->setObjectName("lblProductName");
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 10);
    big.setBold(true);
    product->setFont(big);
    auto* version = new QLabel(tr("Version %1").arg(text(pictavo::model::ProductVersion)), this);
    version->setObjectName("lblVersion");
    auto* maker = new QLabel(tr("by %1").arg(text(pictavo::model::MakerName)), this);

    auto* links = new QGridLayout;
    links->setHorizontalSpacing(12);
    links->addWidget(new QLabel(tr("Web Site"), this), 0, 0);
    auto* site = new LinkLabel(text(pictavo::model::ProductPageAddress), dialogs, this);
    site->setObjectName("lblWebSite");
    links->addWidget(site, 0, 1);
    links->addWidget(new QLabel(tr("Tech Support"), this), 1, 0);
    auto* support = new LinkLabel(text(pictavo::model::SupportPageAddress), dialogs, this);
    support->setObjectName("lblTechSupport");
    links->addWidget(support, 1, 1);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("btnOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 18);
    auto* heading = new QGridLayout;
    heading->setHorizontalSpacing(16);
    heading->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    heading->addWidget(product, 0, 1);
    heading->addWidget(version, 1, 1);
    heading->addWidget(maker, 2, 1);
    heading->setColumnStretch(1, 1);
    layout->addLayout(heading);
    layout->addSpacing(16);
    layout->addLayout(links);
    layout->addSpacing(16);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
