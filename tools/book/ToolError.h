#pragma once

#include <QString>

// A failed command: one line for stderr and the exit code of the tool
// (1 for a failure, 2 for a usage error).
class ToolError {
public:
    enum Code { Failure = 1, Usage = 2 };

    explicit ToolError(QString message, int exitCode = Failure)
        : m_message(std::move(message)), m_exitCode(exitCode) {}

    const QString& message() const { return m_message; }
    int exitCode() const { return m_exitCode; }

private:
    QString m_message;
    int m_exitCode;
};
