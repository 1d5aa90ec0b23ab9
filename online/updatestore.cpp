#include "online/updatestore.h"

#include "platform/apperror.h"
#include "platform/buildinfo.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

UpdateSettingsStore UpdateStore;

namespace {

QString keyOf(const char *key)
{
    return QStringLiteral("Settings/") + QLatin1StringView(key);
}

QString statusText(QSettings::Status status)
{
    return status == QSettings::FormatError ? QStringLiteral("its contents are not valid")
                                            : QStringLiteral("it cannot be read or written");
}

} // namespace

QString UpdateSettingsStore::defaultFileName()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral(PAIRSIGHT_COMPANY_NAME),
                     QStringLiteral(PAIRSIGHT_PRODUCT_NAME))
        .fileName();
}

void UpdateSettingsStore::open(const QString &file)
{
    const QString path = file.isEmpty() ? defaultFileName() : file;
    m_file.clear();
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        throw AppError(QStringLiteral("The update settings \"%1\" cannot be read").arg(path),
                       ErrorKind::CannotOpen);
    if (!info.exists() && !QDir().mkpath(info.absolutePath()))
        throw AppError(QStringLiteral("The folder of the update settings \"%1\" cannot be created").arg(path),
                       ErrorKind::CannotWrite);
    const QSettings settings(path, QSettings::NativeFormat);
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("The update settings \"%1\" cannot be opened: %2")
                           .arg(path, statusText(settings.status())),
                       settings.status() == QSettings::FormatError ? ErrorKind::CannotDecode
                                                                   : ErrorKind::CannotOpen);
    m_file = path;
}

QString UpdateSettingsStore::readText(const char *key) const
{
    if (m_file.isEmpty())
        return QString();
    const QSettings settings(m_file, QSettings::NativeFormat);
    return settings.value(keyOf(key)).toString();
}

int UpdateSettingsStore::readNumber(const char *key, int fallback) const
{
    bool ok = false;
    const int value = readText(key).trimmed().toInt(&ok);
    return ok ? value : fallback;
}

QString UpdateSettingsStore::lastUpdateCheck() const
{
    return readText(KeyLastUpdateCheck);
}

int UpdateSettingsStore::lastUpdateCheckCount() const
{
    return readNumber(KeyLastUpdateCheckCount, 0);
}

int UpdateSettingsStore::showUpdate() const
{
    return readNumber(KeyShowUpdate, 1);
}

void UpdateSettingsStore::writeLastUpdateCheck(const QString &date, int count)
{
    if (m_file.isEmpty())
        throw AppError(QStringLiteral("The update settings are not open"));
    QSettings settings(m_file, QSettings::NativeFormat);
    settings.setValue(keyOf(KeyLastUpdateCheck), date);
    settings.setValue(keyOf(KeyLastUpdateCheckCount), QString::number(count));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("The update settings \"%1\" cannot be written: %2")
                           .arg(m_file, statusText(settings.status())),
                       ErrorKind::CannotWrite);
}

void UpdateSettingsStore::writeShowUpdate(int value)
{
    if (m_file.isEmpty())
        open();
    QSettings settings(m_file, QSettings::NativeFormat);
    settings.setValue(keyOf(KeyShowUpdate), QString::number(value));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("The update settings \"%1\" cannot be written: %2")
                           .arg(m_file, statusText(settings.status())),
                       ErrorKind::CannotWrite);
}
