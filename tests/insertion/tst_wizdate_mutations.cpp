// Damaged script and list files: every truncation and a few thousand seeded
// mutations of valid files are fed to the readers. None may crash; a script is
// taken whole or not at all, and whatever loads writes back to a text that
// loads to the same statements.
#include "WizDate.h"
#include "WizList.h"
#include "WizRun.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString DefaultFontScript = u"$WizDate,29,0,0,2,0,3,0,0,0,0,,3,0,0,1,0,,3,1,0,0,3,,1,0,0,<font,5,0,1,0,0,0,0,,,6,13,2,1,0,0,color=,13,1,1,1,0,S,13,1,7,5,1,1,0,5,0,3,,,13,2,1,0,0,size=,1,1,0,I,7,5,0,1,1,0,0,0,,,6,13,2,1,0,0,face=,13,1,1,1,1,S,13,1,7,1,0,0,>,2,1,0,0,</font>,-1"_s;

const QString WindowScript = u"$WizDate,7,0,1,1,0,12,1,0,2,-1,0,0,0,-1,1,題名,7,初期,True,,数,文,真,,5,1,1,0,4,0,3,,,8,1,1,0,I,9,1,1,0,4,0,3,,,7,-1"_s;

WizProgram Sentinel()
{
    WizProgram p;
    p.ops = {MakeWizOp(OpOutPut, {0, 0}, {u"sentinel"_s})};
    return p;
}

bool TextsFit(const WizProgram &p)
{
    for (const WizOp &op : p.ops)
        for (const QString &s : op.StrDat)
            if (!WizListTextFits(s))
                return false;
    return true;
}

// Loads text; checks the all-or-nothing rule and the write-back property.
WizLoadResult Check(const QString &text)
{
    WizProgram p = Sentinel();
    const WizLoadResult r = LoadWizDateFromText(text, &p);
    if (r != WizLoadResult::Loaded) {
        if (p.ops != Sentinel().ops)
            QTest::qFail("a refused file changed the statement table", __FILE__, __LINE__);
        return r;
    }
    if (TextsFit(p)) {
        WizProgram back;
        if (LoadWizDateFromText(WizDateToText(p), &back) != WizLoadResult::Loaded || back.ops != p.ops)
            QTest::qFail(qPrintable(u"written text does not load back: "_s + text), __FILE__, __LINE__);
    }
    // Whatever loads also runs to an end under a small step limit.
    WizVariables vars;
    const WizRunResult run = RunWizPrg(p, vars, nullptr, u"sel"_s, 2000);
    if (run.steps > 2000)
        QTest::qFail("run went past its step limit", __FILE__, __LINE__);
    return r;
}

QString Mutate(QString s, QRandomGenerator &rng)
{
    static const QString alphabet = u",,,,-0123456789\"\r\n $WizDateあ\t"_s;
    const int edits = 1 + int(rng.bounded(4));
    for (int e = 0; e < edits; ++e) {
        const qsizetype pos = s.isEmpty() ? 0 : qsizetype(rng.bounded(quint32(s.size())));
        const QChar c = alphabet.at(qsizetype(rng.bounded(quint32(alphabet.size()))));
        switch (rng.bounded(5)) {
        case 0: if (!s.isEmpty()) s[pos] = c; break;
        case 1: s.insert(pos, c); break;
        case 2: if (!s.isEmpty()) s.remove(pos, 1 + qsizetype(rng.bounded(3))); break;
        case 3: s.insert(pos, s.mid(pos, qsizetype(rng.bounded(12)))); break;
        default: {
            // Change a number to an extreme.
            static const QString numbers[] = {u"32767"_s, u"-32768"_s, u"-1"_s, u"10"_s, u"32768"_s, u"0"_s};
            s.insert(pos, numbers[rng.bounded(6)] + u","_s);
            break;
        }
        }
    }
    return s;
}

} // namespace

class TestWizDateMutations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTruncationIsRefused();
    void seededMutations();
    void listFileMutations();
};

void TestWizDateMutations::everyTruncationIsRefused()
{
    for (const QString &valid : {DefaultFontScript, WindowScript, u"$WizDate,1,0,0,0,0,-1"_s}) {
        QCOMPARE(Check(valid), WizLoadResult::Loaded);
        QCOMPARE(Check(valid + u"\r\n"_s), WizLoadResult::Loaded);
        for (qsizetype n = 0; n < valid.size(); ++n) {
            const WizLoadResult r = Check(valid.left(n));
            QVERIFY2(r != WizLoadResult::Loaded, qPrintable(u"a truncated file loaded: "_s + valid.left(n)));
        }
    }
}

void TestWizDateMutations::seededMutations()
{
    QRandomGenerator rng(0x5157);
    const QString sources[] = {DefaultFontScript, WindowScript, u"$WizDate,1,0,0,0,0,-1"_s};
    int loaded = 0;
    int refused = 0;
    for (int round = 0; round < 4000; ++round) {
        const QString text = Mutate(sources[round % 3], rng);
        if (Check(text) == WizLoadResult::Loaded)
            ++loaded;
        else
            ++refused;
    }
    // The mutations reach both sides of the reader.
    QVERIFY(loaded > 0);
    QVERIFY(refused > 0);
}

void TestWizDateMutations::listFileMutations()
{
    QRandomGenerator rng(77);
    const QString valid = u"2,見出し,見出しを作ります。,太字,太くします。,表,表を作ります。"_s;
    QCOMPARE(LoadWizListFromText(valid).size(), 3);
    for (int round = 0; round < 3000; ++round) {
        const QString text = Mutate(valid, rng);
        const QVector<WizListEntry> entries = LoadWizListFromText(text);
        // Never more entries than the text has field pairs.
        QVERIFY(entries.size() <= text.count(u',') / 2 + 1);
    }
    for (qsizetype n = 0; n <= valid.size(); ++n)
        QVERIFY(LoadWizListFromText(valid.left(n)).size() <= 3);
}

QTEST_GUILESS_MAIN(TestWizDateMutations)
#include "tst_wizdate_mutations.moc"
