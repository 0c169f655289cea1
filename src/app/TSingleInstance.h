#pragma once

#include <QString>

#include <memory>

class QLocalServer;

// One running copy per book: the first copy that takes a key holds it until
// it releases it or ends (however it ends, the system frees the key with the
// process, so a crashed copy never blocks the next start). Taking the key
// writes nothing to disk.
class TSingleInstance {
public:
    TSingleInstance();
    ~TSingleInstance();

    // The key of one book title within this user's temporary folder (two
    // books, or the same book under another temporary folder, do not meet).
    static QString keyFor(const QString& title);

    // False when another running copy holds `key`; else this copy now holds
    // it (or, when the system refuses the key for another reason, runs
    // without it: see holds()).
    bool tryTake(const QString& key);
    void release();
    bool holds() const;

private:
    std::unique_ptr<QLocalServer> m_server;
};
