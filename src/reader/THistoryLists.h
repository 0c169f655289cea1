#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A viewer's history as plain data: files and titles newest first (entry 0
// is the newest), and the index of the entry shown. Entries below the index
// are forward entries, those above it back entries.
struct RHistory {
    QStringList files;
    QStringList titles;
    int index = 0;

    int count() const { return int(files.size()); }
    bool valid() const { return index >= 0 && index < count(); }
    QString title(int n) const { return n >= 0 && n < titles.size() ? titles.at(n) : QString(); }
    bool backEnabled() const { return valid() && index + 1 < count(); }
    bool forwardEnabled() const { return valid() && index > 0; }
};

// One item of a history popup or history menu. `entry` is the history entry
// it leads to (the popup command's number, the menu item's tag), -1 when
// hidden.
struct RHistoryItem {
    QString caption;
    QString command;
    int entry = -1;
    bool visible = false;
};

// What the history popups and the standard window's history menus show.
class THistoryLists {
public:
    static constexpr int kPopupItems = 8;
    static constexpr int kMenuItems = 7;
    static constexpr int kCaptionLength = 80;

    // Back popup: entries index+1 .. index+8 in items 0, 1, ...; the nearest
    // back entry on top. Always kPopupItems items, the unused ones hidden.
    static QList<RHistoryItem> backPopup(const RHistory& h);
    // Forward popup: entries index-8 .. index-1 in items 7, 6, ... from the
    // bottom up, so the nearest forward entry is the top visible item.
    static QList<RHistoryItem> forwardPopup(const RHistory& h);

    // The standard window's Back menu: entries index+1 .. index+7 in items
    // 0..6, captioned with the file, or title + "--" + file.
    static QList<RHistoryItem> backMenu(const RHistory& h);
    // Its Forward menu: items 7..13 (element k is item 7 + k); entries
    // index-7 .. index-1 fill items 13, 12, ... from the bottom up.
    static QList<RHistoryItem> forwardMenu(const RHistory& h);

    // Popup caption of entry n: the title cut to 80 characters, or
    // "Без названия" for a page without a title.
    static QString popupCaption(const RHistory& h, int n);
    // Menu caption of entry n.
    static QString menuCaption(const RHistory& h, int n);

    // "history=" + n; empty unless n is a non-negative number (and, when
    // `count` is given, below it).
    static QString historyCommand(int n);
    static std::optional<int> parseHistoryCommand(const QString& command, int count = -1);
};
