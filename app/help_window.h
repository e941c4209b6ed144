#pragma once

#include <QWidget>

class QTextBrowser;

// The help window: a tool window beside the main window that shows the help
// pages; closing it only hides it.
class TfrmHelp : public QWidget {
    Q_OBJECT

public:
    explicit TfrmHelp(QWidget* parent = nullptr);
    void navigate(const QUrl& address);
    QTextBrowser* browser() const { return m_browser; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QTextBrowser* m_browser;
};
