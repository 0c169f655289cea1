#include "engine/THtmlHistory.h"

#include "engine/TLinkPath.h"

THtmlHistory::THtmlHistory(QObject* parent) : QObject(parent) {}

void THtmlHistory::setMaxCount(int count) {
    m_maxCount = qMax(0, count);
    if (m_entries.size() <= m_maxCount)
        return;
    while (m_entries.size() > m_maxCount)
        m_entries.removeLast();
    m_index = qBound(0, m_index, qMax(0, int(m_entries.size()) - 1));
    emit changed();
}

THtmlHistoryEntry THtmlHistory::entry(int i) const {
    return i >= 0 && i < m_entries.size() ? m_entries[i] : THtmlHistoryEntry();
}

QStringList THtmlHistory::files() const {
    QStringList out;
    for (const THtmlHistoryEntry& e : m_entries)
        out << e.file;
    return out;
}

QStringList THtmlHistory::titles() const {
    QStringList out;
    for (const THtmlHistoryEntry& e : m_entries)
        out << e.title;
    return out;
}

int THtmlHistory::indexOf(const QString& file) const {
    for (int i = 0; i < m_entries.size(); ++i)
        if (linkpath::samePath(m_entries[i].file, file))
            return i;
    return -1;
}

void THtmlHistory::push(const THtmlHistoryEntry& e) {
    if (m_maxCount > 0) {
        // A new page drops the entries we had gone back from.
        while (m_index > 0 && !m_entries.isEmpty()) {
            m_entries.removeFirst();
            --m_index;
        }
        m_entries.prepend(e);
        while (m_entries.size() > m_maxCount)
            m_entries.removeLast();
    }
    m_index = 0;
    emit changed();
}

void THtmlHistory::setIndex(int i) {
    if (i < 0 || i >= m_entries.size() || i == m_index)
        return;
    m_index = i;
    emit changed();
}

void THtmlHistory::setPosition(int i, int position) {
    if (i >= 0 && i < m_entries.size())
        m_entries[i].position = position;
}

void THtmlHistory::clear() {
    if (m_entries.isEmpty() && m_index == 0)
        return;
    m_entries.clear();
    m_index = 0;
    emit changed();
}
