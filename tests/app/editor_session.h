#pragma once

#include "pictures/bmp_codec.h"
#include "main_form.h"
#include "scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QTemporaryDir>
#include <memory>

// One editor window for one test: fresh home, data and cache folders, dialogs
// answered from a script.
struct EditorSession {
    EditorSession()
    {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_DATA_HOME", path("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", path("config").toUtf8());
        qputenv("XDG_CACHE_HOME", path("cache").toUtf8());
        form = std::make_unique<TMainForm>(dialogs);
    }
    ~EditorSession()
    {
        // Closing asks nothing once the project counts as saved.
        form->setModified(false);
    }
    QString path(const QString& name) const { return home.filePath(name); }

    // A small BMP picture in the home folder; returns its path.
    QString writeBmp(const QString& name, int width = 16, int height = 9) const
    {
        pictavo::test::writeBytes(path(name).toStdString(), pictavo::pictures::encodeBmp(pictavo::pictures::Image(width, height)));
        return path(name);
    }

    QTemporaryDir home;
    ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};
