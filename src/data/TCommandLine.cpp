#include "data/TCommandLine.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QLatin1String kThesaurusMark("/t");
const QLatin1String kHelpSwitch(" /h");
const QLatin1String kThesaurusSwitch(" /t");

} // namespace

QString TCommandLine::rawText(const QString& program, const QStringList& args) {
    auto quoted = [](const QString& a) {
        return a.isEmpty() || a.contains(QLatin1Char(' ')) ? QLatin1Char('"') + a + QLatin1Char('"')
                                                           : a;
    };
    QString raw = quoted(program);
    for (const QString& a : args)
        raw += QLatin1Char(' ') + quoted(a);
    return raw;
}

QString TCommandLine::parameters(const QString& raw, const QString& program) {
    if (raw.startsWith(QLatin1Char('"'))) {
        const qsizetype end = raw.indexOf(QLatin1String("\" "));
        return end < 0 ? QString() : raw.mid(end + 2);
    }
    return raw.mid(program.size());
}

QString TCommandLine::document(const QString& parameters, const QString& modeSwitch, bool* found) {
    QString rest = parameters;
    rest.remove(QLatin1Char('"'));
    rest = rest.trimmed();
    *found = rest.contains(modeSwitch);
    if (*found) {
        rest.remove(modeSwitch);
        rest = rest.trimmed();
    }
    return rest;
}

TCommandLine TCommandLine::parse(const QString& raw, const QString& program) {
    TCommandLine cl;
    const QString params = parameters(raw, program);
    cl.m_commandLineMode = !params.trimmed().isEmpty();
    cl.m_thesaurus = params.contains(kThesaurusMark);
    bool found = false;
    cl.m_document = document(params, cl.m_thesaurus ? kThesaurusSwitch : kHelpSwitch, &found);
    cl.m_help = found && !cl.m_thesaurus;
    return cl;
}

TCommandLine TCommandLine::fromArguments(const QString& program, const QStringList& args,
                                         const std::function<bool(const QString&)>& exists) {
    TCommandLine cl;
    cl.m_commandLineMode = !args.isEmpty();
    cl.m_thesaurus = std::any_of(args.begin(), args.end(), [&](const QString& a) {
        return a.contains(kThesaurusMark) && !(exists && exists(a));
    });
    bool found = false;
    const QString params = parameters(rawText(program, args), program);
    cl.m_document = document(params, cl.m_thesaurus ? kThesaurusSwitch : kHelpSwitch, &found);
    cl.m_help = found && !cl.m_thesaurus;
    return cl;
}

bool TCommandLine::defaultExists(const QString& path) {
    return QFileInfo::exists(path);
}
