#pragma once

#include <QFont>

#include <array>
#include <memory>
#include <optional>
#include <string>

class IDialogSeam;
class QPainter;
class QPrinter;
struct PrinterChoice;

// A length in points (1/72 inch) on a device of the given resolution, rounded
// to the nearest pixel, halves away from zero; -1 when denominator is 0.
int MulDiv(int number, int numerator, int denominator);

// A rectangle in points, as the print routines lay out a page.
struct PointRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A font as a print routine asks for it. height is in device pixels; a
// negative height asks for that character height, as the font sets use it.
struct PrintFontDescription {
    std::string face = "Arial";
    int height = 0;
    int weight = 400; // 100 (thin) .. 900 (black)
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// Where PrintText puts a text inside its rectangle.
enum PrintTextFlags : int {
    kPrintLeft = 0,
    kPrintCentreX = 1,
    kPrintCentreY = 2,
    kPrintRight = 4,
};

// The top-left corner of a text of size cx × cy device pixels placed by the
// flags inside r (points), on a device of dpiX × dpiY pixels per inch. A text
// larger than the rectangle starts at its left or top edge.
struct TextOrigin {
    int x = 0;
    int y = 0;
};
TextOrigin PlaceText(const PointRect& r, int cx, int cy, int flags, int dpiX, int dpiY);

// One printer job of a graph control: the printer chosen in the print dialog
// or by name, the document and its page, a table of Arial font sets, the page
// margins in points and text placed inside rectangles given in points. The
// print routines draw their lines on Painter() between BeginPage and
// FinishPage, in device pixels.
//
// A name ending in ".pdf" is a PDF file rather than a printer: it is written
// at 600 pixels per inch with no margins of its own, so the page keeps the
// layout's margins exactly.
class CPrintJob {
public:
    static constexpr int kMaxFontSets = 10;
    static constexpr int kStyles = 4;
    static constexpr int kErrorPageRefused = 7;
    static constexpr int kErrorNoPrinter = 8;
    static constexpr int kPdfResolution = 600;
    static constexpr const char* kDocumentName = "Vexalog";

    explicit CPrintJob(IDialogSeam& dialogs);
    ~CPrintJob();
    CPrintJob(const CPrintJob&) = delete;
    CPrintJob& operator=(const CPrintJob&) = delete;

    // Clears the error code of an earlier run.
    // With no name: the print dialog; Cancel gives -1 and attaches nothing.
    // With a name: that printer or PDF file, or error code 8 and -1. Then
    // font set 0 (Arial 13 points) is added and made the current set.
    int OpenPrinter(const std::optional<std::string>& name, int copies);
    // The four styles of the next set: as given, black, 25 points, 25 points
    // black. -1 once ten sets exist.
    int AddFontSet(const PrintFontDescription& description);
    int SelectFont(int set, int style);
    // Starts the document named after the program. -1 when the printer or
    // file cannot be written (error code 8).
    int StartDocument();
    // Starts a page and converts the margins to pixels; -1 and error code 7
    // when the device refuses a new page.
    int BeginPage();
    int FinishPage();
    int EndDocument();
    int PrintText(const std::string& text, const PointRect& r, int flags);

    // The printer context: valid between StartDocument and EndDocument.
    QPainter* Painter() const { return m_painter.get(); }
    bool Attached() const { return m_printer != nullptr; }
    int PixelsX(int points) const;
    int PixelsY(int points) const;
    int DpiX() const;
    int DpiY() const;

    const PointRect& Margins() const { return m_margins; }
    int LeftMarginPixels() const { return m_leftMarginPixels; }
    int TopMarginPixels() const { return m_topMarginPixels; }
    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }
    int ErrorCode() const { return m_errorCode; }
    int Copies() const { return m_copies; }
    int FontSetCount() const { return m_setCount; }
    // The font of a set and style; the default font for one not yet added.
    QFont Font(int set, int style) const;

private:
    bool Attach(const PrinterChoice& choice);
    QFont MakeFont(const PrintFontDescription& description) const;
    void Release();

    IDialogSeam& m_dialogs;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    bool m_pageStarted = false;

    PointRect m_margins{35, 80, 0, 0};
    std::array<std::array<std::optional<QFont>, kStyles>, kMaxFontSets> m_fonts;
    int m_setCount = 0;
    int m_copies = 1;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    int m_topMarginPixels = 0;
    int m_leftMarginPixels = 0;
    int m_errorCode = 0;
};
