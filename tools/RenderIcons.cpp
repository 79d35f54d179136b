// Renders the window's SVG icons to PNG files, for builds whose Qt has no SVG
// support (the static Qt of the Windows build). Runs on the build machine,
// with its own Qt SVG:
//
//   render-icons png OUTDIR SIZE FILE.svg...   NAME.png at SIZE pixels and
//                                              NAME@2x.png at twice that
//   render-icons ico OUT.ico FILE.svg          a Windows icon holding the
//                                              sizes Explorer asks for
//
// An .ico file is a directory of images; since Windows Vista each image may
// be a whole PNG file, which keeps this writer short and the large sizes small.
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>

namespace {

QImage Render(QSvgRenderer& Svg, int Size)
{
    QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    Svg.render(&painter);
    return image;
}

bool Fail(const QString& Text)
{
    std::fprintf(stderr, "render-icons: %s\n", qPrintable(Text));
    return false;
}

bool WritePngs(const QString& OutDir, int Size, const QStringList& Files)
{
    QDir().mkpath(OutDir);
    for (const QString& file : Files) {
        QSvgRenderer svg(file);
        if (!svg.isValid())
            return Fail("cannot read " + file);
        const QString base = OutDir + '/' + QFileInfo(file).completeBaseName();
        if (!Render(svg, Size).save(base + ".png") || !Render(svg, 2 * Size).save(base + "@2x.png"))
            return Fail("cannot write " + base + ".png");
    }
    return true;
}

void Append16(QByteArray& Bytes, quint16 Value)
{
    Value = qToLittleEndian(Value);
    Bytes.append(reinterpret_cast<const char*>(&Value), 2);
}

void Append32(QByteArray& Bytes, quint32 Value)
{
    Value = qToLittleEndian(Value);
    Bytes.append(reinterpret_cast<const char*>(&Value), 4);
}

bool WriteIco(const QString& Out, const QString& File)
{
    QSvgRenderer svg(File);
    if (!svg.isValid())
        return Fail("cannot read " + File);
    const int sizes[] = {16, 24, 32, 48, 64, 256};
    const int count = int(std::size(sizes));
    QByteArray directory, images;
    Append16(directory, 0); // reserved
    Append16(directory, 1); // an icon, not a cursor
    Append16(directory, quint16(count));
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        Render(svg, size).save(&buffer, "PNG");
        directory.append(char(size % 256)); // 0 stands for 256
        directory.append(char(size % 256));
        directory.append(char(0)); // no palette
        directory.append(char(0)); // reserved
        Append16(directory, 1);    // colour planes
        Append16(directory, 32);   // bits per pixel
        Append32(directory, quint32(png.size()));
        Append32(directory, quint32(6 + 16 * count + images.size()));
        images.append(png);
    }
    QFile out(Out);
    if (!out.open(QIODevice::WriteOnly) || out.write(directory + images) != directory.size() + images.size())
        return Fail("cannot write " + Out);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    bool done = false;
    if (arguments.size() >= 4 && arguments[0] == "png")
        done = WritePngs(arguments[1], arguments[2].toInt(), arguments.mid(3));
    else if (arguments.size() == 3 && arguments[0] == "ico")
        done = WriteIco(arguments[1], arguments[2]);
    else
        Fail("usage: render-icons png OUTDIR SIZE FILE.svg... | render-icons ico OUT.ico FILE.svg");
    return done ? 0 : 1;
}
