// The skinned dialog in the main window: created only with Dialog.cfs, the
// verb unarc, Esc, the printer notices (the dialog, or a warning box
// without it) and the closing sequence.
#include "TestBook.h"

#include "app/TDialogHost.h"
#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "data/PackWriter.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "dialogs/TCoolDialog.h"
#include "platform/TShell.h"
#include "reader/THtmlFrame.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records the plain message boxes.
class BoxShell : public TDesktopShell {
public:
    QStringList messages; // "!" in front of a warning box's text
    void showMessage(const QString& text, bool warning) override {
        messages << (warning ? QLatin1Char('!') + text : text);
    }
};

QByteArray bmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QImage solid(int w, int h, QRgb colour) {
    QImage i(w, h, QImage::Format_RGB32);
    i.fill(colour);
    return i;
}

// Four dialogs, each a picture and an OK button.
QStringList dialogDescription() {
    QStringList d;
    for (int n = 1; n <= 4; ++n)
        d << QStringLiteral("[%1] _picture=dlg%1.bmp").arg(n) << QStringLiteral("[%1] _text").arg(n)
          << "vx=10"
          << "vy=10"
          << "vw=190"
          << "font=liberation sans"
          << "size=9"
          << "style="
          << "color=255,255,255"
          << "value=" << QStringLiteral("[%1] _button").arg(n) << "vx=80"
          << "vy=60"
          << "align=middle"
          << "fn1=ok1.bmp"
          << "fn2=ok2.bmp"
          << "fn3=ok3.bmp"
          << "go=ok"
          << "hint=OK"
          << "wav=no";
    return d;
}

} // namespace

class TestDialogHost : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    int m_books = 0;
    BoxShell m_shell;

    QString book(const QString& title, bool withDialog) {
        const QString dir = m_tmp.filePath(QString("book%1/run").arg(++m_books));
        QString error;
        if (!testbook::write(dir, testbook::description(title), testbook::pictures(), &error))
            qWarning() << error;
        if (withDialog) {
            // The same pack again, with the dialog's description and pictures.
            PackWriter pack;
            pack.add("Struct.cfs", cfs::encode(testbook::description(title)), &error);
            const QHash<QString, QImage> pictures = testbook::pictures();
            for (auto it = pictures.begin(); it != pictures.end(); ++it)
                pack.add(it.key(), bmp(it.value()), &error);
            pack.add("Dialog.cfs", cfs::encode(dialogDescription()), &error);
            for (int n = 1; n <= 4; ++n)
                pack.add(QString("dlg%1.bmp").arg(n), bmp(solid(200, 100, qRgb(n, 0, 0))), &error);
            for (int s = 1; s <= 3; ++s)
                pack.add(QString("ok%1.bmp").arg(s), bmp(solid(40, 20, qRgb(0, s, 0))), &error);
            if (!pack.write(dir + "/Dod.dhl", &error))
                qWarning() << error;
        }
        return dir;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        TSettingsStore::setLocation(m_tmp.filePath("settings"));
        TShell::setInstance(&m_shell);
    }
    void cleanupTestCase() { TShell::setInstance(nullptr); }

    void withDialog() {
        TMainForm form;
        QCOMPARE(form.FormCreate(book("Host A", true), {}), std::nullopt);
        TCoolDialog* dialog = form.dialog();
        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->description().count(), 4);

        // unarc: no archive view, so the message box asks for an archive.
        QCOMPARE(form.Dispatch("unarc", QString(), true, FromButton, 0), Verb::Unarc);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->currentDialog(), int(TCoolDialog::Message));
        // Esc closes the visible dialog (no search exists).
        QVERIFY(form.runKey(Qt::Key_Escape, Qt::NoModifier));
        QVERIFY(!dialog->isVisible());

        // The printer notices go to dialogs 2 and 3.
        THtmlFrame* frame = form.reading()->frame();
        QVERIFY(frame);
        emit frame->printerNotice(TCoolDialog::NoDefaultPrinter);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->currentDialog(), int(TCoolDialog::NoDefaultPrinter));
        QVERIFY(m_shell.messages.isEmpty());

        // The closing sequence closes the dialog.
        form.close();
        QVERIFY(!dialog->isVisible());
    }

    void withoutDialog() {
        m_shell.messages.clear();
        TMainForm form;
        QCOMPARE(form.FormCreate(book("Host B", false), {}), std::nullopt);
        QVERIFY(!form.dialog());
        QCOMPARE(form.Dispatch("unarc", QString(), true, FromButton, 0), Verb::Unarc);
        emit form.reading()->frame()->printerNotice(TCoolDialog::NoPrinter);
        emit form.reading()->frame()->printerNotice(TCoolDialog::NoDefaultPrinter);
        QCOMPARE(m_shell.messages,
                 (QStringList{"!" + QString::fromUtf16(TDialogHost::kNoPrinters),
                              "!" + QString::fromUtf16(TDialogHost::kDefaultPrinterGone)}));
    }
};

QTEST_MAIN(TestDialogHost)
#include "tst_dialoghost.moc"
