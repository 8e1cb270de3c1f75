#pragma once

#include <QTextBrowser>
#include <QWidget>

class QToolButton;

// Reads the help pages compiled into the program (":/help/"). Topics keep the
// names of the compiled help file ("Introduction.htm"); a page stored as
// ".html" answers to its ".htm" name too.
class CHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit CHelpBrowser(QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

    // The resource path of a topic, or empty when the program has no such page.
    static QString TopicPath(const QString& topic);
};

// The help window: a separate window with the help pages, opened at a topic.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows the window at topic (for example "Introduction.htm").
    void ShowTopic(const QString& topic);

    CHelpBrowser* Browser() const { return m_browser; }
    // The page shown, as a resource path (":/help/Introduction.html").
    QString CurrentPage() const;

    static constexpr const char* kEntryTopic = "Introduction.htm";

private:
    CHelpBrowser* m_browser = nullptr;
    QToolButton* m_back = nullptr;
    QToolButton* m_forward = nullptr;
    QToolButton* m_contents = nullptr;
};
