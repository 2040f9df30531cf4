#include "vesk_dialogs.hpp"

#include "about_dialog.hpp"

#include <QFileDialog>
#include <QMessageBox>

QStringList VeskDialogs::chooseFiles(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString VeskDialogs::chooseFolder(QWidget* parent, const QString& caption, bool allowNewFolder)
{
    QFileDialog dialog(parent, caption);
    dialog.setFileMode(QFileDialog::Directory);
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    // A read-only dialog offers no "New Folder" button.
    if (!allowNewFolder)
        options |= QFileDialog::ReadOnly;
    dialog.setOptions(options);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void VeskDialogs::showMessage(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, QStringLiteral("Quarnel"), text);
}

void VeskDialogs::showReport(QWidget* parent, const QString& text, const QString& details)
{
    makeReportBox(parent, text, details)->exec();
}

std::unique_ptr<QMessageBox> makeReportBox(QWidget* parent, const QString& text, const QString& details)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("Quarnel"), text, QMessageBox::Ok,
                                             parent);
    // File names are shown as they are, never taken for markup.
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setDetailedText(details);
    return box;
}

void VeskDialogs::showAbout(TAboutDialog& dialog)
{
    dialog.exec();
}
