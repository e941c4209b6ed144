#pragma once

#include <QDialog>
#include <QLabel>
#include <QUrl>

class Dialogs;

// A label that shows an address in blue, red while the mouse is over it, and
// opens it on a click.
class LinkLabel : public QLabel {
    Q_OBJECT

public:
    LinkLabel(const QString& address, Dialogs& dialogs, QWidget* parent);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void colour(const char* name);
    QUrl m_address;
    Dialogs& m_dialogs;
};

// The About box: the product, its version and the maker's two pages.
class TformAbout : public QDialog {
    Q_OBJECT

public:
    TformAbout(Dialogs& dialogs, QWidget* parent = nullptr);
};
