#include "app/settings.h"

#include "about/versioninfo.h"
#include "platform/apperror.h"
#include "platform/languagetable.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>

QString SettingsFolder;
IniStore SettingsIni;

bool IsFolderWritable(const QString &folder)
{
    // Create-new only: a "chk.tmp" left behind makes the test fail.
    QFile probe(QDir(folder).filePath(QStringLiteral("chk.tmp")));
    if (!probe.open(QIODevice::ReadWrite | QIODevice::NewOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

QString resolveSettingsFolder(const QString &executableFolder, const QString &configFolder)
{
    QString folder = QDir::cleanPath(executableFolder);
    if (IsFolderWritable(folder))
        return folder.endsWith(u'/') ? folder : folder + u'/';
    const TEXEVersionData version = GetEXEVersionData();
    const QString company = QDir::cleanPath(configFolder) + u'/' + version.CompanyName;
    const QString product = company + u'/' + version.ProductName;
    // Failures are not reported: the store then starts empty and the first
    // toggle says why it cannot be written.
    QDir().mkdir(configFolder);
    QDir().mkdir(company);
    QDir().mkdir(product);
    return product + u'/';
}

QString userConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString openSettingsStore(const QString &folder)
{
    const QString fileName = folder + QStringLiteral("settings.ini");
    QString problem;
    try {
        SettingsIni.open(fileName);
        return {};
    } catch (const IniDecodeError &error) {
        // Not UTF-8: the defaults apply, and the file is kept aside, so that
        // nothing the user wrote in it is lost.
        const QByteArray aside = QFile::encodeName(fileName + QStringLiteral(".broken"));
        const bool moved = std::rename(QFile::encodeName(fileName).constData(), aside.constData()) == 0;
        const int reason = errno;
        if (moved) {
            try {
                SettingsIni.open(fileName);
                return {};
            } catch (const AppError &again) {
                problem = again.message();
            }
        } else {
            problem = TranslateText(QStringLiteral("%1. It could not be moved aside: %2"))
                          .arg(error.message(), QString::fromLocal8Bit(std::strerror(reason)));
        }
    } catch (const AppError &error) {
        // Unreadable to this user, perhaps only for now: left alone.
        problem = error.message();
    }
    SettingsIni.openUnwritable(
        fileName,
        TranslateText(QStringLiteral("It could not be read at start-up (%1), so it is left as it is."))
            .arg(problem));
    // Translated texts stay one literal on one line, where the check of the languages finds them.
    // clang-format off
    return TranslateText(QStringLiteral("%1. It is left as it is: the options start from their defaults, and changing them does not save them."))
        .arg(problem);
    // clang-format on
}

KeyChoice readKeyChoice(const IniStore &store)
{
    const QString section = QString::fromLatin1(SettingsSection);
    auto read = [&](const char *key) { return store.readString(section, QString::fromLatin1(key), {}); };
    KeyChoice choice;
    choice.header = read(KeyKeyHeader) == QStringLiteral("ON");
    const QString mode = read(KeyCompareBy);
    if (mode == QStringLiteral("FIELD")) {
        bool number = false;
        const int field = read(KeyKeyField).toInt(&number);
        const std::optional<QChar> delimiter = delimiterFromName(read(KeyKeyDelimiter));
        if (!number || field < 1 || !delimiter)
            return choice;
        choice.mode = LineKey::Mode::Field;
        choice.field = field;
        choice.delimiter = *delimiter;
        choice.quoted = read(KeyKeyQuoted) == QStringLiteral("ON");
    } else if (mode == QStringLiteral("PATTERN")) {
        choice.pattern = read(KeyKeyPattern);
        try {
            LineKey::pattern(choice.pattern);
        } catch (const PatternError &) {
            choice.pattern.clear();
            return choice;
        }
        choice.mode = LineKey::Mode::Pattern;
    }
    return choice;
}

void writeKeyChoice(IniStore &store, const KeyChoice &choice)
{
    const QString section = QString::fromLatin1(SettingsSection);
    auto write = [&](const char *key, const QString &value) {
        store.writeString(section, QString::fromLatin1(key), value);
    };
    auto onOff = [](bool on) { return on ? QStringLiteral("ON") : QStringLiteral("OFF"); };
    switch (choice.mode) {
    case LineKey::Mode::WholeLine:
        write(KeyCompareBy, QStringLiteral("LINE"));
        break;
    case LineKey::Mode::Field:
        write(KeyCompareBy, QStringLiteral("FIELD"));
        write(KeyKeyField, QString::number(choice.field));
        write(KeyKeyDelimiter,
              delimiterName(choice.delimiter).startsWith(u'"') ? QString(choice.delimiter)
                                                               : delimiterName(choice.delimiter).toUpper());
        write(KeyKeyQuoted, onOff(choice.quoted));
        break;
    case LineKey::Mode::Pattern:
        write(KeyCompareBy, QStringLiteral("PATTERN"));
        write(KeyKeyPattern, choice.pattern);
        break;
    }
    write(KeyKeyHeader, onOff(choice.header));
}
