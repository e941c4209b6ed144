#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QDialog;
class QWidget;

// Every modal dialog of the editor and the shell's "open" verb, behind one
// small interface: the editor uses QtDialogs, tests answer with a script.
class Dialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Dialogs() = default;
    // A "Warning" box with Yes, No and Cancel; closing it counts as Cancel.
    virtual Answer askYesNoCancel(const QString& text) = 0;
    // A "Warning" box with Yes and No; closing it counts as No.
    virtual Answer askYesNo(const QString& text) = 0;
    // A "Warning" box with a single Yes button.
    virtual void warn(const QString& text) = 0;
    // An error box with one OK button, titled by caption.
    virtual void showError(const QString& caption, const QString& text) = 0;
    // File dialogs; an empty result means the user cancelled.
    virtual QString openFileName(const QString& folder, const QString& filter) = 0;
    virtual QStringList openFileNames(const QString& folder, const QString& filter) = 0;
    virtual QString saveFileName(const QString& folder, const QString& filter) = 0;
    virtual std::optional<QColor> pickColour(const QColor& initial) = 0;
    virtual void runModal(QDialog& dialog) = 0;
    virtual void openInShell(const QUrl& url) = 0;
};

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    Answer askYesNoCancel(const QString& text) override;
    Answer askYesNo(const QString& text) override;
    void warn(const QString& text) override;
    void showError(const QString& caption, const QString& text) override;
    QString openFileName(const QString& folder, const QString& filter) override;
    QStringList openFileNames(const QString& folder, const QString& filter) override;
    QString saveFileName(const QString& folder, const QString& filter) override;
    std::optional<QColor> pickColour(const QColor& initial) override;
    void runModal(QDialog& dialog) override;
    void openInShell(const QUrl& url) override;

private:
    QWidget* m_owner;
};
