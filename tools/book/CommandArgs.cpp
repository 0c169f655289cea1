#include "CommandArgs.h"

#include "ToolError.h"

CommandArgs::CommandArgs(const QStringList& args, QString usage, const QStringList& valueOptions,
                         const QStringList& flags)
    : m_usage(std::move(usage)) {
    bool onlyPositional = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (onlyPositional || arg == QLatin1String("-") || !arg.startsWith(QLatin1Char('-'))) {
            m_positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            onlyPositional = true;
            continue;
        }
        QString name = arg;
        std::optional<QString> inlineValue;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 2) {
            name = arg.left(eq);
            inlineValue = arg.mid(eq + 1);
        }
        if (valueOptions.contains(name)) {
            if (value(name))
                usageError(QStringLiteral("option %1 given twice").arg(name));
            if (inlineValue) {
                m_values.append({name, *inlineValue});
            } else {
                if (i + 1 >= args.size())
                    usageError(QStringLiteral("option %1 needs a value").arg(name));
                m_values.append({name, args[++i]});
            }
        } else if (flags.contains(name) && !inlineValue) {
            if (!m_flags.contains(name))
                m_flags << name;
        } else {
            usageError(QStringLiteral("unknown option %1").arg(arg));
        }
    }
}

std::optional<QString> CommandArgs::value(const QString& option) const {
    for (const auto& [name, value] : m_values) {
        if (name == option)
            return value;
    }
    return std::nullopt;
}

void CommandArgs::expectPositional(qsizetype min, qsizetype max) const {
    if (m_positional.size() < min)
        usageError(QStringLiteral("missing argument"));
    if (m_positional.size() > max)
        usageError(QStringLiteral("unexpected argument '%1'").arg(m_positional[max]));
}

QString CommandArgs::required(const QString& option) const {
    const auto v = value(option);
    if (!v)
        usageError(QStringLiteral("missing option %1").arg(option));
    if (v->isEmpty())
        usageError(QStringLiteral("option %1 needs a non-empty value").arg(option));
    return *v;
}

void CommandArgs::usageError(const QString& message) const {
    throw ToolError(QStringLiteral("%1 (usage: vantrel-book %2)").arg(message, m_usage),
                    ToolError::Usage);
}
