#pragma once

#include <QString>

// The update check's own per-user store, apart from settings.ini: the date
// and count of the day's checks and the user's switch for popups, in the
// section "Settings". Every value is text; a missing one or a number that
// does not parse reads as its default. Each access opens the file afresh on
// the calling thread, so the worker and the menu toggle can both use it.
class UpdateSettingsStore
{
public:
    // Opens the store in file, or in the native per-user location when empty;
    // throws AppError when it exists but cannot be read.
    void open(const QString &file = QString());
    bool isOpen() const { return !m_file.isEmpty(); }
    QString fileName() const { return m_file; }

    QString lastUpdateCheck() const;
    int lastUpdateCheckCount() const;
    int showUpdate() const;

    // Write and flush the value; throw AppError when it could not be stored.
    void writeLastUpdateCheck(const QString &date, int count);
    void writeShowUpdate(int value);

    // The native per-user file for the maker's and product's names.
    static QString defaultFileName();

private:
    QString readText(const char *key) const;
    int readNumber(const char *key, int fallback) const;

    QString m_file;
};

// The update check's store: opened by the check, then kept for the run.
extern UpdateSettingsStore UpdateStore;

inline constexpr char KeyLastUpdateCheck[] = "LastUpdateCheck";
inline constexpr char KeyLastUpdateCheckCount[] = "LastUpdateCheckCount";
inline constexpr char KeyShowUpdate[] = "ShowUpdate";
