#include "tests/support/PdfPages.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QString>

const PdfWord* PdfPage::Find(const std::string& text) const
{
    for (const PdfWord& word : words) {
        if (word.text == text)
            return &word;
    }
    return nullptr;
}

PdfPage ReadPdfWords(const std::string& pdfPath)
{
    PdfPage page;
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QString::fromStdString(pdfPath), "-"});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0) {
        page.error = "pdftotext failed: " + pdftotext.readAllStandardError().toStdString() +
                     pdftotext.errorString().toStdString();
        return page;
    }
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression pageTag(
        QStringLiteral(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re"));
    static const QRegularExpression wordTag(QStringLiteral(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re"));
    for (auto it = pageTag.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        if (page.pageCount++ == 0) {
            page.width = match.captured(1).toDouble();
            page.height = match.captured(2).toDouble();
        }
    }
    for (auto it = wordTag.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        QString text = match.captured(5);
        text.replace(QLatin1String("&amp;"), QLatin1String("&"))
            .replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"));
        page.words.push_back({text.toStdString(), match.captured(1).toDouble(), match.captured(2).toDouble(),
                              match.captured(3).toDouble(), match.captured(4).toDouble()});
    }
    return page;
}

QImage RenderPdfRegion(const std::string& pdfPath, int dpi, const QRect& region)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString stem = dir.filePath(QStringLiteral("page"));
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-gray"), QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
                    QStringLiteral("no"), QStringLiteral("-singlefile"), QStringLiteral("-f"), QStringLiteral("1"),
                    QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-x"), QString::number(region.x()),
                    QStringLiteral("-y"), QString::number(region.y()), QStringLiteral("-W"),
                    QString::number(region.width()), QStringLiteral("-H"), QString::number(region.height()),
                    QString::fromStdString(pdfPath), stem});
    if (!pdftoppm.waitForFinished(60000) || pdftoppm.exitCode() != 0)
        return {};
    return QImage(stem + QStringLiteral(".pgm"));
}
