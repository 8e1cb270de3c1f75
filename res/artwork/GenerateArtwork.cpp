// Draws every picture of the meter panel, the toolbar strip and the program
// icon, and writes them as PNG files named by resource id into the folder
// given on the command line. Run at build time (QT_QPA_PLATFORM=offscreen).
#include "res/artwork/ArtworkPalette.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

// The sizes of the theme icons; res/CMakeLists.txt names the same.
constexpr int kThemeIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool Save(const QString& folder, const QString& name, const QImage& image, bool keepAlpha = false)
{
    const QString path = QDir(folder).filePath(name);
    const QImage out = image.convertToFormat(keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    if (!out.save(path, "PNG")) {
        std::fprintf(stderr, "GenerateArtwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool SavePicture(const QString& folder, int id, const QImage& image)
{
    return Save(folder, QStringLiteral("bmp%1.png").arg(id), image);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // text needs the font database
    if (argc != 2) {
        std::fprintf(stderr, "usage: GenerateArtwork <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "GenerateArtwork: cannot create %s\n", argv[1]);
        return 1;
    }

    using namespace Artwork;
    const QImage face = DrawFace(true);
    bool ok = SavePicture(folder, PictureId::FaceLit, face);
    ok = SavePicture(folder, PictureId::FaceUnlit, DrawFace(false)) && ok;

    for (int digit = 0; digit < 10; ++digit)
        ok = SavePicture(folder, PictureId::Digits[digit], DrawDigit(digit)) && ok;
    ok = SavePicture(folder, PictureId::BlankDigit, DrawDigit(-1)) && ok;
    ok = SavePicture(folder, PictureId::DecimalPoint, DrawDecimalPoint()) && ok;

    // Backgrounds are the lit face itself where the painter puts them.
    ok = SavePicture(folder, PictureId::ClockBackground, face.copy(41, 88, 110, 24)) && ok;
    ok = SavePicture(folder, PictureId::BarBackground, face.copy(44, 61, 151, 27)) && ok;
    ok = SavePicture(folder, PictureId::UpperStatusBackground, face.copy(45, 50, 104, 10)) && ok;
    ok = SavePicture(folder, PictureId::LowerStatusBackground, face.copy(42, 168, 112, 13)) && ok;
    ok = SavePicture(folder, PictureId::Eraser, face.copy(45, 40, 53, 10)) && ok;

    QImage segment(1, 7, QImage::Format_RGB32);
    segment.fill(kSegment);
    ok = SavePicture(folder, PictureId::BarSegment, segment) && ok;

    for (const KeyArt& key : kKeys)
        ok = SavePicture(folder, key.pictureId, DrawKey(face, key)) && ok;

    ok = Save(folder, QStringLiteral("bmp128_toolbar.png"), DrawToolbarStrip(), true) && ok;
    ok = Save(folder, QStringLiteral("icon128.png"), DrawApplicationIcon(), true) && ok;

    // The program's icon for the desktop, in the icon theme's folders.
    for (const int size : kThemeIconSizes) {
        const QString sized = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        ok = QDir(folder).mkpath(sized) &&
             Save(folder, sized + QStringLiteral("/vexalog.png"), DrawApplicationIcon(size), true) && ok;
    }
    return ok ? 0 : 1;
}
