#include "localserver.h"

#include "online/request.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <csignal>
#include <stdexcept>

namespace testsupport {

namespace {

constexpr int IoWaitMs = 3000;

struct Identity
{
    EVP_PKEY *key = nullptr;
    X509 *certificate = nullptr;
};

void addExtension(X509 *certificate, int nid, const char *value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION *extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension)
        throw std::runtime_error("cannot make a certificate extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// A self-signed certificate for 127.0.0.1, valid for a day.
Identity makeIdentity()
{
    Identity identity;
    identity.key = EVP_EC_gen("P-256");
    identity.certificate = X509_new();
    if (!identity.key || !identity.certificate)
        throw std::runtime_error("cannot make a key");
    X509 *c = identity.certificate;
    X509_set_version(c, 2);
    static long serial = 1;
    ASN1_INTEGER_set(X509_get_serialNumber(c), serial++);
    X509_gmtime_adj(X509_getm_notBefore(c), -3600);
    X509_gmtime_adj(X509_getm_notAfter(c), 24L * 3600);
    X509_set_pubkey(c, identity.key);
    X509_NAME *name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("127.0.0.1"),
                               -1, -1, 0);
    X509_set_issuer_name(c, name);
    addExtension(c, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(c, NID_key_usage, "critical,digitalSignature,keyCertSign");
    addExtension(c, NID_subject_alt_name, "IP:127.0.0.1");
    if (X509_sign(c, identity.key, EVP_sha256()) == 0)
        throw std::runtime_error("cannot sign the certificate");
    return identity;
}

// The trusted identity lives for the whole run, like the file that holds it.
const Identity &trustedIdentity()
{
    static const Identity identity = makeIdentity();
    return identity;
}

bool waitFor(int fd, short events)
{
    pollfd p {fd, events, 0};
    return ::poll(&p, 1, IoWaitMs) > 0;
}

// Reads a request's head and body through read(); false when it is not HTTP.
template<typename Read>
bool readRequest(Read &&read, LocalServer::Request &request)
{
    QByteArray data;
    qsizetype headEnd = -1;
    char buffer[16384];
    while ((headEnd = data.indexOf("\r\n\r\n")) < 0) {
        const int n = read(buffer, int(sizeof buffer));
        if (n <= 0 || data.size() > qsizetype {1} << 20)
            return false;
        data.append(buffer, n);
    }
    const QList<QByteArray> lines = data.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.constFirst().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/"))
        return false;
    request.method = requestLine.at(0);
    request.path = requestLine.at(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request.headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                   lines.at(i).mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    request.body = data.mid(headEnd + 4);
    while (request.body.size() < length) {
        const int n = read(buffer, int(sizeof buffer));
        if (n <= 0)
            return false;
        request.body.append(buffer, n);
    }
    request.body.truncate(length);
    return true;
}

QByteArray responseBytes(const LocalServer::Response &response)
{
    return "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n"
        + "Content-Type: text/plain; charset=utf-8\r\n" + "Content-Length: "
        + QByteArray::number(response.body.size()) + "\r\n" + "Connection: close\r\n\r\n" + response.body;
}

} // namespace

struct LocalServer::Tls
{
    SSL_CTX *context = nullptr;
    Identity own; // only for an untrusted certificate
    ~Tls()
    {
        SSL_CTX_free(context);
        EVP_PKEY_free(own.key);
        X509_free(own.certificate);
    }
};

QStringList LocalServer::Request::fields() const
{
    QStringList lines;
    if (body.isEmpty())
        return lines;
    for (QByteArray pair : body.split('&')) {
        pair.replace('+', ' ');
        const qsizetype equals = pair.indexOf('=');
        const QString name = QUrl::fromPercentEncoding(equals < 0 ? pair : pair.left(equals));
        const QString value = equals < 0 ? QString() : QUrl::fromPercentEncoding(pair.mid(equals + 1));
        lines << name + u'=' + value;
    }
    return lines;
}

QString LocalServer::trustedPemFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        QString file = dir.filePath(QStringLiteral("local-server.pem"));
        BIO *bio = BIO_new_file(file.toLocal8Bit().constData(), "w");
        if (!bio || PEM_write_bio_X509(bio, trustedIdentity().certificate) != 1)
            throw std::runtime_error("cannot write the certificate");
        BIO_free(bio);
        return file;
    }();
    return path;
}

LocalServer::LocalServer(Mode mode, Handler handler, Certificate certificate)
    : m_mode(mode)
    , m_handler(std::move(handler))
{
    // A client that hangs up mid-reply must not end the test run.
    std::signal(SIGPIPE, SIG_IGN);
    if (mode == Mode::TlsOrPlain) {
        m_tls = std::make_unique<Tls>();
        const Identity *identity = &trustedIdentity();
        if (certificate == Certificate::Untrusted) {
            m_tls->own = makeIdentity();
            identity = &m_tls->own;
        }
        m_tls->context = SSL_CTX_new(TLS_server_method());
        if (!m_tls->context || SSL_CTX_use_certificate(m_tls->context, identity->certificate) != 1
            || SSL_CTX_use_PrivateKey(m_tls->context, identity->key) != 1)
            throw std::runtime_error("cannot set up TLS");
    }

    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listenFd, 16) != 0
        || ::getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

LocalServer::~LocalServer()
{
    m_stop = true;
    m_thread.join();
    for (int fd : m_silentConnections)
        ::close(fd);
    ::close(m_listenFd);
}

QString LocalServer::host() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(m_port);
}

void LocalServer::setHandler(Handler handler)
{
    const std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

std::vector<LocalServer::Request> LocalServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void LocalServer::serve()
{
    while (!m_stop) {
        pollfd p {m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++m_connections;
        if (m_mode == Mode::Silent) {
            m_silentConnections.push_back(fd);
            continue;
        }
        handle(fd);
        ::close(fd);
    }
}

void LocalServer::handle(int fd)
{
    unsigned char first = 0;
    if (!waitFor(fd, POLLIN) || ::recv(fd, &first, 1, MSG_PEEK) != 1)
        return;
    const bool handshake = first == 0x16;

    Request request;
    auto answer = [&](auto &&write) {
        Response response;
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
            if (m_handler)
                response = m_handler(request);
        }
        write(responseBytes(response));
    };

    if (!handshake || m_mode == Mode::Plain) {
        auto read = [fd](char *buffer, int size) {
            return waitFor(fd, POLLIN) ? int(::recv(fd, buffer, size_t(size), 0)) : -1;
        };
        auto write = [fd](const QByteArray &bytes) {
            qsizetype sent = 0;
            while (sent < bytes.size() && waitFor(fd, POLLOUT)) {
                const ssize_t n
                    = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
                if (n <= 0)
                    return;
                sent += n;
            }
        };
        if (handshake) {
            ++m_refusedHandshakes;
            write(QByteArrayLiteral("HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n"));
            return;
        }
        if (readRequest(read, request))
            answer(write);
        return;
    }

    SSL *ssl = SSL_new(m_tls->context);
    SSL_set_fd(ssl, fd);
    // The socket blocks; a stalled client is cut off by the receive time-out.
    timeval limit {IoWaitMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (SSL_accept(ssl) == 1) {
        auto read = [ssl](char *buffer, int size) { return SSL_read(ssl, buffer, size); };
        auto write = [ssl](const QByteArray &bytes) {
            qsizetype sent = 0;
            while (sent < bytes.size()) {
                const int n = SSL_write(ssl, bytes.constData() + sent, int(bytes.size() - sent));
                if (n <= 0)
                    return;
                sent += n;
            }
        };
        request.tls = true;
        if (readRequest(read, request))
            answer(write);
        SSL_shutdown(ssl);
    }
    SSL_free(ssl);
    ERR_clear_error();
}

ServiceOnLoopback::ServiceOnLoopback(const LocalServer &server)
{
    overrideServiceHost(server.host(), LocalServer::trustedPemFile());
}

ServiceOnLoopback::~ServiceOnLoopback()
{
    overrideServiceHost(closedServiceHost());
}

} // namespace testsupport
