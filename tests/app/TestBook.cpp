#include "TestBook.h"

#include "data/PackWriter.h"
#include "data/StringUtils.h"

#include <QBuffer>
#include <QDir>

namespace testbook {

namespace {

QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QByteArray bmp(const QImage& img) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return bytes;
}

QStringList button(int screen, int x, int y, const QString& go, const QString& wav) {
    return {QStringLiteral("[%1] button").arg(screen),
            QStringLiteral("vx=%1").arg(x),
            QStringLiteral("vy=%1").arg(y),
            "fn1=bn.bmp",
            "fn2=bh.bmp",
            "fn3=bp.bmp",
            "go=" + go,
            "hint=button " + go,
            "wav=" + wav};
}

QStringList grp(int x, const QString& state, const QString& go) {
    return {"[1] switchgrp", QStringLiteral("vx=%1").arg(x),
            "vy=100",        "fn1=s1.bmp",
            "fn2=s2.bmp",    "fn3=s3.bmp",
            "fn4=s4.bmp",    "state=" + state,
            "store=on",      "group=1",
            "go=" + go,      "hint=group",
            "wav=no"};
}

} // namespace

QStringList description(const QString& title, const QString& outline) {
    QStringList d{"title=" + title, "minimize",    "vx=250",       "vy=5",       "fn1=mn.bmp",
                  "fn2=mh.bmp",     "fn3=mp.bmp",  "hint=smaller", "wav=no",     "close",
                  "vx=275",         "vy=5",        "fn1=cn.bmp",   "fn2=ch.bmp", "fn3=cp.bmp",
                  "hint=leave",     "wav=exit.wav"};
    if (!outline.isEmpty())
        d << outline;
    d << button(1, 20, 20, "screen2=page.htm", "click.wav");
    d << QStringList{"[1] switchone", "vx=20",      "vy=60",     "fn1=s1.bmp", "fn2=s2.bmp",
                     "fn3=s3.bmp",    "fn4=s4.bmp", "state=off", "store=on",   "goup=offtree",
                     "godown=ontree", "hint=tree",  "wav=no"};
    d << grp(20, "on", "caseon") << grp(60, "off", "caseoff");
    d << QStringList{"[1] _text",        "vx=100",           "vy=150",     "vw=290",
                     "font=dejavu sans", "size=9",           "style=bold", "color=255,255,255",
                     "value=ready",      "ident=statusline", "number=1"};
    d << QStringList{"[1] _path", "vx=100",          "vy=170",     "vw=290",
                     "vh=188",    "pathdef=\\tmp\\", "hint=folder"};
    d << "[1] _screen=skin1.bmp";
    d << button(2, 20, 20, "1", "no");
    d << QStringList{"[2] _html", "vx=10", "vy=50", "vw=290", "vh=190", "fn=page.htm", "number=1"};
    d << "[2] _screen=skin2.bmp";
    return d;
}

QHash<QString, QImage> pictures() {
    QHash<QString, QImage> p;
    p["skin1.bmp"] = solid(300, 200, skin1);
    p["skin2.bmp"] = solid(300, 200, skin2);
    p["bn.bmp"] = solid(40, 20, btnNormal);
    p["bh.bmp"] = solid(40, 20, btnHover);
    p["bp.bmp"] = solid(40, 20, btnPressed);
    p["s1.bmp"] = solid(20, 20, swOff);
    p["s2.bmp"] = solid(20, 20, swHoverOff);
    p["s3.bmp"] = solid(20, 20, swHoverOn);
    p["s4.bmp"] = solid(20, 20, swOn);
    for (const char* n : {"mn.bmp", "cn.bmp"})
        p[n] = solid(20, 12, qRgb(50, 50, 50));
    for (const char* n : {"mh.bmp", "ch.bmp"})
        p[n] = solid(20, 12, qRgb(250, 250, 250));
    for (const char* n : {"mp.bmp", "cp.bmp"})
        p[n] = solid(20, 12, qRgb(0, 0, 0));
    return p;
}

bool write(const QString& dir, const QStringList& description,
           const QHash<QString, QImage>& pictures, QString* error) {
    QDir().mkpath(dir);
    PackWriter pack;
    if (!description.isEmpty() && !pack.add("Struct.cfs", cfs::encode(description), error))
        return false;
    for (auto it = pictures.begin(); it != pictures.end(); ++it)
        if (!pack.add(it.key(), bmp(it.value()), error))
            return false;
    return pack.write(dir + "/Dod.dhl", error);
}

} // namespace testbook
