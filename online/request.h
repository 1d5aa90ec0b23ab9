#pragma once

#include <QString>
#include <QStringList>

// The host (or host:port) of the maker's web service, fixed when building.
extern const QString ServiceHost;

// ServiceHost (or the host a test put in its place) followed by path: an
// endpoint without a scheme.
QString serviceEndpoint(const QString &path);

// Points every endpoint at another host and trusts the certificates in
// pemFile besides; for tests, which must reach local servers only. An empty
// host goes back to ServiceHost, an empty file to the system's certificates.
void overrideServiceHost(const QString &host, const QString &pemFile = QString());

// A reply larger than this is cut off and counts as a failure.
inline constexpr qsizetype MaxReplyBytes = qsizetype {1} << 20;

// The machine's identifier for the service: derived from /etc/machine-id, so
// the raw id never leaves the machine. Empty when there is none; throws
// AppError when the file is there but unreadable or holds no valid id.
QString ReadMachineId();
// The same from another file, for tests.
QString readMachineIdFrom(const QString &machineIdFile);

// One line naming the system, its version, kernel and architecture.
QString OsDescription();
QString formatOsDescription(const QString &productName,
                            const QString &version,
                            const QString &kernel,
                            const QString &architecture);

// The request body of "name=value" lines: name before the first "=", both
// sides percent-encoded from UTF-8, pairs joined with "&", in order.
QByteArray encodeFormFields(const QStringList &fields);

// Posts the fields to url and returns the reply body. Over https:// the body
// comes back whatever the status; over http:// a status outside 2xx throws.
// timeoutMs bounds the connection and, again, the response. Throws AppError
// naming the url and the reason on every failure. Safe on any thread.
QString PostForm(const QString &url, const QStringList &fields, int timeoutMs);

struct FallbackReply
{
    QString reply;
    // The https:// attempt failed and the reply came over http://.
    bool httpsFailed = false;
};

// PostForm to "https://" + endpoint, and when that throws, once more to
// "http://" + endpoint. Throws the second attempt's error when both fail.
FallbackReply PostWithFallback(const QString &endpoint, const QStringList &fields, int timeoutMs);

// The text between "<tag>" and "</tag>" (tag lower-cased, the line compared
// exactly) when the line is exactly one such element, else empty.
QString ExtractTag(const QString &line, const QString &tag);

// A reply's lines, split at CR LF, LF or CR; an empty reply has none.
QStringList replyLines(const QString &reply);
