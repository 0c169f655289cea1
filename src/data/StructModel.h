#pragma once

#include <QList>
#include <QPolygon>
#include <QString>
#include <QStringList>

// The book's configuration as read from Struct.cfs (and the reduced
// Tesaurus.cfs). Field names are the description's own keys. Integers never
// read stay 0, texts empty, switches false, lists empty; an integer key whose
// value cannot be read is -1. Colours are r + 256*g + 65536*b; font styles
// are bit sets (bold 1, italic 2, underline 4, strikeout 8).

// Button (kind 0). `right` and `bottom` are computed when the pictures load.
struct RBtn {
    int vx = 0, vy = 0;
    int right = 0, bottom = 0;
    QString textcaption;
    int texttx = 0, textty = 0, textbx = 0, textby = 0;
    QString textfontname;
    int textfontsize = 0;
    int textfontstyleup = 0, textfontstylemv = 0, textfontstyledn = 0;
    int textfontcolorup = 0, textfontcolormv = 0, textfontcolordn = 0;
    QString fn1, fn2, fn3; // normal, hover, pressed (pack entries)
    QString go;
    QString hint;
    QString wav;
    QString align; // dialog buttons only: "left", "middle", anything else right
};

// On/off switch (kind 1).
struct RSwthOne {
    int vx = 0, vy = 0;
    int right = 0, bottom = 0;
    QString fn1, fn2, fn3, fn4; // off, hover-off, hover-on, on
    bool state = false;         // `state` as described
    bool store = false;
    QString goup, godown; // path-resolved
    QString hint;
    QString wav;
    bool hover = false;
    bool on = false; // current state (from `state`, or the settings when stored)
    QString textcaptionup, textcaptiondn;
    int texttxup = 0, texttyup = 0, textbxup = 0, textbyup = 0;
    int texttxdn = 0, texttydn = 0, textbxdn = 0, textbydn = 0;
    QString textfontname;
    int textfontsize = 0;
    int textfontstyleup = 0, textfontstylemvup = 0, textfontstylemvdn = 0, textfontstyledn = 0;
    int textfontcolorup = 0, textfontcolormvup = 0, textfontcolormvdn = 0, textfontcolordn = 0;
};

// Group switch (kind 2): one of a group is on.
struct RSwthGrp {
    int vx = 0, vy = 0;
    int right = 0, bottom = 0;
    QString fn1, fn2, fn3, fn4;
    bool state = false;
    bool store = false;
    int group = 0;
    QString go; // path-resolved
    QString hint;
    QString wav;
    bool hover = false;
    bool on = false;
    QString textcaptionup, textcaptiondn;
    int texttx = 0, textty = 0, textbx = 0, textby = 0;
    QString textfontname;
    int textfontsize = 0;
    int textfontstyleup = 0, textfontstylemvup = 0, textfontstylemvdn = 0, textfontstyledn = 0;
    int textfontcolorup = 0, textfontcolormvup = 0, textfontcolormvdn = 0, textfontcolordn = 0;
};

// Popup (one per `_popup` element). `type`: -1 back history, -2 forward
// history, -3 favourites, -5 HTML context menu, others custom.
struct RPopupData {
    int xfon = 0, yfon = 0;
    QString fnfon;
    int xbtn = 0, ybtn = 0;
    QStringList fnbtnup, fnbtnmove, fnbtndown;
    QString fontup;
    int sizeup = 0;
    QString styleup;
    int colorup = 0;
    QString fontmv;
    int sizemv = 0;
    QString stylemv;
    int colormv = 0;
    QStringList caption;
    QStringList go;
    QString parent;
    int type = 0;
    QStringList vertex;
};

// Process-wide element rows; each carries the 0-based screen that declared it.
// For these kinds `vw` and `vh` are the right and bottom edges.
struct RHtml {
    int vx = 0, vy = 0, vw = 0, vh = 0;
    QString fn; // start page, path-resolved
    int number = 0;
    int screen = 0;
};
struct RFindTxt {
    int vx = 0, vy = 0, vw = 0, vh = 0;
    QString frame;
    QStringList nofiles;
    int number = 0;
    QString hint;
    int screen = 0;
};
struct RPath {
    int vx = 0, vy = 0, vw = 0, vh = 0;
    QString pathdef;
    QString hint;
    int screen = 0;
};
struct RClip {
    int vx = 0, vy = 0, vw = 0, vh = 0;
    int bgcolor = 0;
    int html = 0;
    int screen = 0;
};
struct RText {
    int vx = 0, vy = 0, vw = 0;
    QString font;
    int size = 0;
    QString style; // style words, as written
    int color = 0;
    QString value;
    QString ident;
    int number = 0;
    int screen = 0;
};
struct RImage {
    int vx = 0, vy = 0, vw = 0, vh = 0;
    QString dir; // path-resolved, trailing backslash added
    int screen = 0;
};

using TDynamicBtnArray = QList<RBtn>;
using TDynamicSwthOneArray = QList<RSwthOne>;
using TDynamicSwthGrpArray = QList<RSwthGrp>;
using TDynamicPopupArray = QList<RPopupData>;
using TDynamicHtmlArray = QList<RHtml>;
using TDynamicFindTxtArray = QList<RFindTxt>;
using TDynamicPathArray = QList<RPath>;
using TDynamicClipArray = QList<RClip>;
using TDynamicTextArray = QList<RText>;
using TDynamicImageArray = QList<RImage>;

// Template of the minimize and close buttons (header blocks).
struct RBtnTemplate {
    int vx = 0, vy = 0;
    QString fn1, fn2, fn3;
    QString hint;
    QString wav;
};

struct RHelpWin {
    int vw = 0, vh = 0;
    QString fn; // path-resolved
};

// One screen (index = screen number - 1).
struct RScreen {
    QString picture; // `_screen` value: pack entry of the skin picture
    TDynamicBtnArray buttons;
    TDynamicSwthOneArray switchone;
    TDynamicSwthGrpArray switchgrp;
    TDynamicPopupArray popups;
};

struct StructModel {
    // Header values.
    QString title; // first letter upper-cased
    QString codec;
    QString rolic;
    RHelpWin helpwin;
    QString background;
    QString icon;
    QStringList bgsounddef;
    QStringList vertexmain; // the items as read ("x,y")
    QPolygon outline;       // vertexmain as points
    RBtnTemplate minimize;  // command "minimize"
    RBtnTemplate close;     // command "exit"

    QList<RScreen> screens;

    TDynamicHtmlArray html;
    TDynamicFindTxtArray findtxt;
    TDynamicPathArray path;
    TDynamicClipArray clip;
    TDynamicTextArray text;
    TDynamicImageArray image;
};
