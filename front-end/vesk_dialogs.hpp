// The dialogs the main window opens, behind one class so that tests can
// answer them in place of a user.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QMessageBox;
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
    // A message that may be long: details, when given, wait behind the box's
    // Show Details button.
    virtual void showReport(QWidget* parent, const QString& text, const QString& details);
    virtual void showAbout(TAboutDialog& dialog);
};

// The box of showReport, its text selectable, since on X11 a message box
// copies nothing to the clipboard by itself.
std::unique_ptr<QMessageBox> makeReportBox(QWidget* parent, const QString& text, const QString& details);
