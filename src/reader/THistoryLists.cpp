#include "reader/THistoryLists.h"

namespace {

const QLatin1String kHistoryVerb("history=");

RHistoryItem popupItem(const RHistory& h, int n) {
    return {THistoryLists::popupCaption(h, n), THistoryLists::historyCommand(n), n, true};
}

RHistoryItem menuItem(const RHistory& h, int n) {
    return {THistoryLists::menuCaption(h, n), QString(), n, true};
}

// Entries index+1 .. index+span that exist, top down from item 0.
template <typename Make>
QList<RHistoryItem> backward(const RHistory& h, int span, int items, Make make) {
    QList<RHistoryItem> list(items);
    if (!h.valid())
        return list;
    int item = 0;
    for (int n = h.index + 1; n <= h.index + span && n < h.count() && item < items; ++n)
        list[item++] = make(h, n);
    return list;
}

// Entries index-span .. index-1 that exist, in increasing n, from the last
// item upwards.
template <typename Make>
QList<RHistoryItem> forward(const RHistory& h, int span, int items, Make make) {
    QList<RHistoryItem> list(items);
    if (!h.valid())
        return list;
    int item = items - 1;
    for (int n = std::max(0, h.index - span); n < h.index && item >= 0; ++n)
        list[item--] = make(h, n);
    return list;
}

} // namespace

QList<RHistoryItem> THistoryLists::backPopup(const RHistory& h) {
    return backward(h, kPopupItems, kPopupItems, popupItem);
}

QList<RHistoryItem> THistoryLists::forwardPopup(const RHistory& h) {
    return forward(h, kPopupItems, kPopupItems, popupItem);
}

QList<RHistoryItem> THistoryLists::backMenu(const RHistory& h) {
    return backward(h, kMenuItems, kMenuItems, menuItem);
}

QList<RHistoryItem> THistoryLists::forwardMenu(const RHistory& h) {
    return forward(h, kMenuItems, kMenuItems, menuItem);
}

QString THistoryLists::popupCaption(const RHistory& h, int n) {
    const QString title = h.title(n);
    if (title.isEmpty())
        return QStringLiteral("Без названия");
    return title.left(kCaptionLength);
}

QString THistoryLists::menuCaption(const RHistory& h, int n) {
    const QString file = n >= 0 && n < h.count() ? h.files.at(n) : QString();
    const QString title = h.title(n);
    const QString caption = title.isEmpty() ? file : title + QLatin1String("--") + file;
    return caption.left(kCaptionLength);
}

QString THistoryLists::historyCommand(int n) {
    return kHistoryVerb + QString::number(n);
}

std::optional<int> THistoryLists::parseHistoryCommand(const QString& command, int count) {
    if (!command.startsWith(kHistoryVerb, Qt::CaseInsensitive))
        return std::nullopt;
    bool ok = false;
    const int n = command.mid(kHistoryVerb.size()).trimmed().toInt(&ok);
    if (!ok || n < 0 || (count >= 0 && n >= count))
        return std::nullopt;
    return n;
}
