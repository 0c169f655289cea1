#pragma once

#include <QByteArray>
#include <QStringList>

// Runs the built vantrel-book and collects what it printed.
struct ToolResult {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
    // stderr as text, without the final line break.
    QString errorText() const { return QString::fromUtf8(err).trimmed(); }
    // True when stderr holds exactly one line.
    bool oneErrorLine() const;
};

class ToolRunner {
public:
    static ToolResult run(const QStringList& args, const QByteArray& input = QByteArray(),
                          const QString& workingDir = QString());
};
