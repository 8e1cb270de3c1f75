#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The framework's most-recently-used file list, kept in the profile settings
// ("Recent File List", File1..FileN). The program shows it in no menu.
class CRecentFileList {
public:
    explicit CRecentFileList(int size);

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
    // Puts path first, dropping an older entry of the same path and the
    // oldest entry beyond the list's size.
    void Add(const QString& path);

    int Size() const { return m_size; }
    const QStringList& Files() const { return m_files; }

private:
    int m_size;
    QStringList m_files;
};
