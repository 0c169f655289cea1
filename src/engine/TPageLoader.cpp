#include "engine/TPageLoader.h"

#include "engine/THtmlDocument.h"
#include "engine/TQtContainer.h"

#include <QPointer>
#include <QRegularExpression>

#include <atomic>
#include <chrono>

TPageLoader::TPageLoader(QObject* parent) : QObject(parent) {}

TPageLoader::~TPageLoader() {
    cancel();
    reap(true);
}

void TPageLoader::start(std::unique_ptr<THtmlDocument> doc, const QString& path, int width,
                        int height) {
    start(std::move(doc), path, QByteArray(), width, height);
}

void TPageLoader::start(std::unique_ptr<THtmlDocument> doc, const QString& path, QByteArray bytes,
                        int width, int height) {
    start(std::move(doc), [path, bytes = std::move(bytes), width,
                           height](THtmlDocument& d) mutable {
        const bool read = path.isEmpty() || (bytes.isNull() ? d.read(path) : d.decode(path, bytes));
        bytes = QByteArray(); // decoded: not kept through the parse
        if (read) {
            d.parse();
            d.layout(width, height);
        }
    });
}

void TPageLoader::start(std::unique_ptr<THtmlDocument> doc,
                        std::function<void(THtmlDocument&)> work) {
    cancel();
    reap(false);
    auto job = std::make_shared<Job>();
    job->doc = std::move(doc);
    job->doc->setOwnResources(true);
    m_current = job;
    // The flag is set by the worker as its last act; reap() joins the
    // threads that set it.
    auto over = std::make_shared<std::atomic<bool>>(false);
    Worker w;
    w.over = over;
    w.thread = std::thread([this, job, work = std::move(work), over]() mutable {
        run(job, work);
        *over = true;
    });
    m_workers.push_back(std::move(w));
}

void TPageLoader::run(std::shared_ptr<Job> job, std::function<void(THtmlDocument&)>& work) {
    bool cancelled;
    {
        std::lock_guard lock(job->mutex);
        cancelled = job->cancelled;
    }
    if (!cancelled)
        work(*job->doc);
    work = nullptr; // what it holds goes with the work
    std::unique_ptr<THtmlDocument> dropped;
    {
        std::lock_guard lock(job->mutex);
        job->finished = true;
        if (job->cancelled)
            dropped = std::move(job->doc);
    }
    job->done.notify_all();
    dropped.reset();
    if (!cancelled)
        QMetaObject::invokeMethod(
            this,
            [this, job] {
                if (job == m_current)
                    emit finished();
            },
            Qt::QueuedConnection);
}

bool TPageLoader::isReady(int ms) const {
    if (!m_current)
        return false;
    std::unique_lock lock(m_current->mutex);
    return m_current->done.wait_for(lock, std::chrono::milliseconds(ms),
                                    [&] { return m_current->finished; });
}

void TPageLoader::cancel() {
    if (!m_current)
        return;
    std::unique_ptr<THtmlDocument> dropped;
    {
        std::lock_guard lock(m_current->mutex);
        m_current->cancelled = true;
        // Already prepared: free it with the others replaced.
        if (m_current->finished)
            dropped = std::move(m_current->doc);
    }
    m_current.reset();
    if (dropped)
        dispose(std::move(dropped));
}

std::unique_ptr<THtmlDocument> TPageLoader::wait() {
    if (!m_current)
        return nullptr;
    std::shared_ptr<Job> job = std::move(m_current);
    std::unique_lock lock(job->mutex);
    job->done.wait(lock, [&] { return job->finished; });
    std::unique_ptr<THtmlDocument> doc = std::move(job->doc);
    lock.unlock();
    if (doc) {
        doc->setOwnResources(false);
        if (doc->container())
            doc->container()->startAnimations();
    }
    return doc;
}

void TPageLoader::dispose(std::unique_ptr<THtmlDocument> doc) {
    if (!doc)
        return;
    if (!freesOffThread(*doc))
        return;
    reap(false);
    auto over = std::make_shared<std::atomic<bool>>(false);
    Worker w;
    w.over = over;
    w.freeing = true;
    THtmlDocument* raw = doc.release();
    w.thread = std::thread([raw, over] {
        delete raw;
        *over = true;
    });
    m_workers.push_back(std::move(w));
}

bool TPageLoader::isFreeing() const {
    for (const Worker& w : m_workers)
        if (w.freeing && !*w.over)
            return true;
    return false;
}

bool TPageLoader::freesOffThread(const THtmlDocument& doc) {
    // Running pictures belong to the GUI thread, and a page on the shared
    // font pool gives its fonts back there. A page prepared here keeps its
    // own fonts once taken, so it goes to a thread too.
    const TQtContainer* c = doc.container();
    return c && !c->hasAnimations() && c->ownsFonts();
}

void TPageLoader::reap(bool all) {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (all || *it->over) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

int TPageLoader::firstScreenCut(const QString& html, int from) {
    const QString head = html.left(from * 2);
    int cut = THtmlDocument::firstScreenCut(head, from);
    if (cut < 0)
        cut = tableRowCut(head, from);
    if (cut < 0)
        cut = int(head.indexOf(QLatin1Char('<'), from));
    if (cut < 0 && head.size() < html.size() && html.indexOf(QLatin1Char('<'), from) < 0)
        cut = from; // no markup left: text can be cut anywhere
    return cut;
}

int TPageLoader::tableRowCut(const QString& html, int from) {
    static const QRegularExpression row(QStringLiteral("<tr[\\s>]"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (from >= html.size())
        return -1;
    // Not inside a comment or a script.
    const int comment = html.lastIndexOf(QLatin1String("<!--"), from);
    if (comment >= 0 && html.indexOf(QLatin1String("-->"), comment) > from)
        from = html.indexOf(QLatin1String("-->"), comment);
    const QRegularExpressionMatch m = row.match(html, from);
    return m.hasMatch() ? int(m.capturedStart()) : -1;
}
