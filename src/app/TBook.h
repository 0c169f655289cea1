#pragma once

#include "app/TSingleInstance.h"
#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "data/ROptions.h"
#include "data/StructModel.h"
#include "data/TReadBin.h"
#include "engine/TFileSource.h"

#include <QImage>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>
#include <optional>

class TSettingsStore;

// The book's services, without any window: paths, the content archive and
// the file source every page is read through, the resource pack with its
// description, the settings, the one-copy-per-book key and the registered
// fonts. The windows and the reader's parts use them; the reading parts
// (frame, trees, favourites) join them when a window builds its reading
// screen. One per process.
class TBook : public QObject {
    Q_OBJECT
public:
    explicit TBook(QObject* parent = nullptr);
    ~TBook() override;

    // Paths of the book in `baseDir` (made the program's current paths) and
    // its content archive; a damaged archive is named on stderr and the book
    // reads loose files only.
    void open(const QString& baseDir);
    // Dod.dhl of the base directory; false with a one-line reason.
    bool loadPack(QString* error);
    // A description entry of the pack, decoded (lower-cased when asked);
    // nothing when the pack does not hold it.
    std::optional<QStringList> description(const QString& entry, bool lower) const;
    // Struct.cfs, parsed into model(); false with a reason.
    bool readStruct(QString* error);
    // Tesaurus.cfs (the thesaurus window), parsed into model() with its own
    // grammar; its title ("Тезаурус" when it names none) keys the settings.
    bool readThesaurus(QString* error);
    // A picture of the pack; a null image when it is missing or damaged
    // (named once on stderr).
    QImage loadPicture(const QString& name) const;
    // The book's *.ttf files, usable by this program until unregisterFonts().
    void registerFonts();
    void unregisterFonts();

    const BookPaths& paths() const { return m_paths; }
    const ContentArchive& archive() const { return m_archive; }
    const TFileSource& files() const { return m_files; }
    const TReadBin& pack() const { return m_pack; }
    StructModel& model() { return m_model; }
    const StructModel& model() const { return m_model; }
    const QString& title() const { return m_model.title; }
    // Present once the title is known (after readStruct, or set by a mode
    // without a description).
    TSettingsStore* settings() const { return m_settings.get(); }
    void openSettings(const QString& title);
    // The program-wide settings (read at start by the options window).
    ROptions& options() { return m_options; }
    const ROptions& options() const { return m_options; }
    TSingleInstance& instance() { return m_instance; }
    const QStringList& registeredFonts() const { return m_fontFiles; }
    // A path text on disk: found without regard to letter case, else as written.
    QString nativeOf(const QString& pathText) const;

private:
    BookPaths m_paths;
    ContentArchive m_archive;
    TArchiveSource m_files{m_archive};
    TReadBin m_pack;
    StructModel m_model;
    std::unique_ptr<TSettingsStore> m_settings;
    ROptions m_options;
    TSingleInstance m_instance;
    QList<int> m_fontIds;
    // Pictures already named on stderr as missing or undecodable.
    mutable QSet<QString> m_picturesNamed;
    QStringList m_fontFiles;
};
