#pragma once

#include "platform/apperror.h"

#include <QString>
#include <QStringList>

#include <vector>

// A file that was read but is not valid UTF-8.
class IniDecodeError : public AppError
{
public:
    explicit IniDecodeError(QString message)
        : AppError(std::move(message), ErrorKind::CannotDecode)
    {
    }
};

// The program's own INI store: sections and keys matched without regard to
// case, every section and key kept in first-stored order, written whole as
// UTF-8 with a byte-order mark and CR LF line ends.
class IniStore
{
public:
    IniStore() = default;

    // Reads fileName (a missing file gives an empty store). Throws AppError
    // naming the file when it cannot be read, IniDecodeError when it is not
    // valid UTF-8.
    void open(const QString &fileName);
    // An empty store for a file that could not be opened: write() refuses to
    // replace that file and says why.
    void openUnwritable(const QString &fileName, const QString &reason);
    bool isWritable() const { return m_unwritableReason.isEmpty(); }

    QString fileName() const { return m_fileName; }
    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    void writeString(const QString &section, const QString &key, const QString &value);

    // The file's bytes as write() stores them.
    QByteArray serialized() const;
    // Replaces the file whole (temporary file, then rename). Throws AppError
    // naming the file and the reason; the old file is then left as it was.
    void write() const;

private:
    struct Entry
    {
        QString key;
        QString value;
        bool hasValue = true; // false for a line without "=", kept as it was
    };
    struct Section
    {
        QString name;
        std::vector<Entry> entries;
    };
    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;

    QString m_fileName;
    QString m_unwritableReason;
    std::vector<Section> m_sections;
};
