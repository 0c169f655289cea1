#pragma once

#include "data/AboutDescription.h"
#include "data/DialogDescription.h"
#include "data/StructModel.h"

#include <QJsonObject>

// The parsed description as JSON: the header keys at the top level,
// `screens` (0-based) with their buttons, switches and popups, and the
// process-wide element lists, each element carrying its 0-based `screen`.
// Every element object uses the description's own key names; integers are
// numbers, texts UTF-8 strings, colours r + 256*g + 65536*b, font styles bit
// sets, switch values booleans and lists arrays.
class StructJson {
public:
    static QJsonObject toJson(const StructModel& model);

    static QJsonObject button(const RBtn& b);
    static QJsonObject switchOne(const RSwthOne& s);
    static QJsonObject switchGroup(const RSwthGrp& s);
    static QJsonObject popup(const RPopupData& p);
    static QJsonObject html(const RHtml& h);
    static QJsonObject findText(const RFindTxt& f);
    static QJsonObject path(const RPath& p);
    static QJsonObject clip(const RClip& c);
    static QJsonObject text(const RText& t);
    static QJsonObject image(const RImage& i);
    static QJsonObject buttonTemplate(const RBtnTemplate& b);

    // Dialog.cfs: {"dialogs": [...]}, one object per dialog number (0-based)
    // with `picture`, `text` (the message style's keys), `buttons` (with
    // `align`, without caption keys) and `switchgrp`.
    static QJsonObject dialogs(const DialogDescription& description);

    // About.cfs: {"picture": the last one, "pictures": all in order,
    // "vertex": [[x, y], ...] or null, "texts", "buttons" (the
    // description's keys), "links": {vx, vy, target, shown, value}}.
    static QJsonObject about(const AboutDescription& description);
};
