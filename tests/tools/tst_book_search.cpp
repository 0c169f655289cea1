// search and index build through the book tool: an index built from a folder
// of pages finds every word of every page, the page-by-page search agrees
// with it, and bad input gives one line on stderr.
#include "ToolRunner.h"

#include "content/ArchiveWriter.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <set>

class TestBookSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void indexFindsEveryWordOfEveryPage();
    void fallbackAgreesWithTheIndex();
    void errors();

private:
    QJsonObject search(const QStringList& extra);
    static QSet<QString> lowered(const QJsonArray& files);

    QTemporaryDir m_dir;
    QString m_content, m_run;
    // word (small letters) -> pages that hold it (relative paths, "\")
    std::map<QString, std::set<QString>> m_words;
};

void TestBookSearch::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_content = m_dir.filePath("content");
    m_run = m_dir.filePath("book/run");
    QVERIFY(QDir().mkpath(m_content + "/run/sub"));
    QVERIFY(QDir().mkpath(m_run));
    const QStringList pool{"масло",    "фильтр", "Свеча",  "зажигания", "ремень", "ГРМ",
                           "ВАЗ-2107", "oil",    "Filter", "тормоз",    "ёлка",   "колодки"};
    QRandomGenerator rng(11);
    for (int n = 0; n < 24; ++n) {
        const bool utf8 = n % 5 == 0;
        const QString rel = (n % 3 == 0 ? QStringLiteral("sub\\") : QString()) +
                            QStringLiteral("page%1.htm").arg(n);
        QString body;
        for (int k = 0; k < 6; ++k) {
            const QString word = pool.at(int(rng.bounded(pool.size())));
            body += (k % 2 ? "<b>" + word + "</b>, " : word + ". ");
            for (const QString& piece : word.split(u'-'))
                m_words[piece.toLower()].insert(rel);
            m_words[word.toLower()].insert(rel);
        }
        const QString html = QStringLiteral("<html><head>%1<title>Страница %2</title></head>"
                                            "<body><p>%3</p><script>скрыто</script></body></html>")
                                 .arg(utf8 ? "<meta charset=utf-8>" : "")
                                 .arg(n)
                                 .arg(body);
        QFile f(m_content + "/run/" + QString(rel).replace(u'\\', u'/'));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(utf8 ? html.toUtf8() : cp1251::fromUnicode(html));
    }
    const ToolResult built =
        ToolRunner::run({"index", "build", m_content + "/run", "-o", m_content + "/run"});
    QVERIFY2(built.exitCode == 0, built.err.constData());
    // CR LF lines in code page 1251.
    QFile files(m_content + "/run/files.idx");
    QVERIFY(files.open(QIODevice::ReadOnly));
    const QByteArray listed = files.readAll();
    QVERIFY(listed.contains(cp1251::fromUnicode("sub\\page0.htm#:#Страница 0\r\n")));
    QCOMPARE(listed.count("\r\n"), 24);
    QCOMPARE(listed.count('\n'), 24);
    const ToolResult packed =
        ToolRunner::run({"archive", "build", m_content, "-o", m_run + "/interface.dat"});
    QVERIFY2(packed.exitCode == 0, packed.err.constData());
}

QJsonObject TestBookSearch::search(const QStringList& extra) {
    const ToolResult r = ToolRunner::run(QStringList{"search", m_run} + extra);
    if (r.exitCode != 0)
        return {};
    return QJsonDocument::fromJson(r.out).object();
}

QSet<QString> TestBookSearch::lowered(const QJsonArray& files) {
    QSet<QString> out;
    for (const QJsonValue& v : files)
        out.insert(v.toString().toLower());
    return out;
}

void TestBookSearch::indexFindsEveryWordOfEveryPage() {
    const QString base = QDir::toNativeSeparators(m_run).replace(u'/', u'\\') + u'\\';
    for (const auto& [word, pages] : m_words) {
        const QJsonObject r = search({word.toUpper()});
        QVERIFY2(r.value("found").toBool(), qPrintable(word));
        QVERIFY(r.value("messages").toArray().isEmpty());
        const QJsonArray files = r.value("files").toArray();
        QCOMPARE(files.size(), r.value("titles").toArray().size());
        QSet<QString> want;
        for (const QString& page : pages)
            want.insert((base + page).toLower());
        QCOMPARE(lowered(files), want);
    }
    // Not a word of any page, and text hidden in a script.
    for (const char* text : {"масл", "скрыто", "масло фильтр"}) {
        const QJsonObject r = search({QString::fromUtf8(text)});
        QVERIFY(r.contains("found"));
        QVERIFY(!r.value("found").toBool());
    }
}

void TestBookSearch::fallbackAgreesWithTheIndex() {
    for (const QString& word : {QStringLiteral("ремень"), QStringLiteral("ВАЗ-2107"),
                                QStringLiteral("Oil"), QStringLiteral("ёлка")}) {
        const QJsonObject index = search({word});
        const QJsonObject pages = search({word, "--fallback"});
        QCOMPARE(pages.value("found").toBool(), index.value("found").toBool());
        QCOMPARE(lowered(pages.value("files").toArray()), lowered(index.value("files").toArray()));
        QCOMPARE(pages.value("titles").toArray().size(), pages.value("files").toArray().size());
    }
    // Letter case on: "Filter" is written with a capital on every page.
    QVERIFY(search({"Filter", "--fallback", "--case"}).value("found").toBool());
    QVERIFY(!search({"FILTER", "--fallback", "--case"}).value("found").toBool());
    // A book without index files: the notice, in the reader's words.
    QDir().mkpath(m_dir.filePath("empty"));
    const ToolResult r = ToolRunner::run({"search", m_dir.filePath("empty"), "масло"});
    QCOMPARE(r.exitCode, 0);
    const QJsonObject none = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(none.value("messages").toArray(),
             QJsonArray{QStringLiteral(u"Индескный(е) файл(ы) не найден")});
}

void TestBookSearch::errors() {
    const QList<QStringList> bad{
        {"search", m_dir.filePath("nowhere"), "масло"},
        {"search", m_run, "   "},
        {"search", m_run},
        {"index", "build", m_dir.filePath("nowhere"), "-o", m_dir.filePath("out")},
        {"index", "build", m_dir.filePath("book"), "-o", m_dir.filePath("out")},
        {"index", "build", m_content},
        {"index", "list", m_content},
    };
    for (const QStringList& args : bad) {
        const ToolResult r = ToolRunner::run(args);
        QVERIFY2(r.exitCode != 0 && !r.crashed, qPrintable(args.join(u' ')));
        QVERIFY2(r.oneErrorLine(), qPrintable(args.join(u' ') + ": " + r.errorText()));
        QVERIFY(r.out.isEmpty());
    }
}

QTEST_MAIN(TestBookSearch)
#include "tst_book_search.moc"
