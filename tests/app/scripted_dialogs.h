#pragma once

#include "dialogs.h"

#include <QDialog>
#include <deque>

// Answers the editor's dialogs from a script and records what they said.
class ScriptedDialogs : public Dialogs {
public:
    std::deque<Answer> answers;          // for askYesNoCancel and askYesNo; Cancel when empty
    std::deque<QString> fileNames;       // for the file dialogs; "" (cancel) when empty
    std::deque<std::optional<QColor>> colours;  // for pickColour; cancelled when empty
    QStringList said;                    // every message, as "caption: text"
    QList<QUrl> opened;                  // every address the shell was asked to open
    QStringList fileDialogFolders;       // the initial folder of every file dialog
    int modalDialogs = 0;

    Answer askYesNoCancel(const QString& text) override { return answer("Warning: " + text); }
    Answer askYesNo(const QString& text) override { return answer("Warning: " + text); }
    void warn(const QString& text) override { said << "Warning: " + text; }
    void showError(const QString& caption, const QString& text) override { said << caption + ": " + text; }
    QString openFileName(const QString& folder, const QString&) override { return fileName(folder); }
    QStringList openFileNames(const QString& folder, const QString&) override
    {
        const QString names = fileName(folder);
        return names.isEmpty() ? QStringList() : names.split('\n');
    }
    QString saveFileName(const QString& folder, const QString&) override { return fileName(folder); }
    std::optional<QColor> pickColour(const QColor&) override
    {
        if (colours.empty())
            return std::nullopt;
        const std::optional<QColor> colour = colours.front();
        colours.pop_front();
        return colour;
    }
    void runModal(QDialog&) override { ++modalDialogs; }
    void openInShell(const QUrl& url) override { opened << url; }

private:
    Answer answer(const QString& text)
    {
        said << text;
        if (answers.empty())
            return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    QString fileName(const QString& folder)
    {
        fileDialogFolders << folder;
        if (fileNames.empty())
            return QString();
        const QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};
