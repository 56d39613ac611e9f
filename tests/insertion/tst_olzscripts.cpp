// The scripts supplied with the program (Tools\WizDates\Olz\Basic, Wizs,
// Fonts): their list files and script files are in the formats, every script
// loads and writes back to the same line, and each produces the expected HTML
// with scripted answers to its input windows.
#include "ScriptedHost.h"
#include "WizDate.h"
#include "WizList.h"
#include "WizRun.h"

#include "Cp932.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString DefaultFontScript = u"$WizDate,29,0,0,2,0,3,0,0,0,0,,3,0,0,1,0,,3,1,0,0,3,,1,0,0,<font,5,0,1,0,0,0,0,,,6,13,2,1,0,0,color=,13,1,1,1,0,S,13,1,7,5,1,1,0,5,0,3,,,13,2,1,0,0,size=,1,1,0,I,7,5,0,1,1,0,0,0,,,6,13,2,1,0,0,face=,13,1,1,1,1,S,13,1,7,1,0,0,>,2,1,0,0,</font>,-1"_s;

QString OlzDir(const QString &folder)
{
    return QStringLiteral(QV_OLZ_SOURCE_DIR) + u'/' + folder;
}

// The sources are UTF-8, one line each; the build converts them to code page 932.
QString ReadUtf8(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QString ScriptPath(const QString &folder, int i)
{
    return OlzDir(folder) + u"/WizDate"_s + QString::number(i) + u".dat"_s;
}

QVector<WizListEntry> ListOf(const QString &folder)
{
    return LoadWizListFromText(ReadUtf8(OlzDir(folder) + u"/WizList.dat"_s));
}

// The first fault of the markup a script wrote: an end tag that closes
// something else or nothing, or an element left open. Comments are skipped;
// elements without content (br, hr, img, meta) need no end tag. Empty when
// every element is closed in order.
QString TagFault(const QString &html)
{
    static const QSet<QString> empty{u"br"_s, u"hr"_s, u"img"_s, u"meta"_s};
    QString text = html;
    text.remove(QRegularExpression(u"<!--.*?-->"_s, QRegularExpression::DotMatchesEverythingOption));
    static const QRegularExpression tag(u"<(/?)([A-Za-z][A-Za-z0-9]*)[^>]*>"_s);
    QStringList open;
    for (auto it = tag.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(2).toLower();
        if (empty.contains(name))
            continue;
        if (m.captured(1).isEmpty()) {
            open.append(name);
        } else if (open.isEmpty() || open.last() != name) {
            return u"</"_s + name + u"> closes "_s + (open.isEmpty() ? u"nothing"_s : u'<' + open.last() + u'>');
        } else {
            open.removeLast();
        }
    }
    return open.isEmpty() ? QString() : u'<' + open.last() + u"> is not closed"_s;
}

} // namespace

class TestOlzScripts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsAndFilesMatch_data();
    void listsAndFilesMatch();
    void wizardsAskAndRepeat();
    void fontEntriesKeepTheFontLayout();
    void casesProduceExpectedHtml();
    void tagFaultsAreFound();
};

void TestOlzScripts::listsAndFilesMatch_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("minimum");
    QTest::newRow("Basic") << u"Basic"_s << 25;
    QTest::newRow("Wizs") << u"Wizs"_s << 8;
    QTest::newRow("Fonts") << u"Fonts"_s << 8;
}

void TestOlzScripts::listsAndFilesMatch()
{
    QFETCH(QString, folder);
    QFETCH(int, minimum);
    const QString listText = ReadUtf8(OlzDir(folder) + u"/WizList.dat"_s);
    QCOMPARE(listText.count(u'\n'), 1);
    QVERIFY(Cp932::canEncode(listText));
    const QVector<WizListEntry> entries = ListOf(folder);
    QVERIFY2(entries.size() >= minimum, qPrintable(QString::number(entries.size())));
    QCOMPARE(WizListToText(entries) + u"\n"_s, listText);

    QSet<QString> names;
    for (const WizListEntry &e : entries) {
        QVERIFY(!e.name.isEmpty() && !e.setumei.isEmpty());
        QVERIFY(WizListTextFits(e.name) && WizListTextFits(e.setumei));
        names.insert(e.name);
    }
    QCOMPARE(names.size(), entries.size());

    const QStringList files = QDir(OlzDir(folder)).entryList({u"WizDate*.dat"_s}, QDir::Files);
    QCOMPARE(files.size(), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        const QString text = ReadUtf8(ScriptPath(folder, i));
        QVERIFY2(text.endsWith(u'\n') && text.count(u'\n') == 1 && !text.contains(u'\r'),
                 qPrintable(ScriptPath(folder, i)));
        QVERIFY(Cp932::canEncode(text));
        WizProgram p;
        QCOMPARE(LoadWizDateFromText(text, &p), WizLoadResult::Loaded);
        QCOMPARE(p.ops.first().OpType, qint16(OpHensuSettei));
        QCOMPARE(p.ops.last().OpType, qint16(OpWizEnd));
        QCOMPARE(WizDateToText(p) + u"\n"_s, text);
    }
}

void TestOlzScripts::wizardsAskAndRepeat()
{
    const QVector<WizListEntry> entries = ListOf(u"Wizs"_s);
    int withLoops = 0;
    int withBranches = 0;
    for (int i = 0; i < entries.size(); ++i) {
        WizProgram p;
        QCOMPARE(LoadWizDateFromText(ReadUtf8(ScriptPath(u"Wizs"_s, i)), &p), WizLoadResult::Loaded);
        bool window = false;
        bool loop = false;
        bool branch = false;
        for (const WizOp &op : p.ops) {
            window = window || op.OpType == OpInputWindow;
            loop = loop || op.OpType == OpLoopEnd;
            branch = branch || op.OpType == OpBunki;
        }
        QVERIFY2(window, qPrintable(entries.at(i).name));
        withLoops += loop;
        withBranches += branch;
    }
    QVERIFY(withLoops >= 2);
    QVERIFY(withBranches >= 6);
}

void TestOlzScripts::fontEntriesKeepTheFontLayout()
{
    WizProgram layout;
    QCOMPARE(LoadWizDateFromText(DefaultFontScript, &layout), WizLoadResult::Loaded);
    const QVector<WizListEntry> entries = ListOf(u"Fonts"_s);
    QSet<QString> variants;
    for (int i = 0; i < entries.size(); ++i) {
        WizProgram p;
        QCOMPARE(LoadWizDateFromText(ReadUtf8(ScriptPath(u"Fonts"_s, i)), &p), WizLoadResult::Loaded);
        QCOMPARE(p.ops.size(), layout.ops.size());
        // Only the three constants of the font dialog differ.
        WizProgram expected = layout;
        expected.ops[1].StrDat[0] = p.ops.at(1).S(0);
        expected.ops[2].StrDat[0] = p.ops.at(2).S(0);
        expected.ops[3].IntDat[3] = p.ops.at(3).I(3);
        QCOMPARE(p.ops, expected.ops);
        variants.insert(p.ops.at(1).S(0) + u'|' + p.ops.at(2).S(0) + u'|' + QString::number(p.ops.at(3).I(3)));
    }
    QCOMPARE(variants.size(), entries.size());
}

void TestOlzScripts::casesProduceExpectedHtml()
{
    QFile f(QStringLiteral(QV_OLZ_CASES));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonArray cases = QJsonDocument::fromJson(f.readAll()).array();
    QVERIFY(!cases.isEmpty());

    QSet<QString> covered;
    for (const QJsonValue &v : cases) {
        const QJsonObject c = v.toObject();
        const QString folder = c.value(u"folder"_s).toString();
        const int index = c.value(u"index"_s).toInt();
        const QString selection = c.value(u"selection"_s).toString();
        const QString label = folder + u'/' + QString::number(index) + u' ' + selection;

        ScriptedHost host;
        bool cancels = false;
        for (const QJsonValue &a : c.value(u"answers"_s).toArray()) {
            if (a.isString()) { // "CANCEL"
                host.answers.append(std::nullopt);
                cancels = true;
                continue;
            }
            QStringList slotTexts;
            for (const QJsonValue &s : a.toArray())
                slotTexts.append(s.isNull() ? QString() : s.toString());
            host.answers.append(slotTexts);
        }

        // Loaded as the catalogue loads it: into the shared table, then run
        // with the shared variables.
        WizPrg() = WizProgram();
        QCOMPARE(LoadWizDateFromText(ReadUtf8(ScriptPath(folder, index)), &WizPrg()), WizLoadResult::Loaded);
        const WizRunResult r = RunWizPrg(selection, &host);
        QVERIFY2(r.text == c.value(u"expected"_s).toString(),
                 qPrintable(label + u" gave "_s + r.text));
        QCOMPARE(r.status, cancels ? WizRunStatus::Cancelled : WizRunStatus::Finished);
        if (!cancels) {
            const QString fault = TagFault(r.text);
            QVERIFY2(fault.isEmpty(), qPrintable(label + u": "_s + fault));
        }
        QCOMPARE(host.shownOps.size(), host.answers.size());
        covered.insert(folder + u'/' + QString::number(index));
    }
    // Every supplied script has at least one case.
    for (const QString &folder : {u"Basic"_s, u"Wizs"_s, u"Fonts"_s})
        for (int i = 0; i < ListOf(folder).size(); ++i)
            QVERIFY2(covered.contains(folder + u'/' + QString::number(i)), qPrintable(folder + QString::number(i)));
}

void TestOlzScripts::tagFaultsAreFound()
{
    QCOMPARE(TagFault(u"<ul>\r\n<li>a</li>\r\n</ul><br><!-- <p> -->"_s), QString());
    QCOMPARE(TagFault(u"<ul>\r\n<li>a\r\n</ul>"_s), u"</ul> closes <li>"_s);
    QCOMPARE(TagFault(u"<li>a"_s), u"<li> is not closed"_s);
    QCOMPARE(TagFault(u"a</b>"_s), u"</b> closes nothing"_s);
}

QTEST_GUILESS_MAIN(TestOlzScripts)
#include "tst_olzscripts.moc"
