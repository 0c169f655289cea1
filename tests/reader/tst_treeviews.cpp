// Contents trees: following the page being read, the chapter walk and its
// hints, the search in captions, what opens a page and what does not, and
// the trees' places in the reading panel.
#include "data/BookPaths.h"
#include "data/PackWriter.h"
#include "data/StringUtils.h"
#include "data/TReadBin.h"
#include "reader/TPanelBkgrd.h"
#include "reader/TTreeSet.h"
#include "reader/TTreeViews.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kBase = QStringLiteral("c:\\book\\run\\");

QList<RTreeItem> chapters() {
    return TreeDescription::parse({
        QStringLiteral(u"p01.htm;Введение"),                  // 0
        QStringLiteral(u";Двигатель"),                        // 1 heading
        QStringLiteral(u"\tp03.htm;Устройство двигателя"),    // 2
        QStringLiteral(u"\tp04.htm;Привод ГРМ"),              // 3
        QStringLiteral(u"\t\tp04.htm;Натяжение ремня"),       // 4 same page as 3
        QStringLiteral(u";Тормоза"),                          // 5 heading
        QStringLiteral(u"\tp09.htm;Устройство тормозов"),     // 6
        QStringLiteral(u"\tp19.htm;Неисправности"),           // 7
        QStringLiteral(u"\t\tp19.htm#brakes;Скрип тормозов"), // 8
        QStringLiteral(u";Приложения"),                       // 9 heading
    });
}

QList<RTreeItem> alphabet() {
    return TreeDescription::parse({QStringLiteral(u";В"), QStringLiteral(u"\tp01.htm;Введение"),
                                   QStringLiteral(u";Н"),
                                   QStringLiteral(u"\tp19.htm;Неисправности")});
}

// The reading screen's panel with a page pane, and the host answers of a
// viewer showing `current`.
struct Reader {
    QString current = kBase + QStringLiteral("p01.htm");
    TPanelBkgrd panel;
    QWidget* pane = new QWidget;
    TTreeSet trees;

    explicit Reader(bool second = false)
        : trees(&panel, chapters(), second, second ? alphabet() : QList<RTreeItem>{}, host()) {
        panel.setPane(pane);
        panel.show();
        trees.showTreeOnScreen(TTreeViews::kScreenReading);
    }
    TTreeHost host() {
        TTreeHost h;
        h.currentPage = [this] { return current; };
        h.expandLink = [this](const QString& link) {
            return BookPaths::joinPath(current.left(current.lastIndexOf(u'\\') + 1), link);
        };
        h.viewerVisible = [] { return true; };
        h.baseDir = [] { return kBase; };
        return h;
    }
    TTreeViews* tree() const { return trees.tree1(); }
};

} // namespace

class TestTreeViews : public QObject {
    Q_OBJECT

private slots:
    void selectByPageFollowsTheReader();
    void findInTreeWrapsAround();
    void chapterWalkAndHints();
    void userChoicesOpenPagesProgramOnesDoNot();
    void screenChangesAndScreenPage();
    void treesInThePanel();
    void treesFromThePack();
};

void TestTreeViews::selectByPageFollowsTheReader() {
    Reader r;
    QSignalSpy opened(&r.trees, &TTreeSet::openPage);
    // A link with an anchor selects the item of its page.
    QVERIFY(r.trees.selectByPage(QStringLiteral("p19.htm#x")));
    QCOMPARE(r.tree()->focusedItem(), 7);
    QVERIFY(r.tree()->selectionModel()->isSelected(r.tree()->currentIndex()));
    // Back and forward: the current page, compared without case.
    r.current = kBase + QStringLiteral("P09.HTM");
    QVERIFY(r.trees.selectByPage(QStringLiteral("fromhistory")));
    QCOMPARE(r.tree()->focusedItem(), 6);
    // A page with no item changes nothing.
    QVERIFY(!r.trees.selectByPage(QStringLiteral("elsewhere.htm")));
    QCOMPARE(r.tree()->focusedItem(), 6);
    QCOMPARE(r.tree()->rememberedPage(), QStringLiteral("p09.htm"));
    // Following the reader never opens a page.
    QCOMPARE(opened.count(), 0);
}

void TestTreeViews::findInTreeWrapsAround() {
    Reader r;
    QSignalSpy opened(&r.trees, &TTreeSet::openPage);
    r.tree()->focusItem(7);
    // Starts after the focused item and wraps to the top.
    QVERIFY(r.trees.findInTree(QStringLiteral(u"УСТРОЙСТВО")));
    QCOMPARE(r.tree()->focusedItem(), 2);
    QCOMPARE(opened.last().first().toString(), kBase + QStringLiteral("p03.htm"));
    // A word only the focused item holds: the same item after a full turn.
    r.tree()->focusItem(8);
    QVERIFY(r.trees.findInTree(QStringLiteral(u"скрип")));
    QCOMPARE(r.tree()->focusedItem(), 8);
    QCOMPARE(opened.last().first().toString(), kBase + QStringLiteral("p19.htm#brakes"));
    QVERIFY(!r.trees.findInTree(QStringLiteral("absent")));
    QVERIFY(!r.trees.findInTree(QString()));
    QCOMPARE(r.tree()->focusedItem(), 8);
}

void TestTreeViews::chapterWalkAndHints() {
    Reader r;
    QSignalSpy hints(&r.trees, &TTreeSet::chapterHintsChanged);
    // Nothing focused: the hints focus the first item.
    r.trees.updateChapterHints();
    QCOMPARE(r.tree()->focusedItem(), 0);
    QCOMPARE(hints.last().at(0).toString(), QStringLiteral(u"Двигатель : Устройство двигателя"));
    QCOMPARE(hints.last().at(1).toString(), QStringLiteral(u"Первый раздел"));

    // Headings and items of the same page text are passed over.
    r.tree()->focusItem(3);
    r.trees.nextChapter();
    QCOMPARE(r.tree()->focusedItem(), 6);
    r.trees.prevChapter();
    QCOMPARE(r.tree()->focusedItem(), 4);
    r.trees.prevChapter();
    QCOMPARE(r.tree()->focusedItem(), 2);
    r.trees.prevChapter();
    QCOMPARE(r.tree()->focusedItem(), 0);
    r.trees.prevChapter(); // nothing before: the focus stays
    QCOMPARE(r.tree()->focusedItem(), 0);

    // The last item with a page: a trailing heading is no next chapter.
    r.tree()->focusItem(8);
    r.trees.updateChapterHints();
    QCOMPARE(hints.last().at(0).toString(), QStringLiteral(u"Последний раздел"));
    QCOMPARE(hints.last().at(1).toString(), QStringLiteral(u"Тормоза : Неисправности"));
    QSignalSpy opened(&r.trees, &TTreeSet::openPage);
    r.trees.nextChapter();
    QCOMPARE(r.tree()->focusedItem(), 8);
    QCOMPARE(opened.count(), 1); // the focused item's page opens
    QCOMPARE(r.tree()->nextChapterHint(), QStringLiteral(u"Последний раздел"));
}

void TestTreeViews::userChoicesOpenPagesProgramOnesDoNot() {
    Reader r;
    TTreeViews* tree = r.tree();
    QSignalSpy opened(&r.trees, &TTreeSet::openPage);
    QSignalSpy popups(&r.trees, &TTreeSet::closePopups);
    QSignalSpy moves(&r.trees, &TTreeSet::skinMouseMove);

    tree->focusItem(3);
    r.trees.selectByPage(QStringLiteral("p09.htm"));
    QCOMPARE(opened.count(), 0);

    // A click on an item opens its page from the base directory.
    const QPoint at = tree->visualRect(tree->model()->index(0, 0, {})).center();
    QTest::mouseMove(tree->viewport(), at);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(tree->focusedItem(), 0);
    QCOMPARE(popups.count(), 1);
    QVERIFY(!moves.isEmpty());
    QCOMPARE(moves.last(), (QList<QVariant>{-1, -1}));
    // The viewer shows p01.htm already: nothing to open.
    QCOMPARE(opened.count(), 0);
    // Keyboard: the next row is a heading (no page), then a page.
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->focusedItem(), 1);
    QCOMPARE(opened.count(), 0);
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->focusedItem(), 2);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.last(), (QList<QVariant>{kBase + QStringLiteral("p03.htm"), true}));
    QCOMPARE(tree->rememberedPage(), QStringLiteral("p03.htm"));
    // A click on another item while the viewer shows p03: the new page.
    r.current = kBase + QStringLiteral("p03.htm");
    const QPoint item6 =
        tree->visualRect(tree->model()->index(0, 0, tree->model()->index(2, 0, {}))).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, item6);
    QCOMPARE(tree->focusedItem(), 6);
    QCOMPARE(opened.last().first().toString(), kBase + QStringLiteral("p09.htm"));
}

void TestTreeViews::screenChangesAndScreenPage() {
    Reader r;
    QSignalSpy opened(&r.trees, &TTreeSet::openPage);
    // The page of a screen command is selected and opened.
    r.trees.showTreeOnScreen(TTreeViews::kScreenReading, kBase + QStringLiteral("p09.htm"));
    QCOMPARE(r.tree()->focusedItem(), 6);
    QCOMPARE(opened.count(), 1);
    // The first screen hides the panel, puts the tree on standby and turns it
    // on again for the next visit.
    r.trees.setTreeOff(true);
    r.trees.showTreeOnScreen(TTreeViews::kScreenFirst);
    QVERIFY(r.panel.isHidden());
    QVERIFY(r.tree()->isStandby());
    QVERIFY(!r.tree()->isTurnedOff());
    r.trees.showTreeOnScreen(TTreeViews::kScreenReading);
    QVERIFY(!r.panel.isHidden());
    QVERIFY(!r.tree()->isHidden());
    QVERIFY(!r.tree()->isStandby());
}

void TestTreeViews::treesInThePanel() {
    Reader r(true);
    TTreeViews* t1 = r.trees.tree1();
    TTreeViews* t2 = r.trees.tree2();
    QVERIFY(t2);
    const int withTree = TPanelBkgrd::kTreeWidth + 1 + TPanelBkgrd::kSplitterWidth;
    QVERIFY(!t1->isHidden());
    QVERIFY(t2->isHidden());
    QCOMPARE(r.pane->geometry(),
             QRect(withTree, 0, TPanelBkgrd::kWidth - withTree, TPanelBkgrd::kHeight));

    // "tree1" shows the second tree in the same place.
    r.trees.verbTree1();
    QVERIFY(t1->isHidden());
    QVERIFY(!t2->isHidden());
    QVERIFY(t1->isStandby());
    QCOMPARE(r.trees.chosen(), t2);
    QCOMPARE(t2->geometry().width(), TPanelBkgrd::kTreeWidth);
    QCOMPARE(r.pane->x(), withTree);
    QVERIFY(r.trees.selectByPage(QStringLiteral("p19.htm")));
    QCOMPARE(t2->focusedItem(), 3);

    // Off: the page takes the whole panel; on: the chosen tree comes back.
    r.trees.setTreeOff(true);
    QVERIFY(t1->isHidden() && t2->isHidden());
    QVERIFY(r.panel.splitter()->isHidden());
    QCOMPARE(r.pane->geometry(), QRect(0, 0, TPanelBkgrd::kWidth, TPanelBkgrd::kHeight));
    QCOMPARE(r.trees.chosen(), t1); // no tree visible
    r.trees.setTreeOff(false);
    QVERIFY(t1->isHidden());
    QVERIFY(!t2->isHidden());
    QCOMPARE(r.pane->x(), withTree);

    // "tree2" brings the main tree back; a turned-off set shows none.
    r.trees.verbTree2();
    QVERIFY(!t1->isHidden());
    QVERIFY(t2->isHidden());
    r.trees.setTreeOff(true);
    r.trees.verbTree1();
    QVERIFY(t1->isHidden() && t2->isHidden());
    QCOMPARE(r.pane->x(), 0);
}

// The main tree is always there (empty without its entry); the second one
// only with tree2.cfs.
void TestTreeViews::treesFromThePack() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    PackWriter writer;
    QVERIFY(writer.add(QStringLiteral("Tree1.CFS"),
                       cfs::encode({QStringLiteral("a.htm;A"), QStringLiteral("\tb.htm;B")})));
    QVERIFY(writer.write(dir.filePath(QStringLiteral("one.dhl"))));
    QVERIFY(writer.add(QStringLiteral("tree2.cfs"), cfs::encode({QStringLiteral("b.htm;B")})));
    QVERIFY(writer.write(dir.filePath(QStringLiteral("two.dhl"))));
    writer.clear();
    QVERIFY(writer.add(QStringLiteral("Struct.cfs"), QByteArray("x")));
    QVERIFY(writer.write(dir.filePath(QStringLiteral("none.dhl"))));

    TPanelBkgrd panel;
    TReadBin one, two, none;
    QVERIFY(one.load(dir.filePath(QStringLiteral("one.dhl"))));
    QVERIFY(two.load(dir.filePath(QStringLiteral("two.dhl"))));
    QVERIFY(none.load(dir.filePath(QStringLiteral("none.dhl"))));
    TTreeSet fromOne(&panel, &one, {});
    QCOMPARE(fromOne.tree1()->itemCount(), 2);
    QCOMPARE(fromOne.tree1()->items()[1].parent, 0);
    QVERIFY(!fromOne.tree2());
    TTreeSet fromTwo(&panel, &two, {});
    QVERIFY(fromTwo.tree2());
    QCOMPARE(fromTwo.tree2()->itemCount(), 1);
    TTreeSet fromNone(&panel, &none, {});
    QCOMPARE(fromNone.tree1()->itemCount(), 0);
    QVERIFY(!fromNone.tree2());
    // An empty tree answers every verb without harm.
    fromNone.nextChapter();
    QVERIFY(!fromNone.selectByPage(QStringLiteral("a.htm")));
    QSignalSpy hints(&fromNone, &TTreeSet::chapterHintsChanged);
    fromNone.updateChapterHints();
    QCOMPARE(hints.last().at(0).toString(), QStringLiteral(u"Последний раздел"));
}

QTEST_MAIN(TestTreeViews)
#include "tst_treeviews.moc"
