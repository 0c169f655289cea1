#include "platform/TInstanceLink.h"

#include "platform/Log.h"
#include "platform/TTempFolder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtEndian>

#include <atomic>
#include <chrono>
#include <mutex>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

using vlog::complain;

// Request frame: type byte, "VTL", payload length (uint32), payload.
constexpr int kRequestHeader = 8;
constexpr quint32 kMaxPayload = 4096;
// Reply frame: message (uint16), handle length (uint16), param (int32), handle.
constexpr int kReplyHeader = 8;
constexpr int kMaxHandle = 255;
// A connection that has not delivered a whole request by then is dropped.
constexpr int kIncompleteMs = 2000;
constexpr qint64 kMaxEntryBytes = 4096;

QString g_folder;
std::mutex g_mutex; // g_folder, g_links
QList<TInstanceLink*> g_links;
std::atomic<int> g_serial{0};

qint64 stampNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

bool TInstanceLink::processAlive(qint64 pid) {
#ifdef Q_OS_UNIX
    if (pid <= 0)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
#ifdef Q_OS_LINUX
    // A process that ended but was not yet reaped by its parent.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.read(512);
        const qsizetype close = line.lastIndexOf(')');
        if (close >= 0 && line.mid(close + 1, 3).trimmed().startsWith('Z'))
            return false;
    }
#endif
    return true;
#else
    return pid > 0;
#endif
}

namespace {

QByteArray replyBytes(const RReplyFrame& r) {
    const QByteArray handle = r.handle.toUtf8().left(kMaxHandle);
    QByteArray out(kReplyHeader, '\0');
    qToLittleEndian<quint16>(r.message, out.data());
    qToLittleEndian<quint16>(quint16(handle.size()), out.data() + 2);
    qToLittleEndian<qint32>(r.param, out.data() + 4);
    return out + handle;
}

} // namespace

TInstanceLink::TInstanceLink(QObject* parent) : QObject(parent) {}

TInstanceLink::~TInstanceLink() {
    close();
}

// ---- the folder and the entries ----

void TInstanceLink::setFolder(const QString& path) {
    const std::lock_guard lock(g_mutex);
    g_folder = path;
}

QString TInstanceLink::folder() {
    QString path;
    {
        const std::lock_guard lock(g_mutex);
        path = g_folder;
    }
    if (path.isEmpty()) {
        QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (base.isEmpty() || !QFileInfo(base).isDir())
            base = TTempFolder::path();
        if (base.isEmpty())
            return {};
        path = base + QStringLiteral("/vantrel-windows");
    }
    return TTempFolder::makePrivate(path) ? path : QString();
}

bool TInstanceLink::captionMatches(const QString& caption, const QString& title) {
    return !caption.isEmpty() &&
           caption.left(kCaptionChars).compare(title, Qt::CaseInsensitive) == 0;
}

bool TInstanceLink::isOwn(const RWindowEntry& entry) {
    return entry.pid == QCoreApplication::applicationPid();
}

bool TInstanceLink::isLocal(const RWindowEntry& entry) {
    if (!isOwn(entry))
        return false;
    const std::lock_guard lock(g_mutex);
    for (TInstanceLink* l : g_links)
        if (l->m_entry.id == entry.id)
            return l->thread() == QThread::currentThread();
    return false;
}

QList<RWindowEntry> TInstanceLink::windows() {
    const QString dir = folder();
    if (dir.isEmpty())
        return {};
    QList<RWindowEntry> list;
    const QStringList names =
        QDir(dir).entryList({QStringLiteral("*.win")}, QDir::Files | QDir::NoSymLinks);
    for (const QString& name : names) {
        const QString path = dir + u'/' + name;
        RWindowEntry e;
        e.id = name.chopped(4);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue; // removed meanwhile
        const QByteArray bytes = f.read(kMaxEntryBytes);
        f.close();
        const QJsonObject o = QJsonDocument::fromJson(bytes).object();
        e.pid = o.value(QLatin1String("pid")).toInteger();
        e.caption = o.value(QLatin1String("caption")).toString();
        e.visible = o.value(QLatin1String("visible")).toBool();
        e.activated = o.value(QLatin1String("activated")).toInteger();
        e.server = dir + u'/' + e.id + QStringLiteral(".sock");
        if (e.pid <= 0 || !e.id.startsWith(QString::number(e.pid) + u'-')) {
            complain(QStringLiteral("%1: a damaged window entry, removed").arg(path));
            QFile::remove(path);
            continue;
        }
        if (!processAlive(e.pid)) {
            QFile::remove(path);
            QFile::remove(e.server);
            continue;
        }
        list.append(e);
    }
    std::stable_sort(list.begin(), list.end(), [](const RWindowEntry& a, const RWindowEntry& b) {
        return a.activated > b.activated;
    });
    return list;
}

QList<RWindowEntry> TInstanceLink::findWindows(const QString& caption) {
    QList<RWindowEntry> found;
    for (const RWindowEntry& e : windows())
        if (e.visible && captionMatches(e.caption, caption))
            found.append(e);
    return found;
}

std::optional<RWindowEntry> TInstanceLink::findWindow(const QString& caption) {
    const QList<RWindowEntry> found = findWindows(caption);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

void TInstanceLink::writeEntry() {
    if (!isOpen())
        return;
    const QString dir = QFileInfo(m_entry.server).absolutePath();
    QJsonObject o;
    o.insert(QLatin1String("pid"), m_entry.pid);
    o.insert(QLatin1String("caption"), m_entry.caption);
    o.insert(QLatin1String("visible"), m_entry.visible);
    o.insert(QLatin1String("activated"), m_entry.activated);
    const QString tmp = dir + u'/' + m_entry.id + QStringLiteral(".tmp");
    const QString path = dir + u'/' + m_entry.id + QStringLiteral(".win");
    QFile f(tmp);
    QFile::remove(tmp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        f.write(QJsonDocument(o).toJson(QJsonDocument::Compact)) < 0) {
        complain(QStringLiteral("%1: the window entry cannot be written").arg(tmp));
        return;
    }
    f.close();
    // The entry changes in one step: readers see the old or the new one.
    if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(path).constData()) != 0)
        complain(QStringLiteral("%1: the window entry cannot be written").arg(path));
}

// ---- the receiver ----

bool TInstanceLink::open(const QString& caption, bool visible) {
    close();
    const QString dir = folder();
    if (dir.isEmpty())
        return false;
    m_entry = RWindowEntry();
    m_entry.pid = QCoreApplication::applicationPid();
    m_entry.id = QStringLiteral("%1-%2").arg(m_entry.pid).arg(++g_serial);
    m_entry.caption = caption;
    m_entry.visible = visible;
    m_entry.activated = stampNow();
    m_entry.server = dir + u'/' + m_entry.id + QStringLiteral(".sock");
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_entry.server);
    if (!server->listen(m_entry.server)) {
        complain(QStringLiteral("%1: other copies cannot reach this window (%2)")
                     .arg(m_entry.server, server->errorString()));
        m_entry = RWindowEntry();
        return false;
    }
    // Read and write for the user alone (the folder already keeps others out).
    QFile::setPermissions(m_entry.server, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    connect(server.get(), &QLocalServer::newConnection, this, &TInstanceLink::onConnection);
    m_server = std::move(server);
    {
        const std::lock_guard lock(g_mutex);
        g_links.append(this);
    }
    writeEntry();
    return true;
}

void TInstanceLink::close() {
    if (!m_server)
        return;
    {
        const std::lock_guard lock(g_mutex);
        g_links.removeAll(this);
    }
    const QString dir = QFileInfo(m_entry.server).absolutePath();
    QFile::remove(dir + u'/' + m_entry.id + QStringLiteral(".win"));
    for (QLocalSocket* s : m_pending.keys())
        s->abort();
    m_pending.clear();
    m_server->close();
    m_server.reset();
    QLocalServer::removeServer(m_entry.server);
}

bool TInstanceLink::isOpen() const {
    return m_server != nullptr;
}

void TInstanceLink::setCaption(const QString& caption) {
    if (m_entry.caption == caption)
        return;
    m_entry.caption = caption;
    writeEntry();
}

void TInstanceLink::setVisible(bool visible) {
    if (m_entry.visible == visible)
        return;
    m_entry.visible = visible;
    writeEntry();
}

void TInstanceLink::markActivated() {
    m_entry.activated = stampNow();
    writeEntry();
}

void TInstanceLink::follow(QWidget* window) {
    if (m_followed)
        m_followed->removeEventFilter(this);
    m_followed = window;
    if (!window)
        return;
    window->installEventFilter(this);
    m_entry.caption = window->windowTitle();
    m_entry.visible = window->isVisible();
    writeEntry();
}

bool TInstanceLink::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_followed) {
        switch (e->type()) {
        case QEvent::WindowTitleChange:
            setCaption(m_followed->windowTitle());
            break;
        case QEvent::Show:
            setVisible(true);
            break;
        case QEvent::Hide:
            setVisible(false);
            break;
        case QEvent::WindowActivate:
            markActivated();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, e);
}

void TInstanceLink::onConnection() {
    while (QLocalSocket* s = m_server->nextPendingConnection()) {
#if defined(Q_OS_LINUX)
        // The folder already keeps others out; a peer of another user is
        // refused all the same.
        struct ucred cred {};
        socklen_t len = sizeof cred;
        if (::getsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 ||
            cred.uid != ::getuid()) {
            complain(QStringLiteral("a connection from another user refused"));
            s->abort();
            s->deleteLater();
            continue;
        }
#endif
        m_pending.insert(s, QByteArray(""));
        connect(s, &QLocalSocket::readyRead, this, [this, s] { onReadable(s); });
        connect(s, &QLocalSocket::disconnected, this, [this, s] {
            m_pending.remove(s);
            s->deleteLater();
        });
        QTimer::singleShot(kIncompleteMs, s, [this, s] {
            if (m_pending.contains(s))
                s->abort();
        });
        if (s->bytesAvailable() > 0)
            onReadable(s);
    }
}

void TInstanceLink::onReadable(QLocalSocket* s) {
    auto it = m_pending.find(s);
    if (it == m_pending.end())
        return;
    QByteArray& buf = *it;
    buf += s->readAll();
    if (buf.size() < kRequestHeader)
        return;
    const char type = buf.at(0);
    const quint32 length = qFromLittleEndian<quint32>(buf.constData() + 4);
    if (buf.mid(1, 3) != "VTL" || (type != char(Request::Record) && type != char(Request::Close)) ||
        length > kMaxPayload) {
        complain(QStringLiteral("a message that is no request of this program, ignored"));
        m_pending.erase(it);
        s->abort();
        return;
    }
    if (quint32(buf.size()) < kRequestHeader + length)
        return;
    const QByteArray payload = buf.mid(kRequestHeader, length);
    // Nothing more is read from this connection: one request each.
    m_pending.erase(it);
    disconnect(s, &QLocalSocket::readyRead, this, nullptr);
    bool ok = false;
    const QPointer<QLocalSocket> guard(s);
    const RReplyFrame reply = handle(Request(type), payload, &ok);
    if (!guard)
        return;
    if (ok) {
        s->write(replyBytes(reply));
        s->flush();
    }
    s->disconnectFromServer();
}

RReplyFrame TInstanceLink::handle(Request type, const QByteArray& payload, bool* ok) {
    *ok = true;
    if (type == Request::Close) {
        if (onCloseRequest)
            // After the acknowledgement: the sender is not kept waiting by
            // whatever closing does.
            QTimer::singleShot(0, this, [this] {
                if (onCloseRequest)
                    onCloseRequest();
            });
        return {};
    }
    QString error;
    const std::optional<RCopyRecord> record = RCopyRecord::decode(payload, &error);
    if (!record) {
        complain(error + QStringLiteral(", ignored"));
        *ok = false;
        return {};
    }
    return onRecord ? onRecord(*record) : RReplyFrame();
}

// ---- the sender ----

TInstanceLink* TInstanceLink::ownLink(const QString& id) {
    const std::lock_guard lock(g_mutex);
    for (TInstanceLink* l : g_links)
        if (l->m_entry.id == id)
            return l;
    return nullptr;
}

TInstanceLink::RSendResult TInstanceLink::exchange(const RWindowEntry& target, Request type,
                                                   const QByteArray& payload, int waitMs) {
    RSendResult result;
    // A window of this thread cannot answer while this thread waits: its
    // handler runs directly, as the desktop does for a window of its own.
    if (TInstanceLink* own = isOwn(target) ? ownLink(target.id) : nullptr;
        own && own->thread() == QThread::currentThread()) {
        bool ok = false;
        const RReplyFrame reply = own->handle(type, payload, &ok);
        result.delivered = ok;
        if (ok)
            result.reply = reply;
        return result;
    }
    const QDeadlineTimer deadline(waitMs);
    QLocalSocket socket;
    socket.connectToServer(target.server);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        // Nobody serves it any longer: its socket is gone, or its process
        // ended. Its entry goes with it.
        const bool gone =
            socket.error() == QLocalSocket::ServerNotFoundError ||
            (socket.error() == QLocalSocket::ConnectionRefusedError && !processAlive(target.pid));
        if (gone)
            QFile::remove(QFileInfo(target.server).absolutePath() + u'/' + target.id +
                          QStringLiteral(".win"));
        return result;
    }
    QByteArray frame(kRequestHeader, '\0');
    frame[0] = char(type);
    frame[1] = 'V';
    frame[2] = 'T';
    frame[3] = 'L';
    qToLittleEndian<quint32>(quint32(payload.size()), frame.data() + 4);
    frame += payload;
    socket.write(frame);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))) ||
            deadline.hasExpired())
            return result;
    result.delivered = true;
    // The reply: checked every 50 ms, until the deadline.
    QByteArray in;
    for (;;) {
        in += socket.readAll();
        if (in.size() >= kReplyHeader) {
            const quint16 handleLength = qFromLittleEndian<quint16>(in.constData() + 2);
            if (handleLength <= kMaxHandle && in.size() >= kReplyHeader + handleLength) {
                RReplyFrame r;
                r.message = qFromLittleEndian<quint16>(in.constData());
                r.param = qFromLittleEndian<qint32>(in.constData() + 4);
                r.handle = QString::fromUtf8(in.mid(kReplyHeader, handleLength));
                result.reply = r;
                return result;
            }
            if (handleLength > kMaxHandle)
                return result;
        }
        if (deadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState)
            break;
        socket.waitForReadyRead(
            int(qMin<qint64>(kWaitStepMs, qMax<qint64>(1, deadline.remainingTime()))));
    }
    in += socket.readAll();
    return result;
}

TInstanceLink::RSendResult TInstanceLink::SendRecord(const RWindowEntry& target,
                                                     const RCopyRecord& record, int waitMs) {
    QString error;
    const std::optional<QByteArray> bytes = record.encode(&error);
    if (!bytes) {
        complain(QStringLiteral("not sent to \"%1\": %2").arg(target.caption, error));
        return {};
    }
    return exchange(target, Request::Record, *bytes, waitMs);
}

TInstanceLink::RSendResult TInstanceLink::SendRecord(const QString& caption,
                                                     const RCopyRecord& record, int waitMs) {
    const std::optional<RWindowEntry> target = findWindow(caption);
    if (!target)
        return {};
    return SendRecord(*target, record, waitMs);
}

bool TInstanceLink::requestClose(const RWindowEntry& target, int waitMs) {
    return exchange(target, Request::Close, QByteArray(), waitMs).reply.has_value();
}
