// The helpers that read the update service's replies and build requests:
// ExtractTag, replyLines, encodeFormFields (decoded back), the machine
// identifier file and the one-line system description.

#include "fuzz/fuzzsupport.h"
#include "online/request.h"
#include "platform/apperror.h"

#include <QRegularExpression>

namespace {

QString referenceTag(const QString &line, const QString &tag)
{
    if (tag.isEmpty())
        return QString();
    const QString open = u'<' + tag.toLower() + u'>';
    const QString close = QStringLiteral("</") + tag.toLower() + u'>';
    if (line.size() >= open.size() + close.size() && line.startsWith(open) && line.endsWith(close))
        return line.sliced(open.size(), line.size() - open.size() - close.size());
    return QString();
}

QString percentDecoded(QByteArray part)
{
    part.replace('+', ' ');
    return QString::fromUtf8(QByteArray::fromPercentEncoding(part));
}

void checkForm(const QStringList &fields)
{
    const QByteArray body = encodeFormFields(fields);
    for (char c : body) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || QByteArrayView("-._*+%&=").contains(c);
        fuzz::check(plain, "a byte in the form body that should be encoded", QString::fromLatin1(body));
    }
    const QList<QByteArray> pairs = body.isEmpty() ? QList<QByteArray>() : body.split('&');
    fuzz::check(pairs.size() == fields.size(), "the form has the wrong number of fields",
                QString::fromLatin1(body));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const qsizetype equals = pairs[i].indexOf('=');
        fuzz::check(equals >= 0, "a form field without \"=\"", QString::fromLatin1(pairs[i]));
        const QString &field = fields[i];
        const qsizetype cut = field.indexOf(u'=');
        const QString name = cut < 0 ? field : field.first(cut);
        const QString value = cut < 0 ? QString() : field.sliced(cut + 1);
        fuzz::check(percentDecoded(pairs[i].first(equals)) == name, "a form name does not decode back", name);
        fuzz::check(percentDecoded(pairs[i].sliced(equals + 1)) == value, "a form value does not decode back",
                    value);
    }
}

void checkMachineId(const QByteArray &bytes)
{
    const QString path = fuzz::writeScratch(QStringLiteral("machine-id"), bytes);
    QString id;
    try {
        id = readMachineIdFrom(path);
    } catch (const AppError &error) {
        fuzz::check(error.message().contains(path), "the error does not name the file", error.message());
        return;
    }
    if (id.isEmpty())
        return;
    const QByteArray hex = QByteArray::fromHex(bytes.left(64).trimmed());
    fuzz::check(hex.size() == 16, "an identifier from a file that holds none",
                QString::fromLatin1(bytes.toHex()));
    static const QRegularExpression uuid(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"));
    fuzz::check(uuid.match(id).hasMatch(), "the identifier is not a version 4 UUID", id);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input input(data, size);
    const std::uint8_t flags = input.byte();
    const QByteArray bytes = input.rest();
    const QString text = QString::fromUtf8(bytes);

    // The tag is the text up to the first blank, the line the rest.
    const qsizetype blank = text.indexOf(u' ');
    const QString tag = blank < 0 ? QString() : text.first(blank);
    const QString line = blank < 0 ? text : text.sliced(blank + 1);
    fuzz::check(ExtractTag(line, tag) == referenceTag(line, tag), "ExtractTag differs", line);

    const QStringList lines = replyLines(text);
    fuzz::check(lines == fuzz::referenceLines(text, false), "replyLines differs",
                fuzz::describe(lines, fuzz::referenceLines(text, false)));

    checkForm(text.isEmpty() ? QStringList() : text.split(u'&'));

    if (flags & 1)
        checkMachineId(bytes);

    const QStringList parts = text.split(u'\t');
    const QString description
        = formatOsDescription(parts.value(0), parts.value(1), parts.value(2), parts.value(3));
    for (QChar c : description)
        fuzz::check(c.unicode() >= 32, "the system description is not one line", description);
    QString product = parts.value(0);
    for (QChar &c : product) {
        if (c.unicode() < 32)
            c = u' ';
    }
    fuzz::check(description.startsWith(product.isEmpty() ? QStringLiteral("Unknown system") : product),
                "the system description lost its name", description);
    return 0;
}
