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

#include <filesystem>
#include <memory>
#include <system_error>

inline void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

// "<missing>" for a file that is not there, so it never passes for an empty one.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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

inline void writeScript(const QString& path, const QByteArray& script)
{
    writeFile(path, script);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

// QTemporaryDir cannot remove a name that is not valid in the locale's
// encoding and would leave its folder behind: this one removes it by bytes.
struct ScratchDir : QTemporaryDir {
    ScratchDir() = default;
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path().toLocal8Bit().toStdString(), ignored);
    }
};

struct FormWithTools {
    // Tools that are present are plain files that cannot run.
    FormWithTools(bool brenmo, bool calvio)
    {
        if (brenmo)
            writeFile(dir.filePath("brenmo"), "#!/bin/sh\n");
        if (calvio)
            writeFile(dir.filePath("calvio"), "#!/bin/sh\n");
        create(dir.filePath("vesk"));
    }

    // Stand-in tools: a script for each one given, none for a null one.
    FormWithTools(const QByteArray& brenmoScript, const QByteArray& calvioScript)
    {
        if (!brenmoScript.isNull())
            writeScript(dir.filePath("brenmo"), brenmoScript);
        if (!calvioScript.isNull())
            writeScript(dir.filePath("calvio"), calvioScript);
        create(dir.filePath("vesk"));
    }

    // A window whose program file is programPath, with whatever lies beside it.
    explicit FormWithTools(const QString& programPath) { create(programPath); }

    void create(const QString& programPath)
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        form = std::make_unique<TVeskForm>(nullptr, programPath, std::move(scripted));
    }

    // Puts files into the list through the file dialog.
    void addFiles(const QStringList& files)
    {
        dialogs->files.push_back(files);
        form->AddFilesBtnClick();
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    ScratchDir dir;
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TVeskForm> form;
};
