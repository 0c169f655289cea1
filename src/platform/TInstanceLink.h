#pragma once

#include "platform/RCopyRecord.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;
class QWidget;

// One top-level window of a running copy as the other copies see it.
struct RWindowEntry {
    QString id;      // the window's handle: "<process id>-<serial>"
    qint64 pid = 0;  // the process that owns it
    QString caption; // its caption as the user sees it
    bool visible = false;
    qint64 activated = 0; // activation stamp, larger is more recent
    QString server;       // the local server that takes its records
};

// What a receiver answers a request with: the message numbers of the
// desktop's user messages, carried back on the request's own connection.
struct RReplyFrame {
    enum Message : quint16 {
        Done = 0,          // handled, nothing to say
        ShownReply = 1225, // kind 3: param 1 the document is shown, 0 not
        PageShown = 1690,  // kind 0: handle is the receiver's window
    };
    quint16 message = Done;
    qint32 param = 0;
    QString handle;
};

// Messages between running copies of the program.
//
// Every top-level window that takes part owns one link. The link registers
// the window (caption, visible flag, activation order, server name) as a file
// in a per-user runtime folder that only the user can read, and serves a
// local socket in that folder. Lookups by caption read the folder, drop the
// entries of processes that ended, and walk the visible windows with a
// caption, most recently activated first. A record travels byte for byte to
// the window's socket and the sender waits for the reply on the same
// connection, at most 10 x 50 ms; a copy that does not answer costs half a
// second and nothing more.
//
// Another platform can put its own mechanism behind the same calls (the
// system's copy-data message and a window enumeration on Windows).
class TInstanceLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kWaitSteps = 10;
    static constexpr int kWaitStepMs = 50;
    static constexpr int kWaitMs = kWaitSteps * kWaitStepMs;
    static constexpr int kCaptionChars = 127;

    explicit TInstanceLink(QObject* parent = nullptr);
    // Unregisters the window and closes its server.
    ~TInstanceLink() override;

    // Serves records and registers the window. False (one line on stderr)
    // when the folder or the server cannot be made: the window then simply
    // cannot be reached.
    bool open(const QString& caption, bool visible);
    void close();
    bool isOpen() const;
    QString id() const { return m_entry.id; }
    const RWindowEntry& entry() const { return m_entry; }

    void setCaption(const QString& caption);
    void setVisible(bool visible);
    void markActivated();
    // Follows a top-level widget: its caption, its being shown or hidden,
    // its activation.
    void follow(QWidget* window);

    // The receiver's handlers, run on the link's thread while the sender
    // waits. Unset: records are taken and answered with Done; close requests
    // are acknowledged and nothing else happens.
    std::function<RReplyFrame(const RCopyRecord& record)> onRecord;
    std::function<void()> onCloseRequest;

    // The per-user folder of the registry and the sockets (made with mode
    // 0700 when missing; empty with one line on stderr when it cannot be made
    // or belongs to someone else). Tests may put it elsewhere.
    static QString folder();
    static void setFolder(const QString& path);

    // Every registered window of a live process, most recently activated
    // first; entries of ended processes are removed on the way.
    static QList<RWindowEntry> windows();
    // The visible windows with a non-empty caption that matches `caption`.
    static QList<RWindowEntry> findWindows(const QString& caption);
    static std::optional<RWindowEntry> findWindow(const QString& caption);
    // The first 127 characters of `caption` equal `title`, ignoring case.
    static bool captionMatches(const QString& caption, const QString& title);
    // True for a window of this process.
    static bool isOwn(const RWindowEntry& entry);
    // True while process `pid` runs (one that ended and waits to be reaped
    // does not).
    static bool processAlive(qint64 pid);
    // True for a window served on the calling thread (the caller's own).
    static bool isLocal(const RWindowEntry& entry);

    struct RSendResult {
        bool delivered = false; // the receiver took the whole record
        std::optional<RReplyFrame> reply;
    };
    // Sends `record` and waits for the reply (at most `waitMs`). A record
    // that does not encode is not sent (one line on stderr).
    static RSendResult SendRecord(const RWindowEntry& target, const RCopyRecord& record,
                                  int waitMs = kWaitMs);
    // Finds the window by caption first and sends only when there is one.
    static RSendResult SendRecord(const QString& caption, const RCopyRecord& record,
                                  int waitMs = kWaitMs);
    // Asks the window to close; true when it acknowledged within `waitMs`.
    static bool requestClose(const RWindowEntry& target, int waitMs = kWaitMs);

private:
    enum class Request : char { Record = 'R', Close = 'C' };

    static RSendResult exchange(const RWindowEntry& target, Request type, const QByteArray& payload,
                                int waitMs);
    RReplyFrame handle(Request type, const QByteArray& payload, bool* ok);
    void onConnection();
    void onReadable(QLocalSocket* socket);
    void writeEntry();
    static TInstanceLink* ownLink(const QString& id);

    std::unique_ptr<QLocalServer> m_server;
    RWindowEntry m_entry;
    QHash<QLocalSocket*, QByteArray> m_pending;
    QPointer<QWidget> m_followed;

    bool eventFilter(QObject* watched, QEvent* e) override;
};
