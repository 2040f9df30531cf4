// The about box: product title, the build number read from the program file,
// and one of the program's pictures.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;

class TAboutDialog : public QDialog {
    Q_OBJECT

public:
    // Throws std::runtime_error when bitmapResource names no picture.
    TAboutDialog(QWidget* owner, const std::string& programPath, const std::string& title, int bitmapResource,
                 bool transparent);
    ~TAboutDialog() override;

    QLabel* NameLabel;
    QLabel* Image1;
    QLabel* VersionLabel;
    QPushButton* BitBtn1;

private:
    void loadPicture(int bitmapResource, bool transparent);
};
