#pragma once

#include <QObject>
#include <QString>

#include <atomic>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class THtmlDocument;

// Prepares long pages off the GUI thread: parses and lays out a document on
// a thread of its own and hands it back through finished(). Starting a new
// page cancels the one being prepared (its result is dropped and freed on
// its thread). Pages replaced by a new one can be freed here too.
//
// A document prepared here uses fonts and pictures of its own (the shared
// ones belong to the GUI thread); its animations start when it is taken.
class TPageLoader : public QObject {
    Q_OBJECT
public:
    explicit TPageLoader(QObject* parent = nullptr);
    // Waits for the threads still running (their pages are dropped).
    ~TPageLoader() override;

    // Starts preparing `doc` for a view of this size: reads the file `path`
    // into it (none: it is read already), parses it and lays it out.
    void start(std::unique_ptr<THtmlDocument> doc, const QString& path, int width, int height);
    // The same for a file read already: `bytes` are its contents.
    void start(std::unique_ptr<THtmlDocument> doc, const QString& path, QByteArray bytes, int width,
               int height);
    // Prepares `doc` by `work` on a thread of its own (a page taken from
    // another document and laid out for paper, ...).
    void start(std::unique_ptr<THtmlDocument> doc, std::function<void(THtmlDocument&)> work);
    bool isBusy() const { return m_current != nullptr; }
    // Whether the page being prepared is ready, waiting at most `ms` for it
    // (wait() then returns at once).
    bool isReady(int ms = 0) const;
    // Whether pages handed to dispose() are still being freed.
    bool isFreeing() const;
    // Drops the page being prepared.
    void cancel();
    // Waits for the page being prepared and returns it (null when none).
    std::unique_ptr<THtmlDocument> wait();
    // Frees a page on a thread (a long page takes a while to free); a page
    // that must be freed on the GUI thread (freesOffThread() false) is freed
    // at once.
    void dispose(std::unique_ptr<THtmlDocument> doc);
    // Whether `doc` can be freed on another thread: nothing of it belongs to
    // the GUI thread (running pictures, fonts of the shared pool).
    static bool freesOffThread(const THtmlDocument& doc);

    // Where a long page is cut for the first screen shown while the whole
    // page is prepared, at or after `from` characters: before a block outside
    // any table, else before a table row (a page that is one big table shows
    // the rows that fit), else before any tag; only the page's beginning is
    // searched (each search of a long text costs as much as the text).
    static int firstScreenCut(const QString& html, int from);
    // Before a table row at or after `from` characters; -1 when none.
    static int tableRowCut(const QString& html, int from);

signals:
    // The page being prepared is ready: take it with wait() (no waiting).
    void finished();

private:
    struct Job {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool cancelled = false;
        std::unique_ptr<THtmlDocument> doc;
    };
    void run(std::shared_ptr<Job> job, std::function<void(THtmlDocument&)>& work);
    void reap(bool all);

    std::shared_ptr<Job> m_current;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> over;
        bool freeing = false; // a page handed to dispose()
    };
    std::vector<Worker> m_workers;
};
