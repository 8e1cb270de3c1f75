#include "app/CHelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kHelpRoot = ":/help/";

QString MissingPage(const QString& topic)
{
    return QStringLiteral("<html><body><h1>Help</h1><p>The help topic \"%1\" could not be found.</p>"
                          "</body></html>")
        .arg(topic.toHtmlEscaped());
}

} // namespace

CHelpBrowser::CHelpBrowser(QWidget* parent)
    : QTextBrowser(parent)
{
    setOpenExternalLinks(false);
    setOpenLinks(true);
    setSearchPaths({QString::fromLatin1(kHelpRoot)});
}

QString CHelpBrowser::TopicPath(const QString& topic)
{
    QString name = topic;
    name.remove(QRegularExpression(QStringLiteral("^(qrc)?:?/?(help/)?")));
    const qsizetype hash = name.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        name.truncate(hash);
    if (name.isEmpty() || name.contains(QLatin1String("..")))
        return {};
    const QString path = QString::fromLatin1(kHelpRoot) + name;
    if (QFile::exists(path))
        return path;
    if (name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) && QFile::exists(path + QLatin1Char('l')))
        return path + QLatin1Char('l');
    return {};
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name)
{
    const QString path = TopicPath(name.path());
    if (path.isEmpty()) {
        if (type == QTextDocument::HtmlResource)
            return MissingPage(name.fileName());
        return QTextBrowser::loadResource(type, name);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(bytes);
    return bytes;
}

CHelpWindow::CHelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("LX47 Help"));
    resize(640, 480);

    m_back = new QToolButton(this);
    m_back->setText(QStringLiteral("Back"));
    m_forward = new QToolButton(this);
    m_forward->setText(QStringLiteral("Forward"));
    m_contents = new QToolButton(this);
    m_contents->setText(QStringLiteral("Contents"));
    m_browser = new CHelpBrowser(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_contents);
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_contents, &QToolButton::clicked, this,
            [this] { ShowTopic(QString::fromLatin1(kEntryTopic)); });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
}

void CHelpWindow::ShowTopic(const QString& topic)
{
    m_browser->setSource(QUrl(topic));
    show();
    raise();
    activateWindow();
}

QString CHelpWindow::CurrentPage() const
{
    return CHelpBrowser::TopicPath(m_browser->source().path());
}
