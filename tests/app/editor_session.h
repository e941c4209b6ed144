#pragma once

#include "main_form.h"
#include "scripted_dialogs.h"

#include <QTemporaryDir>
#include <memory>

// One editor window for one test: a fresh home and data folder, dialogs
// answered from a script.
struct EditorSession {
    EditorSession()
    {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_DATA_HOME", path("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", path("config").toUtf8());
        form = std::make_unique<TMainForm>(dialogs);
    }
    ~EditorSession()
    {
        // Closing asks nothing once the project counts as saved.
        form->setModified(false);
    }
    QString path(const QString& name) const { return home.filePath(name); }

    QTemporaryDir home;
    ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};
