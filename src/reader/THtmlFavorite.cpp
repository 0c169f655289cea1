#include "reader/THtmlFavorite.h"

#include "data/StringUtils.h"

namespace {

const QLatin1String kPositionVerb("htmlpos=");

} // namespace

THtmlFavorite::THtmlFavorite(const TSettingsStore& store, QObject* parent)
    : QObject(parent), m_store(store) {
    // readFavorites() skips missing, unreadable and empty slots.
    for (const QString& value : m_store.readFavorites()) {
        if (m_records.size() >= kMaxCount)
            break;
        m_records.append(fromStored(value));
    }
}

THtmlFavorite::~THtmlFavorite() {
    save();
}

bool THtmlFavorite::AddToFavorites(const QString& title, const QString& file, int position) {
    // A "}" in the title would end the stored caption early and spill the
    // rest of the title into the command: keep captions free of it.
    QString caption = title;
    caption.replace(QLatin1Char('}'), QLatin1Char(')'));
    for (const RFavoriteCaption& r : std::as_const(m_records))
        if (r.caption.compare(caption, Qt::CaseInsensitive) == 0)
            return false;
    if (m_records.size() >= kMaxCount)
        m_records.removeFirst();
    m_records.append({caption, positionCommand(file, position)});
    emit changed();
    return true;
}

bool THtmlFavorite::DeleteFavorite(int i) {
    if (i < 0 || i >= m_records.size())
        return false;
    m_records.removeAt(i);
    emit changed();
    return true;
}

void THtmlFavorite::save() {
    QStringList values;
    for (const RFavoriteCaption& r : std::as_const(m_records))
        values.append(toStored(r));
    m_store.writeFavorites(values);
}

RFavoriteCaption THtmlFavorite::fromStored(const QString& value) {
    const qsizetype close = value.indexOf(QLatin1Char('}'));
    if (close < 0)
        return {QString(), value};
    const qsizetype open = value.indexOf(QLatin1Char('{'));
    RFavoriteCaption r;
    r.caption =
        open >= 0 && open < close ? value.mid(open + 1, close - open - 1) : value.left(close);
    r.command = value.mid(close + 1);
    return r;
}

QString THtmlFavorite::toStored(const RFavoriteCaption& record) {
    return QLatin1Char('{') + record.caption + QLatin1Char('}') + record.command;
}

QString THtmlFavorite::positionCommand(const QString& file, int position) {
    return kPositionVerb + file + QLatin1Char('=') + QString::number(position);
}

std::optional<RFavoritePlace> THtmlFavorite::parsePositionCommand(const QString& command,
                                                                  const BookPaths* paths) {
    if (!command.startsWith(kPositionVerb, Qt::CaseInsensitive))
        return std::nullopt;
    RFavoritePlace place;
    place.file = cfs::valueOf(command, paths);
    const qsizetype last = command.lastIndexOf(QLatin1Char('='));
    if (last > command.indexOf(QLatin1Char('='))) {
        bool ok = false;
        const int position = command.mid(last + 1).trimmed().toInt(&ok);
        place.position = ok && position > 0 ? position : 0;
    }
    return place;
}
