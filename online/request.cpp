#include "online/request.h"

#include "lists/linesplitter.h"
#include "online/servicehost.h"
#include "platform/apperror.h"
#include "platform/buildinfo.h"

#include <QFile>
#include <QMessageAuthenticationCode>
#include <QSysInfo>

#include <curl/curl.h>

#include <memory>
#include <mutex>

const QString ServiceHost = QStringLiteral(PAIRSIGHT_SERVICE_HOST);

namespace {

struct ServiceOverride
{
    std::mutex mutex;
    QString host;
    QString pemFile;
};

ServiceOverride &serviceOverride()
{
    static ServiceOverride instance;
    return instance;
}

QString overriddenHost()
{
    ServiceOverride &o = serviceOverride();
    const std::lock_guard lock(o.mutex);
    return o.host;
}

QString trustedPemFile()
{
    ServiceOverride &o = serviceOverride();
    const std::lock_guard lock(o.mutex);
    return o.pemFile;
}

// Our own application id: the identifier sent is HMAC-SHA256(machine id, this),
// as systemd derives application-specific ids.
constexpr char MachineIdApplicationKey[] = "\x5b\x3e\x91\x0c\x7a\x44\x4f\x2d\xa8\x61\xd2\x17\x9e\x05\xc3\x6b";

void appendPercentEncoded(QByteArray &out, const QString &text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
            || byte == '-' || byte == '.' || byte == '_' || byte == '*') {
            out += c;
        } else if (byte == ' ') {
            out += '+';
        } else {
            out += '%';
            out += Hex[byte >> 4];
            out += Hex[byte & 0x0F];
        }
    }
}

void ensureCurlInitialised()
{
    // libcurl's global set-up is not safe to race with; once is enough.
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK)
        throw AppError(QStringLiteral("The network library could not be initialised: ")
                       + QString::fromUtf8(curl_easy_strerror(initialised)));
}

struct CurlDeleter
{
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

struct ReplyBuffer
{
    QByteArray body;
    bool tooLarge = false;
};

size_t collectReply(char *data, size_t size, size_t count, void *userData)
{
    auto *buffer = static_cast<ReplyBuffer *>(userData);
    const size_t bytes = size * count;
    if (qsizetype(bytes) > MaxReplyBytes - buffer->body.size()) {
        buffer->tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    buffer->body.append(data, qsizetype(bytes));
    return bytes;
}

[[noreturn]] void fail(const QString &url, const QString &reason)
{
    throw AppError(QStringLiteral("The request to %1 failed: %2").arg(url, reason));
}

} // namespace

QString serviceEndpoint(const QString &path)
{
    const QString host = overriddenHost();
    return (host.isEmpty() ? ServiceHost : host) + path;
}

void overrideServiceHost(const QString &host, const QString &pemFile)
{
    ServiceOverride &o = serviceOverride();
    const std::lock_guard lock(o.mutex);
    o.host = host;
    o.pemFile = pemFile;
}

QString ReadMachineId()
{
    return readMachineIdFrom(QStringLiteral("/etc/machine-id"));
}

QString readMachineIdFrom(const QString &machineIdFile)
{
    QFile file(machineIdFile);
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot read the machine identifier \"%1\": %2")
                           .arg(machineIdFile, file.errorString()),
                       ErrorKind::CannotOpen);
    const QByteArray text = file.read(64).trimmed();
    // An empty file or "uninitialized" is a system that has no identifier yet.
    if (text.isEmpty() || text == "uninitialized")
        return QString();
    const QByteArray id = QByteArray::fromHex(text);
    if (text.size() != 32 || id.size() != 16 || id.toHex() != text.toLower())
        throw AppError(QStringLiteral("The machine identifier in \"%1\" is not valid").arg(machineIdFile),
                       ErrorKind::CannotDecode);

    QByteArray derived
        = QMessageAuthenticationCode::hash(QByteArray::fromRawData(MachineIdApplicationKey, 16), id,
                                           QCryptographicHash::Sha256)
              .left(16);
    // Shaped as a random (version 4) UUID, the form of a Windows machine GUID.
    derived[6] = char((derived[6] & 0x0F) | 0x40);
    derived[8] = char((derived[8] & 0x3F) | 0x80);
    const QString hex = QString::fromLatin1(derived.toHex());
    return hex.mid(0, 8) + u'-' + hex.mid(8, 4) + u'-' + hex.mid(12, 4) + u'-' + hex.mid(16, 4) + u'-'
        + hex.mid(20, 12);
}

QString OsDescription()
{
    return formatOsDescription(QSysInfo::prettyProductName(), QSysInfo::productVersion(),
                               QSysInfo::kernelType() + u' ' + QSysInfo::kernelVersion(),
                               QSysInfo::currentCpuArchitecture());
}

QString formatOsDescription(const QString &productName,
                            const QString &version,
                            const QString &kernel,
                            const QString &architecture)
{
    const bool is64 = QSysInfo::WordSize == 64 || architecture.contains(QStringLiteral("64"))
        || architecture == QStringLiteral("s390x");
    QString line = QStringLiteral("%1 (Version %2, Kernel %3, %4, %5)")
                       .arg(productName.isEmpty() ? QStringLiteral("Unknown system") : productName,
                            version.isEmpty() ? QStringLiteral("unknown") : version,
                            kernel.isEmpty() ? QStringLiteral("unknown") : kernel,
                            architecture.isEmpty() ? QStringLiteral("unknown") : architecture,
                            is64 ? QStringLiteral("64-bit Edition") : QStringLiteral("32-bit Edition"));
    // One line, whatever the system's files hold.
    for (QChar &c : line) {
        if (c.unicode() < 32)
            c = u' ';
    }
    return line;
}

QByteArray encodeFormFields(const QStringList &fields)
{
    QByteArray body;
    for (const QString &field : fields) {
        if (!body.isEmpty())
            body += '&';
        const qsizetype equals = field.indexOf(u'=');
        appendPercentEncoded(body, equals < 0 ? field : field.left(equals));
        body += '=';
        if (equals >= 0)
            appendPercentEncoded(body, field.mid(equals + 1));
    }
    return body;
}

QString PostForm(const QString &url, const QStringList &fields, int timeoutMs)
{
    ensureCurlInitialised();
    const bool https = url.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);

    // One client per call, released on every path.
    const std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        fail(url, QStringLiteral("no network client could be created"));

    curl_slist *headerList = nullptr;
    auto addHeader = [&headerList](const char *header) {
        if (curl_slist *grown = curl_slist_append(headerList, header))
            headerList = grown;
    };
    if (https) {
        addHeader("Content-Type: application/x-www-form-urlencoded; charset=UTF-8");
        addHeader("Connection: close");
    } else {
        addHeader("Content-Type: application/x-www-form-urlencoded");
    }
    // A long feedback text would otherwise make the client wait for "100 Continue".
    addHeader("Expect:");
    const std::unique_ptr<curl_slist, CurlDeleter> headers(headerList);

    const QByteArray urlBytes = url.toUtf8();
    const QByteArray body = encodeFormFields(fields);
    const QByteArray userAgent = QByteArrayLiteral(PAIRSIGHT_PRODUCT_NAME "/" PAIRSIGHT_VERSION);
    const QByteArray pemFile = QFile::encodeName(trustedPemFile());
    const long timeout = std::max(1, timeoutMs);
    ReplyBuffer reply;
    char errorText[CURL_ERROR_SIZE] = {};

    CURL *h = curl.get();
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_USERAGENT, userAgent.constData());
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.constData());
    // The connection gets the time-out, and the whole exchange the connection's
    // plus the response's: the client has no separate read time-out.
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, timeout);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 2 * timeout);
    // A loopback service is never reached through a proxy.
    curl_easy_setopt(h, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &collectReply);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &reply);
    if (!pemFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, pemFile.constData());

    const CURLcode result = curl_easy_perform(h);
    if (reply.tooLarge)
        fail(url, QStringLiteral("the reply is larger than %1 bytes").arg(MaxReplyBytes));
    if (result != CURLE_OK)
        fail(url, QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result)));

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (!https && (status < 200 || status > 299))
        fail(url, QStringLiteral("the server answered with status %1").arg(status));
    return QString::fromUtf8(reply.body);
}

FallbackReply PostWithFallback(const QString &endpoint, const QStringList &fields, int timeoutMs)
{
    try {
        return {PostForm(QStringLiteral("https://") + endpoint, fields, timeoutMs), false};
    } catch (const AppError &) {
        // Plain HTTP once more; its error, if any, is the one reported.
    }
    return {PostForm(QStringLiteral("http://") + endpoint, fields, timeoutMs), true};
}

QString ExtractTag(const QString &line, const QString &tag)
{
    if (line.isEmpty() || tag.isEmpty())
        return QString();
    const QString lowerTag = tag.toLower();
    const QString opening = u'<' + lowerTag + u'>';
    const QString closing = QStringLiteral("</") + lowerTag + u'>';
    if (line.size() < opening.size() + closing.size() || !line.startsWith(opening) || !line.endsWith(closing))
        return QString();
    return line.mid(opening.size(), line.size() - opening.size() - closing.size());
}

QStringList replyLines(const QString &reply)
{
    QStringList lines;
    LineScanner scanner;
    const auto *text = reinterpret_cast<const char16_t *>(reply.utf16());
    const qsizetype rest = scanner.scan(text, 0, reply.size(), [&](qsizetype start, qsizetype end) {
        lines << reply.mid(start, end - start);
    });
    if (rest < reply.size())
        lines << reply.mid(rest);
    return lines;
}
