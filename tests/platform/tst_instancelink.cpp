// The window registry and the record transport between copies, with real
// local sockets: the receivers run on threads of their own, as another
// process would answer.
#include "platform/TInstanceLink.h"
#include "platform/TTempFolder.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <atomic>
#include <sys/stat.h>

namespace {

const QString kPicture = QStringLiteral("Увеличенная картинка");

// A link served on a thread of its own.
class Receiver {
public:
    explicit Receiver(const QString& caption, bool visible,
                      std::function<RReplyFrame(const RCopyRecord&)> handler = {}) {
        link = new TInstanceLink;
        link->onRecord = std::move(handler);
        link->onCloseRequest = [this] { ++closeRequests; };
        link->moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(
            link, [&] { opened = link->open(caption, visible); }, Qt::BlockingQueuedConnection);
    }
    ~Receiver() {
        QMetaObject::invokeMethod(
            link, [l = link] { delete l; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
    void call(const std::function<void()>& f) {
        QMetaObject::invokeMethod(link, f, Qt::BlockingQueuedConnection);
    }
    TInstanceLink* link;
    QThread thread;
    bool opened = false;
    std::atomic<int> closeRequests{0};
};

qint64 deadPid() {
    QProcess p;
    p.start(QStringLiteral("true"));
    p.waitForFinished();
    return p.processId() > 0 ? p.processId() : 999999;
}

} // namespace

class TestInstanceLink : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void folderAndFilesAreUserOnly();
    void lookupsSkipHiddenAndDeadWindows();
    void captionsAndActivationOrder();
    void recordRoundTrip();
    void silentReceiverCostsHalfASecond();
    void untrustedFramesAreIgnored();
    void closeRequestIsAcknowledged();
    void ownWindowAnswersDirectly();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

void TestInstanceLink::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("w"));
    TInstanceLink::setFolder(m_folder);
}

void TestInstanceLink::cleanup() {
    TInstanceLink::setFolder(QString());
    m_dir.reset();
}

void TestInstanceLink::folderAndFilesAreUserOnly() {
    // A folder left open to others is closed before use.
    QDir().mkpath(m_folder);
    QFile::setPermissions(m_folder, QFileDevice::Permissions(0x7777));
    TInstanceLink link;
    QVERIFY(link.open(kPicture, true));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(m_folder).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0700);
    QCOMPARE(::stat(QFile::encodeName(m_folder + "/" + link.id() + ".win").constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0077), 0);
    QCOMPARE(::stat(QFile::encodeName(link.entry().server).constData(), &st), 0);
    QVERIFY(S_ISSOCK(st.st_mode));
    QCOMPARE(int(st.st_mode & 0777), 0600);
    // Closing removes the entry and the socket.
    link.close();
    QVERIFY(QDir(m_folder).entryList(QDir::Files | QDir::System).isEmpty());
    // The temporary folder of the program is private too.
    const QString temp = TTempFolder::path();
    QVERIFY(!temp.isEmpty());
    QCOMPARE(::stat(QFile::encodeName(temp).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0700);
}

void TestInstanceLink::lookupsSkipHiddenAndDeadWindows() {
    Receiver hidden(kPicture, false);
    Receiver shown(kPicture, true);
    QVERIFY(hidden.opened && shown.opened);
    // An entry left by a process that ended.
    QJsonObject o;
    const qint64 dead = deadPid();
    o.insert("pid", dead);
    o.insert("caption", kPicture);
    o.insert("visible", true);
    o.insert("activated", QDateTime::currentMSecsSinceEpoch() * 1000000 * 2);
    const QString deadEntry = m_folder + QStringLiteral("/%1-1.win").arg(dead);
    QFile f(deadEntry);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QJsonDocument(o).toJson());
    f.close();
    // A damaged entry.
    QFile bad(m_folder + "/77-1.win");
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("{not json");
    bad.close();

    const QList<RWindowEntry> found = TInstanceLink::findWindows(kPicture);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].id, shown.link->id());
    QVERIFY(!QFile::exists(deadEntry));
    QVERIFY(!QFile::exists(m_folder + "/77-1.win"));
    QCOMPARE(TInstanceLink::windows().size(), 2);

    // Shown later, the other window is found too; hidden, neither.
    hidden.call([&] { hidden.link->setVisible(true); });
    QCOMPARE(TInstanceLink::findWindows(kPicture).size(), 2);
    hidden.call([&] { hidden.link->setVisible(false); });
    shown.call([&] { shown.link->setVisible(false); });
    QVERIFY(!TInstanceLink::findWindow(kPicture));
    // Nothing is sent when no window is found.
    QVERIFY(!TInstanceLink::SendRecord(kPicture, RCopyRecord::single(RCopyRecord::IsShown, "x"))
                 .delivered);
}

void TestInstanceLink::captionsAndActivationOrder() {
    QVERIFY(TInstanceLink::captionMatches(QStringLiteral("увеличенная КАРТИНКА"), kPicture));
    QVERIFY(!TInstanceLink::captionMatches(QString(), QString()));
    QVERIFY(!TInstanceLink::captionMatches(kPicture + u' ', kPicture));
    // Only the first 127 characters of a caption are read.
    const QString longTitle = QString(127, u'ж');
    QVERIFY(TInstanceLink::captionMatches(longTitle + QStringLiteral("хвост"), longTitle));
    QVERIFY(!TInstanceLink::captionMatches(longTitle + u'x', longTitle + u'x'));

    Receiver a(QStringLiteral("Тезаурус"), true);
    Receiver b(QStringLiteral("тезаурус"), true);
    Receiver c(QString(), true);
    QCOMPARE(TInstanceLink::findWindows(QStringLiteral("ТЕЗАУРУС")).size(), 2);
    QVERIFY(TInstanceLink::findWindows(QString()).isEmpty());
    a.call([&] { a.link->markActivated(); });
    QCOMPARE(TInstanceLink::findWindow(QStringLiteral("Тезаурус"))->id, a.link->id());
    b.call([&] { b.link->markActivated(); });
    QCOMPARE(TInstanceLink::findWindow(QStringLiteral("Тезаурус"))->id, b.link->id());
    // A caption change is seen by the next lookup.
    c.call([&] { c.link->setCaption(QStringLiteral("Тезаурус")); });
    QCOMPARE(TInstanceLink::findWindows(QStringLiteral("Тезаурус")).size(), 3);
}

void TestInstanceLink::recordRoundTrip() {
    RCopyRecord seen;
    int calls = 0;
    Receiver r(kPicture, true, [&](const RCopyRecord& rec) {
        seen = rec;
        ++calls;
        if (rec.kind == RCopyRecord::ShowPage)
            return RReplyFrame{RReplyFrame::PageShown, 0, QStringLiteral("handle-1")};
        return RReplyFrame{RReplyFrame::ShownReply,
                           rec.texts[0] == QStringLiteral("\\b\\img\\большая.png") ? 1 : 0,
                           QString()};
    });
    QVERIFY(r.opened);
    RCopyRecord ask = RCopyRecord::single(RCopyRecord::IsShown, "\\b\\img\\большая.png");
    ask.codes[0] = 0;
    TInstanceLink::RSendResult res = TInstanceLink::SendRecord(kPicture, ask);
    QVERIFY(res.delivered);
    QVERIFY(res.reply);
    QCOMPARE(res.reply->message, quint16(1225));
    QCOMPARE(res.reply->param, 1);
    QCOMPARE(seen.texts[0], ask.texts[0]);
    ask.texts[0] = QStringLiteral("\\b\\img\\other.png");
    res = TInstanceLink::SendRecord(kPicture, ask);
    QCOMPARE(res.reply->param, 0);

    RCopyRecord show;
    show.kind = RCopyRecord::ShowPage;
    show.count = 2;
    show.codes = {0, 7, 9};
    show.texts = {QStringLiteral("p01.htm"), QStringLiteral("второй"), QStringLiteral("unused")};
    res = TInstanceLink::SendRecord(kPicture, show);
    QCOMPARE(res.reply->message, quint16(1690));
    QCOMPARE(res.reply->handle, QStringLiteral("handle-1"));
    QCOMPARE(seen.count, quint16(2));
    QCOMPARE(seen.codes[1], 7);
    QCOMPARE(seen.texts[1], QStringLiteral("второй"));
    QVERIFY(seen.texts[2].isEmpty());
    QCOMPARE(calls, 3);

    // A text too long for its field is not sent at all.
    res = TInstanceLink::SendRecord(kPicture,
                                    RCopyRecord::single(RCopyRecord::IsShown, QString(300, u'a')));
    QVERIFY(!res.delivered);
    QCOMPARE(calls, 3);
}

void TestInstanceLink::silentReceiverCostsHalfASecond() {
    // A window that takes the connection and never answers: a bare server
    // registered by hand (its thread never gets to it).
    QDir().mkpath(m_folder);
    const qint64 pid = QCoreApplication::applicationPid();
    const QString id = QStringLiteral("%1-9999").arg(pid);
    QLocalServer silent;
    QVERIFY(silent.listen(m_folder + "/" + id + ".sock"));
    QJsonObject o;
    o.insert("pid", pid);
    o.insert("caption", kPicture);
    o.insert("visible", true);
    o.insert("activated", 1);
    QFile f(m_folder + "/" + id + ".win");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QJsonDocument(o).toJson());
    f.close();

    QElapsedTimer t;
    t.start();
    const TInstanceLink::RSendResult res =
        TInstanceLink::SendRecord(kPicture, RCopyRecord::single(RCopyRecord::IsShown, "a.bmp"));
    const qint64 ms = t.elapsed();
    QVERIFY(!res.reply);
    QVERIFY2(ms >= 450 && ms < 1500, qPrintable(QString::number(ms)));

    // A receiver busy with something else for two seconds: the same.
    Receiver busy(QStringLiteral("Тезаурус"), true, [](const RCopyRecord&) {
        QThread::msleep(1500);
        return RReplyFrame{};
    });
    t.restart();
    QVERIFY(!TInstanceLink::SendRecord(QStringLiteral("Тезаурус"),
                                       RCopyRecord::single(RCopyRecord::ShowPage, "p.htm"))
                 .reply);
    QVERIFY2(t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!TInstanceLink::requestClose(*TInstanceLink::findWindow("Тезаурус"), 200));
}

void TestInstanceLink::untrustedFramesAreIgnored() {
    int calls = 0;
    Receiver r(kPicture, true, [&](const RCopyRecord&) {
        ++calls;
        return RReplyFrame{RReplyFrame::ShownReply, 1, QString()};
    });
    const QString server = r.link->entry().server;
    const auto send = [&](const QByteArray& frame) {
        QLocalSocket s;
        s.connectToServer(server);
        if (!s.waitForConnected(1000))
            return QByteArray("no connection");
        s.write(frame);
        s.waitForBytesWritten(1000);
        QByteArray in;
        while (s.state() == QLocalSocket::ConnectedState && s.waitForReadyRead(1000))
            in += s.readAll();
        return in + s.readAll();
    };
    const auto frame = [](char type, const QByteArray& payload) {
        QByteArray f(8, '\0');
        f[0] = type;
        f.replace(1, 3, "VTL");
        qToLittleEndian<quint32>(quint32(payload.size()), f.data() + 4);
        return f + payload;
    };
    QByteArray record = *RCopyRecord::single(RCopyRecord::IsShown, "a.bmp").encode();
    // The well-formed record is answered (the frame the rest is measured by).
    QCOMPARE(send(frame('R', record)).size(), 8);
    QCOMPARE(calls, 1);
    // Wrong size, unknown kind, a text without NUL, another program's bytes.
    QVERIFY(send(frame('R', record.left(800))).isEmpty());
    QByteArray unknown = record;
    unknown[0] = 5;
    QVERIFY(send(frame('R', unknown)).isEmpty());
    QByteArray endless = record;
    endless.replace(16, 274, QByteArray(274, 'x'));
    QVERIFY(send(frame('R', endless)).isEmpty());
    QVERIFY(send(QByteArray("GET / HTTP/1.0\r\n\r\n")).isEmpty());
    QVERIFY(send(frame('R', QByteArray(100000, 'x'))).isEmpty());
    QCOMPARE(calls, 1);
    // The receiver still serves afterwards.
    QCOMPARE(TInstanceLink::SendRecord(kPicture, RCopyRecord::single(RCopyRecord::IsShown, "a"))
                 .reply->param,
             1);
}

void TestInstanceLink::closeRequestIsAcknowledged() {
    Receiver r(QStringLiteral("Помощь"), true);
    QVERIFY(TInstanceLink::requestClose(*TInstanceLink::findWindow(QStringLiteral("помощь"))));
    QTRY_COMPARE(r.closeRequests.load(), 1);
}

void TestInstanceLink::ownWindowAnswersDirectly() {
    // A window of the sending thread is asked without a socket (it could not
    // answer while the thread waits).
    TInstanceLink own;
    int calls = 0;
    own.onRecord = [&](const RCopyRecord&) {
        ++calls;
        return RReplyFrame{RReplyFrame::ShownReply, 1, QString()};
    };
    QVERIFY(own.open(kPicture, true));
    QElapsedTimer t;
    t.start();
    const auto res =
        TInstanceLink::SendRecord(kPicture, RCopyRecord::single(RCopyRecord::IsShown, "a"));
    QVERIFY(res.reply && res.reply->param == 1);
    QCOMPARE(calls, 1);
    QVERIFY(t.elapsed() < 400);
    QVERIFY(TInstanceLink::isOwn(own.entry()) && TInstanceLink::isLocal(own.entry()));
}

QTEST_GUILESS_MAIN(TestInstanceLink)
#include "tst_instancelink.moc"
