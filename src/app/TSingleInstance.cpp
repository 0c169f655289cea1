#include "app/TSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// A name in the abstract socket namespace where the system has one (Linux):
// it disappears with the process. Elsewhere it is a socket file, which a
// crashed copy leaves behind; tryTake() clears such a file when nobody
// answers on it.
constexpr auto socketOptions = QLocalServer::AbstractNamespaceOption;

} // namespace

TSingleInstance::TSingleInstance() = default;

TSingleInstance::~TSingleInstance() {
    release();
}

QString TSingleInstance::keyFor(const QString& title) {
    // Hashed: socket names are short (about 100 bytes with the temporary
    // folder in front), titles need not be.
    const QByteArray scope = (QDir::tempPath() + QLatin1Char('/') + title).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(scope, QCryptographicHash::Sha1).toHex();
    return QStringLiteral("vantrel-") + QString::fromLatin1(hash.left(24));
}

bool TSingleInstance::tryTake(const QString& key) {
    release();
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(socketOptions);
    if (!server->listen(key)) {
        // Not taken for a reason other than another holder: run without it.
        if (server->serverError() != QAbstractSocket::AddressInUseError)
            return true;
        // Someone holds the name: a running copy answers, a leftover does not.
        QLocalSocket probe;
        probe.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        probe.connectToServer(key);
        if (probe.waitForConnected(500))
            return false;
        QLocalServer::removeServer(key);
        if (!server->listen(key))
            return server->serverError() != QAbstractSocket::AddressInUseError;
    }
    // Later copies only knock to see that this one runs: let them go.
    QLocalServer* held = server.get();
    QObject::connect(held, &QLocalServer::newConnection, held, [held] {
        while (QLocalSocket* knock = held->nextPendingConnection()) {
            knock->abort();
            knock->deleteLater();
        }
    });
    m_server = std::move(server);
    return true;
}

void TSingleInstance::release() {
    if (m_server)
        m_server->close();
    m_server.reset();
}

bool TSingleInstance::holds() const {
    return m_server != nullptr;
}
