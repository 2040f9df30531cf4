// A main window in a temporary folder of its own, with the tools it should
// find there and scripted dialogs, plus helpers to lay out test files.
#pragma once

#include "scripted_dialogs.hpp"
#include "vesk_form.hpp"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

#include <memory>

inline void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline QStringList listEntries(const TVeskForm& form)
{
    QStringList entries;
    for (int i = 0; i < form.FileListBox->count(); ++i)
        entries << form.FileListBox->item(i)->text();
    return entries;
}

inline QStringList totals(const TVeskForm& form)
{
    return {form.NFilesLabel->text(), form.SizeLabel->text(), form.SelFilesLabel->text(),
            form.SelSizeLabel->text()};
}

struct FormWithTools {
    // toolsFrom, when given, is a folder whose brenmo and calvio are linked in.
    FormWithTools(bool brenmo, bool calvio, const QString& toolsFrom = QString())
    {
        auto place = [&](const QString& name) {
            const QString target = dir.filePath(name);
            if (toolsFrom.isEmpty())
                writeFile(target, "#!/bin/sh\n");
            else
                QFile::link(QDir(toolsFrom).filePath(name), target);
        };
        if (brenmo)
            place("brenmo");
        if (calvio)
            place("calvio");
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        form = std::make_unique<TVeskForm>(nullptr, dir.filePath("vesk"), std::move(scripted));
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TVeskForm> form;
};
