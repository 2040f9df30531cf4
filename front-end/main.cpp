// Vesk's program start: the application, the main window and its event loop.
#include "parser_nodes.hpp"
#include "vesk_form.hpp"

#include <QApplication>
#include <QMessageBox>

#include <exception>

int main(int argc, char** argv)
{
    Pelk::vesk::initBlankTable();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarnel"));
    try {
        TVeskForm VeskForm;
        VeskForm.show();
        QApplication::exec();
    } catch (const std::exception& failure) {
        QMessageBox::critical(nullptr, QStringLiteral("Quarnel"), QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Quarnel"), QString());
    }
    return 0;
}
