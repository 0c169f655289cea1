#pragma once

#include "data/SettingsStore.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class BookPaths;

// One favourite: the page title when it was added, and the command that
// opens it again ("htmlpos=" + file + "=" + vertical position).
struct RFavoriteCaption {
    QString caption;
    QString command;

    bool operator==(const RFavoriteCaption&) const = default;
};
using TDynamicFavoriteCaption = QList<RFavoriteCaption>;

// The place a favourite command names.
struct RFavoritePlace {
    QString file;
    int position = 0;
};

// The reader's favourites: at most ten places, oldest first, kept in the
// book's settings as "Favorite0".."Favorite9" = "{caption}command". Loaded
// on creation; written back on save() and when the object goes away, so the
// settings are in step whenever the favourites popup is rebuilt.
class THtmlFavorite : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxCount = 10;

    // Loads the stored favourites of the book whose settings `store` names.
    explicit THtmlFavorite(const TSettingsStore& store, QObject* parent = nullptr);
    ~THtmlFavorite() override;

    const TDynamicFavoriteCaption& records() const { return m_records; }
    int count() const { return int(m_records.size()); }

    // Adds the place (page title, page file, vertical scroll position). Nothing
    // is added when a favourite already carries the title (letter case
    // ignored); an eleventh favourite drops the oldest. True when added.
    bool AddToFavorites(const QString& title, const QString& file, int position);
    // Removes favourite i; false (and nothing changes) for an invalid index.
    bool DeleteFavorite(int i);
    // Writes every favourite from slot 0 and deletes the slots after them.
    void save();

    // "{caption}command" and back. A text without "}" is all command; a "}"
    // without a "{" before it ends the caption.
    static RFavoriteCaption fromStored(const QString& value);
    static QString toStored(const RFavoriteCaption& record);

    // "htmlpos=" + file + "=" + position, and its reading: the file is the
    // text between the first and the last "=" (path-resolved when `paths` is
    // given), the position the number after the last "=" (0 when unreadable).
    // Empty for a text that is not a favourite command.
    static QString positionCommand(const QString& file, int position);
    static std::optional<RFavoritePlace> parsePositionCommand(const QString& command,
                                                              const BookPaths* paths = nullptr);

signals:
    // The list changed (added, dropped or deleted records); popups refill.
    void changed();

private:
    TSettingsStore m_store;
    TDynamicFavoriteCaption m_records;
};
