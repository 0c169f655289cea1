#include "StructJson.h"

#include <QJsonArray>

namespace {

QJsonArray strings(const QStringList& list) {
    QJsonArray array;
    for (const QString& s : list)
        array.append(s);
    return array;
}

template <typename T, typename F> QJsonArray rows(const QList<T>& list, F toJson) {
    QJsonArray array;
    for (const T& row : list)
        array.append(toJson(row));
    return array;
}

} // namespace

QJsonObject StructJson::toJson(const StructModel& m) {
    QJsonObject o;
    o[QStringLiteral("title")] = m.title;
    o[QStringLiteral("codec")] = m.codec;
    o[QStringLiteral("rolic")] = m.rolic;
    o[QStringLiteral("helpwin")] = QJsonObject{{QStringLiteral("vw"), m.helpwin.vw},
                                               {QStringLiteral("vh"), m.helpwin.vh},
                                               {QStringLiteral("fn"), m.helpwin.fn}};
    o[QStringLiteral("background")] = m.background;
    o[QStringLiteral("icon")] = m.icon;
    o[QStringLiteral("bgsounddef")] = strings(m.bgsounddef);
    QJsonArray vertex;
    for (const QPoint& p : m.outline)
        vertex.append(QJsonArray{p.x(), p.y()});
    o[QStringLiteral("vertexmain")] = vertex;
    o[QStringLiteral("minimize")] = buttonTemplate(m.minimize);
    o[QStringLiteral("close")] = buttonTemplate(m.close);

    QJsonArray screens;
    for (const RScreen& s : m.screens) {
        screens.append(QJsonObject{
            {QStringLiteral("picture"), s.picture},
            {QStringLiteral("buttons"), rows(s.buttons, button)},
            {QStringLiteral("switchone"), rows(s.switchone, switchOne)},
            {QStringLiteral("switchgrp"), rows(s.switchgrp, switchGroup)},
            {QStringLiteral("popups"), rows(s.popups, popup)},
        });
    }
    o[QStringLiteral("screens")] = screens;

    o[QStringLiteral("html")] = rows(m.html, html);
    o[QStringLiteral("findtxt")] = rows(m.findtxt, findText);
    o[QStringLiteral("path")] = rows(m.path, path);
    o[QStringLiteral("clip")] = rows(m.clip, clip);
    o[QStringLiteral("text")] = rows(m.text, text);
    o[QStringLiteral("image")] = rows(m.image, image);
    return o;
}

QJsonObject StructJson::button(const RBtn& b) {
    return QJsonObject{
        {QStringLiteral("vx"), b.vx},
        {QStringLiteral("vy"), b.vy},
        {QStringLiteral("fn1"), b.fn1},
        {QStringLiteral("fn2"), b.fn2},
        {QStringLiteral("fn3"), b.fn3},
        {QStringLiteral("go"), b.go},
        {QStringLiteral("hint"), b.hint},
        {QStringLiteral("wav"), b.wav},
        {QStringLiteral("textcaption"), b.textcaption},
        {QStringLiteral("texttx"), b.texttx},
        {QStringLiteral("textty"), b.textty},
        {QStringLiteral("textbx"), b.textbx},
        {QStringLiteral("textby"), b.textby},
        {QStringLiteral("textfontname"), b.textfontname},
        {QStringLiteral("textfontsize"), b.textfontsize},
        {QStringLiteral("textfontstyleup"), b.textfontstyleup},
        {QStringLiteral("textfontstylemv"), b.textfontstylemv},
        {QStringLiteral("textfontstyledn"), b.textfontstyledn},
        {QStringLiteral("textfontcolorup"), b.textfontcolorup},
        {QStringLiteral("textfontcolormv"), b.textfontcolormv},
        {QStringLiteral("textfontcolordn"), b.textfontcolordn},
    };
}

QJsonObject StructJson::switchOne(const RSwthOne& s) {
    return QJsonObject{
        {QStringLiteral("vx"), s.vx},
        {QStringLiteral("vy"), s.vy},
        {QStringLiteral("fn1"), s.fn1},
        {QStringLiteral("fn2"), s.fn2},
        {QStringLiteral("fn3"), s.fn3},
        {QStringLiteral("fn4"), s.fn4},
        {QStringLiteral("state"), s.state},
        {QStringLiteral("store"), s.store},
        {QStringLiteral("goup"), s.goup},
        {QStringLiteral("godown"), s.godown},
        {QStringLiteral("hint"), s.hint},
        {QStringLiteral("wav"), s.wav},
        {QStringLiteral("textcaptionup"), s.textcaptionup},
        {QStringLiteral("textcaptiondn"), s.textcaptiondn},
        {QStringLiteral("texttxup"), s.texttxup},
        {QStringLiteral("texttyup"), s.texttyup},
        {QStringLiteral("textbxup"), s.textbxup},
        {QStringLiteral("textbyup"), s.textbyup},
        {QStringLiteral("texttxdn"), s.texttxdn},
        {QStringLiteral("texttydn"), s.texttydn},
        {QStringLiteral("textbxdn"), s.textbxdn},
        {QStringLiteral("textbydn"), s.textbydn},
        {QStringLiteral("textfontname"), s.textfontname},
        {QStringLiteral("textfontsize"), s.textfontsize},
        {QStringLiteral("textfontstyleup"), s.textfontstyleup},
        {QStringLiteral("textfontstylemvup"), s.textfontstylemvup},
        {QStringLiteral("textfontstylemvdn"), s.textfontstylemvdn},
        {QStringLiteral("textfontstyledn"), s.textfontstyledn},
        {QStringLiteral("textfontcolorup"), s.textfontcolorup},
        {QStringLiteral("textfontcolormvup"), s.textfontcolormvup},
        {QStringLiteral("textfontcolormvdn"), s.textfontcolormvdn},
        {QStringLiteral("textfontcolordn"), s.textfontcolordn},
    };
}

QJsonObject StructJson::switchGroup(const RSwthGrp& s) {
    return QJsonObject{
        {QStringLiteral("vx"), s.vx},
        {QStringLiteral("vy"), s.vy},
        {QStringLiteral("fn1"), s.fn1},
        {QStringLiteral("fn2"), s.fn2},
        {QStringLiteral("fn3"), s.fn3},
        {QStringLiteral("fn4"), s.fn4},
        {QStringLiteral("state"), s.state},
        {QStringLiteral("store"), s.store},
        {QStringLiteral("group"), s.group},
        {QStringLiteral("go"), s.go},
        {QStringLiteral("hint"), s.hint},
        {QStringLiteral("wav"), s.wav},
        {QStringLiteral("textcaptionup"), s.textcaptionup},
        {QStringLiteral("textcaptiondn"), s.textcaptiondn},
        {QStringLiteral("texttx"), s.texttx},
        {QStringLiteral("textty"), s.textty},
        {QStringLiteral("textbx"), s.textbx},
        {QStringLiteral("textby"), s.textby},
        {QStringLiteral("textfontname"), s.textfontname},
        {QStringLiteral("textfontsize"), s.textfontsize},
        {QStringLiteral("textfontstyleup"), s.textfontstyleup},
        {QStringLiteral("textfontstylemvup"), s.textfontstylemvup},
        {QStringLiteral("textfontstylemvdn"), s.textfontstylemvdn},
        {QStringLiteral("textfontstyledn"), s.textfontstyledn},
        {QStringLiteral("textfontcolorup"), s.textfontcolorup},
        {QStringLiteral("textfontcolormvup"), s.textfontcolormvup},
        {QStringLiteral("textfontcolormvdn"), s.textfontcolormvdn},
        {QStringLiteral("textfontcolordn"), s.textfontcolordn},
    };
}

QJsonObject StructJson::popup(const RPopupData& p) {
    return QJsonObject{
        {QStringLiteral("xfon"), p.xfon},
        {QStringLiteral("yfon"), p.yfon},
        {QStringLiteral("fnfon"), p.fnfon},
        {QStringLiteral("xbtn"), p.xbtn},
        {QStringLiteral("ybtn"), p.ybtn},
        {QStringLiteral("fnbtnup"), strings(p.fnbtnup)},
        {QStringLiteral("fnbtnmove"), strings(p.fnbtnmove)},
        {QStringLiteral("fnbtndown"), strings(p.fnbtndown)},
        {QStringLiteral("fontup"), p.fontup},
        {QStringLiteral("sizeup"), p.sizeup},
        {QStringLiteral("styleup"), p.styleup},
        {QStringLiteral("colorup"), p.colorup},
        {QStringLiteral("fontmv"), p.fontmv},
        {QStringLiteral("sizemv"), p.sizemv},
        {QStringLiteral("stylemv"), p.stylemv},
        {QStringLiteral("colormv"), p.colormv},
        {QStringLiteral("caption"), strings(p.caption)},
        {QStringLiteral("go"), strings(p.go)},
        {QStringLiteral("parent"), p.parent},
        {QStringLiteral("type"), p.type},
        {QStringLiteral("vertex"), strings(p.vertex)},
    };
}

QJsonObject StructJson::html(const RHtml& h) {
    return QJsonObject{
        {QStringLiteral("vx"), h.vx},         {QStringLiteral("vy"), h.vy},
        {QStringLiteral("vw"), h.vw},         {QStringLiteral("vh"), h.vh},
        {QStringLiteral("fn"), h.fn},         {QStringLiteral("number"), h.number},
        {QStringLiteral("screen"), h.screen},
    };
}

QJsonObject StructJson::findText(const RFindTxt& f) {
    return QJsonObject{
        {QStringLiteral("vx"), f.vx},         {QStringLiteral("vy"), f.vy},
        {QStringLiteral("vw"), f.vw},         {QStringLiteral("vh"), f.vh},
        {QStringLiteral("frame"), f.frame},   {QStringLiteral("nofiles"), strings(f.nofiles)},
        {QStringLiteral("number"), f.number}, {QStringLiteral("hint"), f.hint},
        {QStringLiteral("screen"), f.screen},
    };
}

QJsonObject StructJson::path(const RPath& p) {
    return QJsonObject{
        {QStringLiteral("vx"), p.vx},           {QStringLiteral("vy"), p.vy},
        {QStringLiteral("vw"), p.vw},           {QStringLiteral("vh"), p.vh},
        {QStringLiteral("pathdef"), p.pathdef}, {QStringLiteral("hint"), p.hint},
        {QStringLiteral("screen"), p.screen},
    };
}

QJsonObject StructJson::clip(const RClip& c) {
    return QJsonObject{
        {QStringLiteral("vx"), c.vx},           {QStringLiteral("vy"), c.vy},
        {QStringLiteral("vw"), c.vw},           {QStringLiteral("vh"), c.vh},
        {QStringLiteral("bgcolor"), c.bgcolor}, {QStringLiteral("html"), c.html},
        {QStringLiteral("screen"), c.screen},
    };
}

QJsonObject StructJson::text(const RText& t) {
    return QJsonObject{
        {QStringLiteral("vx"), t.vx},         {QStringLiteral("vy"), t.vy},
        {QStringLiteral("vw"), t.vw},         {QStringLiteral("font"), t.font},
        {QStringLiteral("size"), t.size},     {QStringLiteral("style"), t.style},
        {QStringLiteral("color"), t.color},   {QStringLiteral("value"), t.value},
        {QStringLiteral("ident"), t.ident},   {QStringLiteral("number"), t.number},
        {QStringLiteral("screen"), t.screen},
    };
}

QJsonObject StructJson::image(const RImage& i) {
    return QJsonObject{
        {QStringLiteral("vx"), i.vx},   {QStringLiteral("vy"), i.vy},
        {QStringLiteral("vw"), i.vw},   {QStringLiteral("vh"), i.vh},
        {QStringLiteral("dir"), i.dir}, {QStringLiteral("screen"), i.screen},
    };
}

QJsonObject StructJson::buttonTemplate(const RBtnTemplate& b) {
    return QJsonObject{
        {QStringLiteral("vx"), b.vx},   {QStringLiteral("vy"), b.vy},
        {QStringLiteral("fn1"), b.fn1}, {QStringLiteral("fn2"), b.fn2},
        {QStringLiteral("fn3"), b.fn3}, {QStringLiteral("hint"), b.hint},
        {QStringLiteral("wav"), b.wav},
    };
}

QJsonObject StructJson::dialogs(const DialogDescription& description) {
    QJsonArray list;
    for (const RDialog& d : description.dialogs) {
        QJsonObject message = text(d.text);
        for (const char* key : {"ident", "number", "screen"})
            message.remove(QLatin1String(key));
        QJsonArray buttons;
        for (const RBtn& b : d.buttons) {
            QJsonObject o = button(b);
            for (auto it = o.begin(); it != o.end();)
                it = it.key().startsWith(QLatin1String("text")) ? o.erase(it) : it + 1;
            o[QStringLiteral("align")] = b.align;
            buttons.append(o);
        }
        list.append(QJsonObject{
            {QStringLiteral("picture"), d.picture},
            {QStringLiteral("text"), message},
            {QStringLiteral("buttons"), buttons},
            {QStringLiteral("switchgrp"), rows(d.switches, switchGroup)},
        });
    }
    return QJsonObject{{QStringLiteral("dialogs"), list}};
}

QJsonObject StructJson::about(const AboutDescription& d) {
    QJsonValue vertex = QJsonValue::Null;
    if (d.vertex) {
        QJsonArray points;
        for (const QPoint& p : *d.vertex)
            points.append(QJsonArray{p.x(), p.y()});
        vertex = points;
    }
    QJsonArray texts;
    for (const RAboutText& t : d.texts)
        texts.append(QJsonObject{
            {QStringLiteral("vx"), t.vx},
            {QStringLiteral("vy"), t.vy},
            {QStringLiteral("font"), t.font},
            {QStringLiteral("size"), t.size},
            {QStringLiteral("style"), t.style},
            {QStringLiteral("color"), t.color},
            {QStringLiteral("value"), t.value},
            {QStringLiteral("idenf"), t.idenf},
        });
    QJsonArray buttons;
    for (const RBtn& b : d.buttons)
        buttons.append(QJsonObject{
            {QStringLiteral("vx"), b.vx},
            {QStringLiteral("vy"), b.vy},
            {QStringLiteral("fn1"), b.fn1},
            {QStringLiteral("fn2"), b.fn2},
            {QStringLiteral("hint"), b.hint},
            {QStringLiteral("wav"), b.wav},
        });
    QJsonArray links;
    for (const RAboutLink& l : d.links)
        links.append(QJsonObject{
            {QStringLiteral("vx"), l.vx},
            {QStringLiteral("vy"), l.vy},
            {QStringLiteral("target"), l.target},
            {QStringLiteral("shown"), l.shown},
            {QStringLiteral("value"), l.value},
        });
    return QJsonObject{
        {QStringLiteral("picture"), d.picture}, {QStringLiteral("pictures"), strings(d.pictures)},
        {QStringLiteral("vertex"), vertex},     {QStringLiteral("texts"), texts},
        {QStringLiteral("buttons"), buttons},   {QStringLiteral("links"), links},
    };
}
