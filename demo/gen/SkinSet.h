#pragma once

#include "data/StructModel.h"

#include <QImage>
#include <QMap>
#include <QString>

// Every picture of the resource pack: the screens' skins, the element
// pictures the descriptions name (each drawn over the part of the skin it
// covers, so its corners blend in), the dialogs, the about box, the search
// bar, the thesaurus window and the icon.
class SkinSet {
public:
    // `main`, `thesaurus`: the parsed descriptions that name the pictures.
    void build(const StructModel& main, const StructModel& thesaurus);

    // Pack entry name -> picture (written as BMP, the icon as ICO).
    const QMap<QString, QImage>& pictures() const { return m_pictures; }
    QImage icon() const { return m_icon; }

    static QImage cover(const QSize& size);
    static QImage reader(const QSize& size);
    static QImage thesaurusSkin(const QSize& size);

private:
    void addElements(const StructModel& model, const QMap<QString, QImage>& skins);
    void addElement(const QString& name, const QImage& skin, const QPoint& at, const QSize& size);
    void addDialogs();
    void addAbout();
    void addStatusBar();
    void addPopups();
    void addIcon();

    QMap<QString, QImage> m_pictures;
    QImage m_icon;
};
