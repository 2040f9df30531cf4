#include "vesk_dialogs.hpp"

#include "about_dialog.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

namespace {

// How wide a line of the report's text may be: a message box grows up to the
// screen's width, less a margin, before it wraps anywhere.
int reportLineWidth(const QWidget* parent)
{
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 640;
    return std::clamp(screenWidth - 200, 200, 800);
}

}  // namespace

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
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Quarnel"), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
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
    // Tab reaches a label only when it takes links from the keyboard.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                 | Qt::LinksAccessibleByKeyboard);
    box->setDetailedText(details);
    // The box wraps a text wider than half the screen at that width: the
    // label's own minimum keeps every line whole.
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        label->setMinimumWidth(std::min(widest, reportLineWidth(parent)));
    }
    return box;
}

void VeskDialogs::showAbout(std::unique_ptr<TAboutDialog> dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog.release()->open();
}

QString VeskDialogs::fitToReportLine(const QWidget* parent, const QString& piece)
{
    return QFontMetrics(QApplication::font("QMessageBox")).elidedText(piece, Qt::ElideMiddle, reportLineWidth(parent));
}
