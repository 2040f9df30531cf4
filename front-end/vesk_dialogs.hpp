// The dialogs the main window opens, behind one class so that tests can
// answer them in place of a user.
#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;
class TAboutDialog;

class VeskDialogs {
public:
    virtual ~VeskDialogs() = default;

    // Runs the configured file-open dialog: the chosen files, none when cancelled.
    virtual QStringList chooseFiles(QFileDialog& dialog);
    // The shell's folder browser: the chosen folder, empty when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& caption, bool allowNewFolder);
    virtual void showMessage(QWidget* parent, const QString& text);
    virtual void showAbout(TAboutDialog& dialog);
};
