// Draws Vesk's own pictures at build time: the left panel's background and
// the about box's bitmap 201, both stylised layout geometry.
#include <QColor>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

// A few overlapping "layers" of rectangles and wires, like a cell seen in a
// layout viewer.
void drawLayout(QPainter& painter, int width, int height, int alpha)
{
    const QColor layers[] = {QColor(70, 120, 200, alpha), QColor(200, 80, 80, alpha), QColor(60, 160, 90, alpha),
                             QColor(210, 170, 40, alpha)};
    for (int row = 0; row * 36 < height; ++row) {
        const int y = 12 + row * 36;
        painter.fillRect(QRect(0, y, width, 6), layers[0]);
        for (int col = 0; col * 30 < width; ++col) {
            const int x = 10 + col * 30 + (row % 2) * 12;
            painter.fillRect(QRect(x, y - 10, 8, 26), layers[1 + (row + col) % 3]);
            if ((row + col) % 4 == 0)
                painter.fillRect(QRect(x - 2, y + 1, 12, 4), layers[3]);
        }
    }
}

bool save(const QImage& image, const char* path, const char* format)
{
    if (image.save(QString::fromLocal8Bit(path), format))
        return true;
    std::fprintf(stderr, "draw_pictures: cannot write %s\n", path);
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: draw_pictures <panel.png> <bitmap201.bmp>\n");
        return 2;
    }

    QImage panel(215, 660, QImage::Format_RGB32);
    panel.fill(QColor(236, 240, 246));
    {
        QPainter painter(&panel);
        drawLayout(painter, panel.width(), panel.height(), 28);
    }

    // 32-bit pixels are written as an uncompressed 24-bit BMP.
    QImage bitmap(169, 177, QImage::Format_RGB32);
    bitmap.fill(QColor(250, 250, 250));
    {
        QPainter painter(&bitmap);
        drawLayout(painter, bitmap.width(), bitmap.height(), 160);
        painter.setPen(QPen(QColor(30, 50, 90), 3));
        painter.drawRect(QRect(1, 1, bitmap.width() - 3, bitmap.height() - 3));
    }
    return save(panel, argv[1], "PNG") && save(bitmap, argv[2], "BMP") ? 0 : 1;
}
