#include "engine/TLinkPath.h"
#include "reader/LinkRules.h"

#include <QtTest>

using linkrules::Action;

Q_DECLARE_METATYPE(Action)

class TstLinkRules : public QObject {
    Q_OBJECT

    static linkrules::Decision decide(const QString& target, const QString& url,
                                      const QString& full, bool archiveView, bool exists) {
        linkrules::Facts f;
        f.target = target;
        f.url = url;
        f.full = full;
        f.ext = linkpath::extensionOf(full);
        f.archiveView = archiveView;
        f.exists = exists;
        return linkrules::decide(f);
    }

private slots:
    void ruleOrder_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("full");
        QTest::addColumn<bool>("archiveView");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<Action>("action");
        QTest::addColumn<bool>("extract");
        QTest::addColumn<bool>("paneFollows");
        const QString page = "\\book\\run\\p\\a.htm";
        // Each row's link would also match a later rule: the first decides.
        QTest::newRow("_blank beats http")
            << "_BLANK"
            << "http://x/a.htm"
            << "http://x/a.htm" << false << true << Action::EnlargedPicture << false << false;
        QTest::newRow("_blank on a missing picture")
            << "_blank"
            << "big.bmp"
            << "\\book\\run\\big.bmp" << true << false << Action::EnlargedPicture << false << false;
        QTest::newRow("http before printhtml")
            << ""
            << "printhtml:http://x/a.htm"
            << "printhtml:http://x/a.htm" << false << false << Action::Web << false << false;
        QTest::newRow("mailto") << ""
                                << "MailTo:a@b.c"
                                << "MailTo:a@b.c" << false << false << Action::Web << false
                                << false;
        QTest::newRow("printhtml before copy") << ""
                                               << "printhtml:copy:a.htm" << page << false << true
                                               << Action::PrintPage << false << false;
        QTest::newRow("copy after other characters")
            << ""
            << "xcopy:a.zip"
            << "\\book\\run\\p\\xcopy:a.zip" << false << false << Action::Copy << false << false;
        QTest::newRow("copylist is not copy")
            << ""
            << "copylist:serial" << page << false << true << Action::CopyList << false << false;
        QTest::newRow("zip") << ""
                             << "f.zip"
                             << "\\book\\run\\p\\f.zip" << false << true << Action::External
                             << false << false;
        QTest::newRow("video in a listing, missing: extract, then external")
            << ""
            << "v.avi"
            << "\\tmp\\list\\v.avi" << true << false << Action::External << true << false;
        QTest::newRow("picture in a listing, missing: extract, then shown")
            << ""
            << "p.gif"
            << "\\tmp\\list\\p.gif" << true << false << Action::ArchiveNavigate << true << false;
        QTest::newRow("listing page present: shown")
            << ""
            << "x.htm"
            << "\\tmp\\list\\x.htm" << true << true << Action::ArchiveNavigate << false << false;
        QTest::newRow("as_ page in a listing: the pane follows")
            << ""
            << "as_1.htm"
            << "\\tmp\\list\\as_1.htm" << true << true << Action::Nothing << false << true;
        QTest::newRow("anchor in a listing: no extraction, pane follows")
            << ""
            << "#part"
            << "\\tmp\\list\\x.htm#part" << true << false << Action::Nothing << false << true;
        QTest::newRow("anchor to an unknown kind is not external")
            << ""
            << "#part"
            << "\\book\\run\\x.dat#part" << false << true << Action::Nothing << false << true;
        QTest::newRow("page: tree selects, pane loads")
            << ""
            << "b.html#x"
            << "\\book\\run\\p\\b.html#x" << false << true << Action::TreeSelect << false << true;
        QTest::newRow("text file: pane loads")
            << ""
            << "r.txt"
            << "\\book\\run\\r.txt" << false << true << Action::Nothing << false << true;
        QTest::newRow("jpeg is shown, not external")
            << ""
            << "p.JPEG"
            << "\\book\\run\\p.JPEG" << false << true << Action::Nothing << false << true;
        QTest::newRow("exe") << ""
                             << "setup.exe"
                             << "\\book\\run\\setup.exe" << false << true << Action::External
                             << false << false;
    }
    void ruleOrder() {
        QFETCH(QString, target);
        QFETCH(QString, url);
        QFETCH(QString, full);
        QFETCH(bool, archiveView);
        QFETCH(bool, exists);
        QFETCH(Action, action);
        QFETCH(bool, extract);
        QFETCH(bool, paneFollows);
        const linkrules::Decision d = decide(target, url, full, archiveView, exists);
        QCOMPARE(int(d.action), int(action));
        QCOMPARE(d.extractFirst, extract);
        QCOMPARE(d.paneFollows, paneFollows);
    }

    void linkArguments() {
        // The first five characters go, whatever they are.
        QCOMPARE(linkrules::copyArgument("copy:dir\\a.zip"), QStringLiteral("dir\\a.zip"));
        QCOMPARE(linkrules::copyArgument("xcopy:a.zip"), QStringLiteral(":a.zip"));
        QCOMPARE(linkrules::printArgument("PrintHtml:pages/a.htm"), QStringLiteral("pages/a.htm"));
        QCOMPARE(linkrules::copyListArgument("copylist:Serial"), QStringLiteral("Serial"));
        QCOMPARE(linkpath::extensionOf("\\a.b\\c.HTML#x.y"), QStringLiteral(".html"));
        QCOMPARE(linkpath::extensionOf("\\a.b\\noext"), QString());
    }

    void fileOnAnotherDrive() {
        QCOMPARE(linkrules::onDiscRoot("e:\\video\\clip.avi", "d:\\"),
                 QStringLiteral("d:\\video\\clip.avi"));
        QCOMPARE(linkrules::onDiscRoot("D:\\video\\clip.avi", "d:\\"),
                 QStringLiteral("D:\\video\\clip.avi"));
        QCOMPARE(linkrules::onDiscRoot("\\book\\video\\clip.avi", "\\book\\"),
                 QStringLiteral("\\book\\video\\clip.avi"));
    }
};

QTEST_GUILESS_MAIN(TstLinkRules)
#include "tst_linkrules.moc"
