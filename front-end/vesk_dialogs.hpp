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
    // The message and the about box are modal to their window but return at
    // once: a run that opens them goes on while they show.
    virtual void showMessage(QWidget* parent, const QString& text);
    virtual void showAbout(std::unique_ptr<TAboutDialog> dialog);
    // A message that may be long: details, when given, wait behind the box's
    // Show Details button.
    virtual void showReport(QWidget* parent, const QString& text, const QString& details);
    // A piece of the report's text, shortened in its middle to one line of
    // the box showReport opens on the screen of parent.
    virtual QString fitToReportLine(const QWidget* parent, const QString& piece);
};

// The box of showReport, its text selectable by mouse and keyboard, since on
// X11 a message box copies nothing to the clipboard by itself. It is as wide
// as the text's widest line, so that no line wraps.
std::unique_ptr<QMessageBox> makeReportBox(QWidget* parent, const QString& text, const QString& details);
