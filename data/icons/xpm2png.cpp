// Build tool: converts one of the icon's XPM images into the PNG that the icon theme installs.
// Usage: xpm2png <in.xpm> <out.png>. Exit status 1 when the image cannot be read or written.

#include <QImage>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: xpm2png <in.xpm> <out.png>\n";
        return 1;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]), "XPM");
    if (image.isNull()) {
        err << "xpm2png: cannot read " << argv[1] << '\n';
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        err << "xpm2png: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
