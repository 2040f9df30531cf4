#include "about_dialog.hpp"

#include "bitmap.hpp"
#include "version_record.hpp"

#include <QBitmap>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <memory>
#include <stdexcept>

TAboutDialog::TAboutDialog(QWidget* owner, const std::string& programPath, const std::string& title,
                           int bitmapResource, bool transparent)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(474, 287);

    NameLabel = new QLabel(this);
    NameLabel->setGeometry(16, 12, 442, 48);
    QFont nameFont(QStringLiteral("Tahoma"));
    nameFont.setPixelSize(32);
    NameLabel->setFont(nameFont);

    Image1 = new QLabel(this);
    Image1->setGeometry(16, 72, 200, 200);
    Image1->setAlignment(Qt::AlignCenter);

    VersionLabel = new QLabel(this);
    VersionLabel->setGeometry(240, 100, 218, 24);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(368, 240, 90, 30);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    NameLabel->setText(QString::fromStdString(title));
    VersionLabel->setText(QStringLiteral("Build: ") + QString::fromStdString(GetVersionLabel(programPath)));
    if (bitmapResource > 0)
        loadPicture(bitmapResource, transparent);
}

TAboutDialog::~TAboutDialog() = default;

void TAboutDialog::loadPicture(int bitmapResource, bool transparent)
{
    // Until it is released, a failure anywhere below frees the bitmap.
    Pelk::util::Bitmap bitmap;
    if (!bitmap.get()->load(QStringLiteral(":/pictures/%1").arg(bitmapResource)))
        throw std::runtime_error("Bitmap resource " + std::to_string(bitmapResource) + " not found");
    const std::unique_ptr<QImage> released(bitmap.release());
    QPixmap picture = QPixmap::fromImage(*released);
    if (transparent) {
        // The bottom-left pixel's colour shows the background through.
        const QColor key = released->pixelColor(0, released->height() - 1);
        picture.setMask(picture.createMaskFromColor(key, Qt::MaskInColor));
    }
    Image1->setPixmap(picture);
}
