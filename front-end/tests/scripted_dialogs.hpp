// Answers Vesk's dialogs from a script and records what was asked, so tests
// drive the window as a user would without a real dialog opening.
#pragma once

#include "vesk_dialogs.hpp"

#include <QFileDialog>
#include <QStringList>

#include <deque>
#include <functional>

class ScriptedDialogs : public VeskDialogs {
public:
    std::deque<QStringList> files;   // one answer per file dialog; empty = cancel
    std::deque<QString> folders;     // one answer per folder browser; empty = cancel
    QStringList asked;               // every dialog's title, with its settings
    QStringList messages;
    QList<QWidget*> messageParents;  // the parent given with each message
    QStringList details;             // each report's details, beside its text in messages
    std::function<void()> onMessage;   // called as each message is shown
    bool showMessageBoxes = false;     // also show each plain message as a user would see it

    QStringList chooseFiles(QFileDialog& dialog) override
    {
        asked << dialog.windowTitle() + " | " + dialog.nameFilters().join(" | ")
                     + (dialog.fileMode() == QFileDialog::ExistingFiles ? " | multi" : " | single");
        return take(files);
    }

    QString chooseFolder(QWidget*, const QString& caption, bool allowNewFolder) override
    {
        asked << caption + (allowNewFolder ? " | new folder" : " | no new folder");
        return take(folders);
    }

    void showMessage(QWidget* parent, const QString& text) override
    {
        record(parent, text);
        if (showMessageBoxes)
            VeskDialogs::showMessage(parent, text);
    }

    void showReport(QWidget* parent, const QString& text, const QString& reportDetails) override
    {
        details << reportDetails;
        record(parent, text);
    }

    // The report's lines are never shortened here, whatever the fonts.
    QString fitToReportLine(const QWidget*, const QString& piece) override { return piece; }

private:
    void record(QWidget* parent, const QString& text)
    {
        messages << text;
        messageParents << parent;
        if (onMessage)
            onMessage();
    }

    template <class T>
    static T take(std::deque<T>& queue)
    {
        if (queue.empty())
            return T();
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};
