#include "skin/TPathInputBox.h"

#include "data/BookPaths.h"
#include "data/SettingsNames.h"
#include "data/SettingsStore.h"

#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QWidget>

TPathInputBox::TPathInputBox(const TDynamicPathArray& rows, QWidget* mainWindow,
                             const QString& title, ScreenFn currentScreen, QObject* parent)
    : QObject(parent), m_title(title), m_screen(std::move(currentScreen)) {
    TSettingsStore store(title);
    for (int i = 0; i < rows.size(); ++i) {
        const RPath& row = rows.at(i);
        auto* edit = new QLineEdit(mainWindow);
        edit->setFrame(false);
        edit->hide();
        edit->setToolTip(row.hint);
        const int height = row.vh - row.vy;
        QFont font = edit->font();
        font.setPixelSize(fontPixelSizeFor(font.family(), height - 1));
        edit->setFont(font);
        edit->setTextMargins(2, 0, 2, 0);
        edit->setGeometry(row.vx, row.vy, qMax(0, row.vw - row.vx), qMax(0, height));
        const std::optional<QString> stored = store.readText(settings::pathInstall(i));
        edit->setText(expandHome(stored && !stored->isEmpty() ? *stored : row.pathdef));
        edit->setCursorPosition(0);
        edit->setMouseTracking(true);
        edit->installEventFilter(this);
        m_boxes.append(Box{edit, row.screen});
    }
}

TPathInputBox::~TPathInputBox() {
    save();
}

int TPathInputBox::fontPixelSizeFor(const QString& family, int height) {
    if (height <= 1)
        return 1;
    // The largest size whose line height fits. Line heights grow about in
    // step with the size: one measure at full size gives a close guess, and
    // a step or two from there finds the answer (each measure loads the font
    // at another size, which start-up notices).
    QFont font(family);
    const auto lineHeight = [&font](int size) {
        font.setPixelSize(size);
        return QFontMetrics(font).height();
    };
    const int full = lineHeight(height);
    if (full <= height)
        return height;
    int size = qBound(1, height * height / qMax(1, full), height - 1);
    if (lineHeight(size) <= height) {
        while (size + 1 < height && lineHeight(size + 1) <= height)
            ++size;
        return size;
    }
    while (size > 1 && lineHeight(--size) > height) {
    }
    return size;
}

QString TPathInputBox::expandHome(const QString& text) {
    if (!text.startsWith(u'~'))
        return text;
    if (text.size() > 1 && text.at(1) != u'/' && text.at(1) != u'\\')
        return text; // "~name" is not the home folder
    QString rest = text.mid(1);
#ifndef Q_OS_WIN
    rest.replace(u'\\', u'/');
#endif
    return QDir::toNativeSeparators(QDir::homePath()) + rest;
}

void TPathInputBox::showForScreen() {
    const int screen = m_screen ? m_screen() : 0;
    for (const Box& b : std::as_const(m_boxes)) {
        if (b.edit && b.screen == m_previousScreen)
            b.edit->hide();
    }
    for (const Box& b : std::as_const(m_boxes)) {
        if (b.edit && b.screen == screen)
            b.edit->show();
    }
    m_previousScreen = screen;
}

void TPathInputBox::setHidden(bool hidden) {
    const int screen = m_screen ? m_screen() : 0;
    for (const Box& b : std::as_const(m_boxes)) {
        if (b.edit && b.screen == screen)
            b.edit->setVisible(!hidden);
    }
}

QString TPathInputBox::getPath() const {
    const int screen = m_screen ? m_screen() : 0;
    for (const Box& b : m_boxes)
        if (b.edit && b.screen == screen)
            return folderOf(b);
    return {};
}

QString TPathInputBox::copyFolder() const {
    const QString current = getPath();
    if (!current.isEmpty())
        return current;
    for (const Box& b : m_boxes)
        if (b.edit)
            return folderOf(b);
    return {};
}

QString TPathInputBox::folderOf(const Box& b) {
    QString path = BookPaths::fromNative(expandHome(b.edit->text().trimmed()));
    if (!path.isEmpty() && !path.endsWith(u'\\'))
        path += u'\\';
    return path;
}

void TPathInputBox::save() const {
    TSettingsStore store(m_title);
    for (int i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes.at(i).edit)
            store.writeText(settings::pathInstall(i), m_boxes.at(i).edit->text());
    }
}

bool TPathInputBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        for (const Box& b : std::as_const(m_boxes)) {
            if (b.edit == watched) {
                Q_EMIT skinMouseMove(-1, -1);
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
