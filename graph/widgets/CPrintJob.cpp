#include "graph/widgets/CPrintJob.h"

#include "common/DialogSeam.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kPointsPerInch = 72;

bool IsPdfName(const std::string& name)
{
    return QString::fromStdString(name).endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

// A PDF target must be a file we may write, or a new name in a folder we may
// write: printing is refused at once rather than failing at the end.
bool PdfTargetWritable(const QString& path)
{
    const QFileInfo file(path);
    if (file.exists())
        return file.isFile() && file.isWritable();
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() && folder.isWritable();
}

std::optional<QPageSize> PageSizeOfKey(const std::string& key)
{
    if (key.empty())
        return std::nullopt;
    const QString wanted = QString::fromStdString(key);
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        const auto pageId = QPageSize::PageSizeId(id);
        if (QPageSize::key(pageId) == wanted)
            return QPageSize(pageId);
    }
    return std::nullopt;
}

} // namespace

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t(number) * numerator;
    const std::int64_t half = std::llabs(denominator) / 2;
    // Round halves away from zero.
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(denominator);
    return int(negative ? -magnitude : magnitude);
}

TextOrigin PlaceText(const PointRect& r, int cx, int cy, int flags, int dpiX, int dpiY)
{
    const int left = MulDiv(r.left, dpiX, kPointsPerInch);
    const int width = MulDiv(r.right - r.left, dpiX, kPointsPerInch);
    const int top = MulDiv(r.top, dpiY, kPointsPerInch);
    const int height = MulDiv(r.bottom - r.top, dpiY, kPointsPerInch);
    TextOrigin origin{left, top};
    if (flags & kPrintCentreX)
        origin.x = std::max(width / 2 - cx / 2 + left, left);
    else if (flags & kPrintRight)
        origin.x = std::max(width + left - cx, left);
    if (flags & kPrintCentreY)
        origin.y = std::max(height / 2 - cy / 2 + top, top);
    return origin;
}

CPrintJob::CPrintJob(IDialogSeam& dialogs)
    : m_dialogs(dialogs)
{
}

CPrintJob::~CPrintJob()
{
    Release();
}

int CPrintJob::OpenPrinter(const std::optional<std::string>& name, int copies)
{
    // The error code tells of this print run only.
    m_errorCode = 0;
    std::optional<PrinterChoice> choice;
    if (name) {
        choice.emplace();
        (IsPdfName(*name) ? choice->outputFile : choice->printerName) = *name;
        choice->copies = copies;
    } else {
        choice = m_dialogs.ChoosePrinter(copies);
        if (!choice)
            return -1;
    }
    Release();
    if (!Attach(*choice)) {
        m_errorCode = kErrorNoPrinter;
        return -1;
    }
    m_copies = m_printer->copyCount();

    // Fonts are made for the printer they are printed on: a new printer
    // starts the table afresh with set 0, Arial 13 points.
    m_fonts = {};
    m_setCount = 0;
    PrintFontDescription body;
    body.height = -MulDiv(13, DpiY(), kPointsPerInch);
    AddFontSet(body);
    return 0;
}

bool CPrintJob::Attach(const PrinterChoice& choice)
{
    std::unique_ptr<QPrinter> printer;
    if (!choice.outputFile.empty() || choice.printerName.empty()) {
        const QString path = QString::fromStdString(choice.outputFile);
        if (path.isEmpty() || !PdfTargetWritable(path))
            return false;
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        printer->setResolution(kPdfResolution);
        printer->setFullPage(true);
        printer->setPageMargins(QMarginsF(0, 0, 0, 0));
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(choice.printerName));
        if (info.isNull())
            return false;
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    if (const auto size = PageSizeOfKey(choice.pageSize))
        printer->setPageSize(*size);
    printer->setPageOrientation(choice.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer->setCopyCount(std::max(1, choice.copies));
    printer->setDocName(QString::fromLatin1(kDocumentName));
    m_printer = std::move(printer);
    return true;
}

void CPrintJob::Release()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    m_printer.reset();
    m_pageStarted = false;
}

QFont CPrintJob::MakeFont(const PrintFontDescription& description) const
{
    QFont font(QString::fromStdString(description.face));
    font.setStyleHint(QFont::SansSerif);
    if (description.height != 0)
        font.setPixelSize(std::abs(description.height));
    font.setWeight(QFont::Weight(std::clamp(description.weight, 1, 1000)));
    font.setItalic(description.italic);
    font.setUnderline(description.underline);
    font.setStrikeOut(description.strikeOut);
    return font;
}

int CPrintJob::AddFontSet(const PrintFontDescription& description)
{
    if (m_setCount >= kMaxFontSets)
        return -1;
    PrintFontDescription style = description;
    auto& set = m_fonts[std::size_t(m_setCount)];
    set[0] = MakeFont(style);
    style.weight = 900;
    set[1] = MakeFont(style);
    style.weight = 400;
    style.height = -MulDiv(25, DpiY(), kPointsPerInch);
    set[2] = MakeFont(style);
    style.weight = 900;
    set[3] = MakeFont(style);
    ++m_setCount;
    return 0;
}

int CPrintJob::SelectFont(int set, int style)
{
    if (set < 0 || set >= m_setCount || style < 0 || style >= kStyles)
        return -1;
    if (m_painter && m_painter->isActive())
        m_painter->setFont(*m_fonts[std::size_t(set)][std::size_t(style)]);
    return 0;
}

QFont CPrintJob::Font(int set, int style) const
{
    if (set < 0 || set >= kMaxFontSets || style < 0 || style >= kStyles)
        return {};
    return m_fonts[std::size_t(set)][std::size_t(style)].value_or(QFont());
}

int CPrintJob::StartDocument()
{
    if (!m_printer)
        return -1;
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        m_painter.reset();
        m_errorCode = kErrorNoPrinter;
        return -1;
    }
    m_pageWidth = m_printer->width();
    m_pageHeight = m_printer->height();
    m_pageStarted = false;
    return 0;
}

int CPrintJob::BeginPage()
{
    // Qt starts the first page with the document; later pages are asked for.
    const bool ok = m_painter && m_painter->isActive() && (!m_pageStarted || m_printer->newPage());
    if (!ok) {
        m_errorCode = kErrorPageRefused;
        return -1;
    }
    m_pageStarted = true;
    m_topMarginPixels = PixelsY(m_margins.top);
    m_leftMarginPixels = PixelsX(m_margins.left);
    return 0;
}

int CPrintJob::FinishPage()
{
    return m_painter && m_painter->isActive() ? 1 : 0;
}

int CPrintJob::EndDocument()
{
    Release();
    return 0;
}

int CPrintJob::PrintText(const std::string& text, const PointRect& r, int flags)
{
    if (!m_painter || !m_painter->isActive())
        return 1;
    const QString shown = QString::fromStdString(text);
    const QFontMetrics metrics = m_painter->fontMetrics();
    const TextOrigin at = PlaceText(r, metrics.horizontalAdvance(shown), metrics.height(), flags, DpiX(), DpiY());
    // The text's cell hangs from its top-left corner; Qt draws on the
    // baseline, in the pen's colour: text is black whatever draws the lines.
    const QPen pen = m_painter->pen();
    m_painter->setPen(Qt::black);
    m_painter->drawText(QPoint(at.x, at.y + metrics.ascent()), shown);
    m_painter->setPen(pen);
    return 1;
}

int CPrintJob::DpiX() const
{
    return m_printer ? m_printer->logicalDpiX() : kPointsPerInch;
}

int CPrintJob::DpiY() const
{
    return m_printer ? m_printer->logicalDpiY() : kPointsPerInch;
}

int CPrintJob::PixelsX(int points) const
{
    return MulDiv(points, DpiX(), kPointsPerInch);
}

int CPrintJob::PixelsY(int points) const
{
    return MulDiv(points, DpiY(), kPointsPerInch);
}
