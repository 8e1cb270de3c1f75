#pragma once

#include <QImage>
#include <QRect>

#include <string>
#include <vector>

// Reading a printout back with poppler's tools.

// The words of a PDF page as poppler's pdftotext places them, in points from
// the page's top-left corner, so a test can check where a printout put its
// texts. Empty when the file cannot be read (the reason in error).
struct PdfWord {
    std::string text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
    double CentreX() const { return (xMin + xMax) / 2; }
    double CentreY() const { return (yMin + yMax) / 2; }
};

struct PdfPage {
    double width = 0;
    double height = 0;
    std::vector<PdfWord> words;
    std::string error;
    int pageCount = 0;

    // The first word with this text, or nullptr.
    const PdfWord* Find(const std::string& text) const;
};

PdfPage ReadPdfWords(const std::string& pdfPath);

// The first page rendered in grey at dpi pixels per inch by pdftoppm, only the
// region given in those pixels, without anti-aliasing so a line covers whole
// pixels; a null image when it cannot be rendered.
QImage RenderPdfRegion(const std::string& pdfPath, int dpi, const QRect& region);
