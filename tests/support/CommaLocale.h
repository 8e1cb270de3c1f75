#pragma once

#include <QLocale>

#include <clocale>
#include <string>

// A locale whose decimal separator is a comma, as many users have: numbers
// in files and on the command line must keep their point under it. The
// set-up (scripts/install-deps.sh) generates it with Debian's locales package.
inline constexpr const char* kCommaLocale = "de_DE.UTF-8";

// Why a test that needs the locale is skipped.
inline constexpr const char* kNoCommaLocale =
    "the locale de_DE.UTF-8 is not installed; scripts/install-deps.sh generates it with Debian's locales package";

// Puts the process under kCommaLocale, for the C library and for Qt, as the
// program runs under a German user's settings; back to what was there when
// the object goes. Active() is false when the locale is not installed.
class CCommaLocale {
public:
    CCommaLocale() : m_previousQt(QLocale())
    {
        const char* previous = std::setlocale(LC_ALL, nullptr);
        m_previous = previous != nullptr ? previous : "C";
        m_active = std::setlocale(LC_ALL, kCommaLocale) != nullptr;
        if (m_active)
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~CCommaLocale()
    {
        std::setlocale(LC_ALL, m_previous.c_str());
        QLocale::setDefault(m_previousQt);
    }
    CCommaLocale(const CCommaLocale&) = delete;
    CCommaLocale& operator=(const CCommaLocale&) = delete;

    bool Active() const { return m_active; }

private:
    QLocale m_previousQt;
    std::string m_previous;
    bool m_active = false;
};
