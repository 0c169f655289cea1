#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

// A small book for the tests: a resource pack (Dod.dhl) with a description and
// solid-colour pictures, written into a folder.
//
// Screen 1 (skin 300 x 200, grey): button 0 at (20,20) "screen2=page.htm",
// switchone at (20,60) (goup "offtree", godown "ontree", stored), two stored
// group switches of group 1 at (20,100) "caseon" (on) and (60,100) "caseoff",
// a status-line text at (100,150), a path box from (100,170) to (290,188),
// then the minimize (250,5) and close (275,5) templates. Screen 2 (dark
// blue): a button at (20,20) with the command "1", an HTML pane from (10,50)
// to (290,190), and the two templates.
namespace testbook {

// Colours of the pictures (probes tell which one is on screen).
inline const QRgb skin1 = qRgb(128, 128, 128);
inline const QRgb skin2 = qRgb(0, 0, 96);
inline const QRgb btnNormal = qRgb(200, 0, 0);
inline const QRgb btnHover = qRgb(0, 200, 0);
inline const QRgb btnPressed = qRgb(0, 0, 200);
inline const QRgb swOff = qRgb(40, 40, 0);
inline const QRgb swHoverOff = qRgb(80, 80, 0);
inline const QRgb swHoverOn = qRgb(120, 120, 0);
inline const QRgb swOn = qRgb(160, 160, 0);

// `outline`: a vertexmain line ("vertexmain=[x,y;...]") or empty.
QStringList description(const QString& title, const QString& outline = QString());
QHash<QString, QImage> pictures();
// Writes Dod.dhl (with `description` as Struct.cfs unless it is empty) into
// `dir`. False with `error` filled on failure.
bool write(const QString& dir, const QStringList& description,
           const QHash<QString, QImage>& pictures, QString* error = nullptr);

} // namespace testbook
