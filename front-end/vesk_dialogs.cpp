#include "vesk_dialogs.hpp"

#include "about_dialog.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// How wide a line of the report's text may be. A message box grows up to the
// screen's width before it wraps; past 1024 pixels, to the screen less 480
// pixels or 1000, whichever is less, and then wraps anywhere. The margin
// leaves room for the icon, the spacing and the box's own margins.
int reportLineWidth(const QWidget* parent)
{
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 640;
    const int boxWidth = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
    return std::clamp(boxWidth - 200, 200, 800);
}

QLabel* reportLabelOf(const QMessageBox& box)
{
    return box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
}

// What the label keeps to itself of its width: its contents margins, which
// hold its frame and a style sheet's border and padding, its margin and its
// indent. A label with a frame and no indent set measures its text with the
// width of an 'x' for one.
int textInsetOf(const QLabel& label)
{
    const QMargins margins = label.contentsMargins();
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = QFontMetrics(label.font()).horizontalAdvance(QLatin1Char('x')) - 2 * label.margin();
    return margins.left() + margins.right() + 2 * label.margin() + std::max(indent, 0);
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
    // label's own minimum keeps every line whole. A pixel more than the
    // widest line absorbs the rounding of its measure.
    if (QLabel* label = reportLabelOf(*box)) {
        label->ensurePolished();
        const QFontMetricsF metrics(label->font());
        qreal widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        label->setMinimumWidth(std::min(static_cast<int>(std::ceil(widest)), reportLineWidth(parent)) + 1
                               + textInsetOf(*label));
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
    // Measured in the font of the very label that will show it, which a
    // theme may set apart from the box's.
    const std::unique_ptr<QMessageBox> box = makeReportBox(nullptr, QString(), QString());
    const QLabel* label = reportLabelOf(*box);
    const QFont font = label ? label->font() : box->font();
    const QFontMetrics metrics(font);
    const QFontMetricsF exactMetrics(font);
    const int lineWidth = reportLineWidth(parent);
    // The two halves around the ellipsis are measured apart, and together
    // can come out wider than asked for: ask for less until they fit.
    QString fitted = metrics.elidedText(piece, Qt::ElideMiddle, lineWidth);
    for (int width = lineWidth; exactMetrics.horizontalAdvance(fitted) > lineWidth && width > 0;) {
        width -= std::max(1, metrics.averageCharWidth());
        fitted = metrics.elidedText(piece, Qt::ElideMiddle, width);
    }
    return fitted;
}
