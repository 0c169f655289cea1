// Messages between copies: the round trip of a kind 3 record ("is this
// picture shown?") between two processes, as a picture link asks a running
// picture window.
//
// The program starts a second copy of itself that serves one registered
// window captioned "Увеличенная картинка" (answering 1 for its picture) and a
// bare local-socket echo server. It then measures, alternately:
//   - the kind 3 round trip: SendRecord to the window found before (connect,
//     840-byte record, handler, reply frame);
//   - the whole request as the picture link makes it: the lookup by caption
//     in the window folder, then the same round trip;
//   - the baseline: a bare QLocalSocket that connects, writes 840 bytes and
//     reads them back from the echo server.
// Prints medians, the goal (round trip <= 2 ms) and the ratio to the
// baseline.
//
// Usage: bench_instances [RUNS]
#include "platform/RCopyRecord.h"
#include "platform/TInstanceLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

namespace {

const QString kPicture = QStringLiteral("Увеличенная картинка");
const QString kShown = QStringLiteral("\\book\\run\\img\\engine_big.png");

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The second process: one window and an echo server, until it is ended.
int serve(const QString& folder) {
    TInstanceLink::setFolder(folder);
    TInstanceLink link;
    link.onRecord = [](const RCopyRecord& r) {
        const bool shown =
            r.kind == RCopyRecord::IsShown && r.codes[0] == 0 && r.texts[0] == kShown;
        return RReplyFrame{RReplyFrame::ShownReply, shown ? 1 : 0, QString()};
    };
    if (!link.open(kPicture, true))
        return 1;
    QLocalServer echo;
    echo.setSocketOptions(QLocalServer::UserAccessOption);
    if (!echo.listen(folder + QStringLiteral("/echo.sock")))
        return 1;
    QObject::connect(&echo, &QLocalServer::newConnection, &echo, [&echo] {
        while (QLocalSocket* s = echo.nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::readyRead, s, [s] {
                if (s->bytesAvailable() >= RCopyRecord::kSize) {
                    s->write(s->read(RCopyRecord::kSize));
                    s->flush();
                    s->disconnectFromServer();
                }
            });
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    // Ends when the measuring process ends it, or when that process is gone.
    const qint64 parent = ::getppid();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [parent] {
        if (::getppid() != parent)
            QCoreApplication::quit();
    });
    watch.start(500);
    return QCoreApplication::exec();
}

bool echoOnce(const QString& server, const QByteArray& bytes) {
    QLocalSocket s;
    s.connectToServer(server);
    if (!s.waitForConnected(1000))
        return false;
    s.write(bytes);
    s.waitForBytesWritten(1000);
    QByteArray in;
    while (in.size() < bytes.size() && s.waitForReadyRead(1000))
        in += s.readAll();
    return in == bytes;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--serve"))
        return serve(args[2]);
    const int runs = args.size() >= 2 ? qMax(10, args[1].toInt()) : 2000;

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("w"));
    TInstanceLink::setFolder(folder);
    QProcess other;
    other.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), folder});
    if (!other.waitForReadyRead(10000) || !other.readLine().startsWith("ready")) {
        std::fprintf(stderr, "bench_instances: the second process did not start\n");
        return 1;
    }
    const std::optional<RWindowEntry> window = TInstanceLink::findWindow(kPicture);
    if (!window) {
        std::fprintf(stderr, "bench_instances: the window of the second process is not found\n");
        return 1;
    }
    const RCopyRecord ask = RCopyRecord::single(RCopyRecord::IsShown, kShown);
    const QByteArray bytes = *ask.encode();
    const QString echoServer = folder + QStringLiteral("/echo.sock");

    std::vector<double> roundTrip, request, baseline;
    QElapsedTimer t;
    for (int i = 0; i < runs + 50; ++i) {
        const bool counted = i >= 50; // warm-up first
        t.start();
        const TInstanceLink::RSendResult r = TInstanceLink::SendRecord(*window, ask);
        const double a = t.nsecsElapsed() / 1e6;
        if (!r.reply || r.reply->param != 1) {
            std::fprintf(stderr, "bench_instances: no answer 1 from the window\n");
            return 1;
        }
        t.start();
        const std::optional<RWindowEntry> found = TInstanceLink::findWindow(kPicture);
        const TInstanceLink::RSendResult r2 =
            found ? TInstanceLink::SendRecord(*found, ask) : TInstanceLink::RSendResult();
        const double b = t.nsecsElapsed() / 1e6;
        if (!r2.reply || r2.reply->param != 1) {
            std::fprintf(stderr, "bench_instances: the lookup did not reach the window\n");
            return 1;
        }
        t.start();
        if (!echoOnce(echoServer, bytes)) {
            std::fprintf(stderr, "bench_instances: the echo failed\n");
            return 1;
        }
        const double c = t.nsecsElapsed() / 1e6;
        if (counted) {
            roundTrip.push_back(a);
            request.push_back(b);
            baseline.push_back(c);
        }
    }
    other.terminate();
    if (!other.waitForFinished(5000))
        other.kill();

    const double mTrip = median(roundTrip), mRequest = median(request), mBase = median(baseline);
    const bool met = mTrip <= 2.0;
    std::printf("messages between copies: %d runs, two processes (medians)\n", runs);
    std::printf("  kind 3 round trip            %8.4f ms   goal <= 2 ms   "
                "bare 840-byte echo %8.4f ms   ratio %.2fx\n",
                mTrip, mBase, mBase > 0 ? mTrip / mBase : 0.0);
    std::printf("  lookup by caption + round trip %6.4f ms                  ratio %.2fx\n",
                mRequest, mBase > 0 ? mRequest / mBase : 0.0);
    std::printf("  goals %s\n", met ? "met" : "MISSED");
    return met ? 0 : 2;
}
