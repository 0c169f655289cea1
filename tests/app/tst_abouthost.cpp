// The about box in the main window: the verb builds it only with
// About.cfs and a picture, keeps it, shows it modally each time, and the
// closing sequence closes it.
#include "TestBook.h"

#include "app/TAboutHost.h"
#include "app/TMainForm.h"
#include "data/PackWriter.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "dialogs/TAboutBox.h"

#include <QApplication>
#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

namespace {

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

} // namespace

class TestAboutHost : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    int m_books = 0;

    // A test book; `about`: the lines of its About.cfs (none: no entry).
    QString book(const QString& title, const std::optional<QStringList>& about) {
        const QString dir = m_tmp.filePath(QString("book%1/run").arg(++m_books));
        QString error;
        PackWriter pack;
        pack.add("Struct.cfs", cfs::encode(testbook::description(title)), &error);
        const QHash<QString, QImage> pictures = testbook::pictures();
        for (auto it = pictures.begin(); it != pictures.end(); ++it)
            pack.add(it.key(), bmp(it.value()), &error);
        if (about) {
            pack.add("About.cfs", cfs::encode(*about), &error);
            pack.add("about.bmp", bmp(solid(240, 120, qRgb(9, 9, 9))), &error);
            pack.add("x1.bmp", bmp(solid(30, 20, qRgb(0, 0, 200))), &error);
        }
        if (!testbook::write(dir, testbook::description(title), testbook::pictures(), &error) ||
            !pack.write(dir + "/Dod.dhl", &error))
            qWarning() << error;
        return dir;
    }
    static TAboutBox* boxOf(TMainForm& form) {
        TAboutHost* host = form.findChild<TAboutHost*>();
        return host ? host->box() : nullptr;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        TSettingsStore::setLocation(m_tmp.filePath("settings"));
    }

    void shownKeptAndClosedWithTheWindow() {
        TMainForm form;
        const QStringList about{"picture=About.bmp",
                                "vertex=[0,0;240,0;120,120]",
                                "button",
                                "vx=10",
                                "vy=10",
                                "fn1=x1.bmp",
                                "fn2=x1.bmp",
                                "hint=x",
                                "wav=no"};
        QCOMPARE(form.FormCreate(book("About A", about), {}), std::nullopt);
        form.book().options().animation = false;
        QVERIFY(!boxOf(form)); // built on the first "about" only
        QCOMPARE(form.Dispatch("about", QString(), false, FromButton, 0), Verb::About);
        TAboutBox* box = boxOf(form);
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QCOMPARE(box->size(), QSize(240, 120));
        QCOMPARE(box->outline().size(), 3);
        box->close();
        QVERIFY(!box->isVisible());
        // Kept: the second "about" shows the same box again.
        form.Dispatch("about", QString(), false, FromButton, 0);
        QCOMPARE(boxOf(form), box);
        QVERIFY(box->isVisible());
        // The closing sequence closes it.
        form.close();
        QVERIFY(!box->isVisible());
    }

    // Without the entry, or without its picture, the verb shows nothing.
    void nothingToShow() {
        TMainForm plain;
        QCOMPARE(plain.FormCreate(book("About B", std::nullopt), {}), std::nullopt);
        QCOMPARE(plain.Dispatch("about", QString(), false, FromButton, 0), Verb::About);
        QVERIFY(!boxOf(plain));

        TMainForm damaged;
        QCOMPARE(damaged.FormCreate(book("About C", QStringList{"picture=gone.bmp"}), {}),
                 std::nullopt);
        damaged.Dispatch("about", QString(), false, FromButton, 0);
        QVERIFY(!boxOf(damaged));
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TAboutBox*>(w) || !w->isVisible());
    }
};

QTEST_MAIN(TestAboutHost)
#include "tst_abouthost.moc"
