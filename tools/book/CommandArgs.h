#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The arguments of one sub-command: positional values, options that take a
// value ("-o FILE", "--base DIR", "--base=DIR") and plain flags ("--raw").
// Unknown options and missing values are usage errors (ToolError, code 2).
class CommandArgs {
public:
    // `usage`: the command's one-line synopsis, quoted in usage errors.
    // `valueOptions`: option names that take a value, e.g. {"-o", "--base"};
    // `flags`: options without a value.
    CommandArgs(const QStringList& args, QString usage, const QStringList& valueOptions,
                const QStringList& flags = {});

    const QStringList& positional() const { return m_positional; }
    std::optional<QString> value(const QString& option) const;
    bool flag(const QString& option) const { return m_flags.contains(option); }

    // Usage error unless the number of positional values is in [min, max].
    void expectPositional(qsizetype min, qsizetype max) const;
    // The value of a required option (usage error when absent).
    QString required(const QString& option) const;

    // Throws a usage error: "<message> (usage: <synopsis>)".
    [[noreturn]] void usageError(const QString& message) const;

private:
    QString m_usage;
    QStringList m_positional;
    QList<QPair<QString, QString>> m_values;
    QStringList m_flags;
};
