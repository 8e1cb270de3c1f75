#include "app/CRecentFileList.h"

#include <QSettings>

namespace {
const char* const kSection = "Recent File List";
}

CRecentFileList::CRecentFileList(int size)
    : m_size(size > 0 ? size : 0)
{
}

void CRecentFileList::Load(QSettings& settings)
{
    m_files.clear();
    settings.beginGroup(QString::fromLatin1(kSection));
    for (int i = 1; i <= m_size; ++i) {
        const QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty() && !m_files.contains(path))
            m_files.append(path);
    }
    settings.endGroup();
}

void CRecentFileList::Save(QSettings& settings) const
{
    settings.beginGroup(QString::fromLatin1(kSection));
    for (int i = 1; i <= m_size; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_files.size())
            settings.setValue(key, m_files.at(i - 1));
        else
            settings.remove(key);
    }
    settings.endGroup();
}

void CRecentFileList::Add(const QString& path)
{
    if (path.isEmpty() || m_size == 0)
        return;
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > m_size)
        m_files.removeLast();
}
