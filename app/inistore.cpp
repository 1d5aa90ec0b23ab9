#include "app/inistore.h"

#include "lists/linewriter.h"
#include "platform/apperror.h"
#include "platform/languagetable.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

QString nativeName(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

void IniStore::open(const QString &fileName)
{
    m_fileName = fileName;
    m_unwritableReason.clear();
    m_sections.clear();

    QFile file(fileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(TranslateText(QStringLiteral("Cannot open file \"%1\". %2"))
                           .arg(nativeName(fileName), file.errorString()),
                       ErrorKind::CannotOpen);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(TranslateText(QStringLiteral("Cannot read file \"%1\". %2"))
                           .arg(nativeName(fileName), file.errorString()),
                       ErrorKind::CannotOpen);

    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(data);
    if (decoder.hasError())
        throw IniDecodeError(TranslateText(QStringLiteral("Cannot read file \"%1\". It is not valid UTF-8"))
                                 .arg(nativeName(fileName)));

    Section *current = nullptr;
    for (QStringView raw : QStringTokenizer(text, u'\n')) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.sliced(1, line.size() - 2).trimmed().toString();
            current = findSection(name);
            if (!current) {
                m_sections.push_back({name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        if (!current)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            current->entries.push_back({line.toString(), QString(), false});
            continue;
        }
        const QString key = line.first(equals).trimmed().toString();
        const auto known
            = std::find_if(current->entries.begin(), current->entries.end(),
                           [&](const Entry &entry) { return entry.hasValue && sameName(entry.key, key); });
        if (known == current->entries.end())
            current->entries.push_back({key, line.sliced(equals + 1).trimmed().toString(), true});
    }
}

void IniStore::openUnwritable(const QString &fileName, const QString &reason)
{
    m_fileName = fileName;
    m_unwritableReason = reason;
    m_sections.clear();
}

QString IniStore::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    if (const Section *found = findSection(section)) {
        for (const Entry &entry : found->entries) {
            if (entry.hasValue && sameName(entry.key, key))
                return entry.value;
        }
    }
    return defaultValue;
}

void IniStore::writeString(const QString &section, const QString &key, const QString &value)
{
    Section *found = findSection(section);
    if (!found) {
        m_sections.push_back({section, {}});
        found = &m_sections.back();
    }
    for (Entry &entry : found->entries) {
        if (entry.hasValue && sameName(entry.key, key)) {
            entry.value = value;
            return;
        }
    }
    found->entries.push_back({key, value, true});
}

QByteArray IniStore::serialized() const
{
    QString text;
    for (const Section &section : m_sections) {
        text += u'[' + section.name + QStringLiteral("]\r\n");
        for (const Entry &entry : section.entries) {
            text += entry.key;
            if (entry.hasValue)
                text += u'=' + entry.value;
            text += QStringLiteral("\r\n");
        }
        text += QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

void IniStore::write() const
{
    if (!m_unwritableReason.isEmpty())
        throw AppError(TranslateText(QStringLiteral("Cannot write file \"%1\". %2"))
                           .arg(nativeName(m_fileName), m_unwritableReason),
                       ErrorKind::CannotWrite);
    // A temporary file renamed into place: a crash or a full disk half-way
    // leaves the old file, never a truncated one.
    writeBytesToFile(m_fileName, serialized());
}

IniStore::Section *IniStore::findSection(const QString &name)
{
    for (Section &section : m_sections) {
        if (sameName(section.name, name))
            return &section;
    }
    return nullptr;
}

const IniStore::Section *IniStore::findSection(const QString &name) const
{
    return const_cast<IniStore *>(this)->findSection(name);
}
