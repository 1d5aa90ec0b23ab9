#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace testsupport {

// An HTTP server on 127.0.0.1 and a port of its own, for the tests of the
// online services. It answers one request per connection from its own thread.
class LocalServer
{
public:
    enum class Mode
    {
        // Plain HTTP only: a TLS handshake gets a plain "400" back, as from a
        // server that speaks no TLS.
        Plain,
        // TLS when the client starts a handshake, plain HTTP otherwise, so
        // "https://" and "http://" reach it on the same port.
        TlsOrPlain,
        // Accepts connections and never answers.
        Silent,
    };
    enum class Certificate
    {
        Trusted, // the one trustedPemFile() holds
        Untrusted, // made afresh, trusted by nobody
    };

    struct Request
    {
        bool tls = false;
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
        // The form body decoded into "name=value" lines, in order.
        QStringList fields() const;
    };
    struct Response
    {
        int status = 200;
        QByteArray body;
    };
    using Handler = std::function<Response(const Request &)>;

    explicit LocalServer(Mode mode, Handler handler = {}, Certificate certificate = Certificate::Trusted);
    ~LocalServer();
    LocalServer(const LocalServer &) = delete;
    LocalServer &operator=(const LocalServer &) = delete;

    quint16 port() const { return m_port; }
    // "127.0.0.1:" + port, an endpoint host for the request helpers.
    QString host() const;
    void setHandler(Handler handler);
    // Every request answered so far, in order.
    std::vector<Request> requests() const;
    // Connections accepted so far, answered or not.
    int connections() const { return m_connections.load(); }
    // TLS handshakes that a plain server turned away.
    int refusedHandshakes() const { return m_refusedHandshakes.load(); }

    // A PEM file with the certificate of the Trusted servers, made once a run.
    static QString trustedPemFile();

private:
    struct Tls;
    void serve();
    void handle(int fd);

    Mode m_mode;
    std::unique_ptr<Tls> m_tls;
    int m_listenFd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop = false;
    std::atomic<int> m_connections = 0;
    std::atomic<int> m_refusedHandshakes = 0;
    mutable std::mutex m_mutex;
    Handler m_handler;
    std::vector<Request> m_requests;
    std::vector<int> m_silentConnections;
    std::thread m_thread;
};

// Sends every endpoint to server and trusts its certificate while it lives;
// then back to the closed port of isolateNetwork().
class ServiceOnLoopback
{
public:
    explicit ServiceOnLoopback(const LocalServer &server);
    ~ServiceOnLoopback();
    ServiceOnLoopback(const ServiceOnLoopback &) = delete;
    ServiceOnLoopback &operator=(const ServiceOnLoopback &) = delete;
};

} // namespace testsupport
