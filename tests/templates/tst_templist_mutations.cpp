// Damaged template list files: every truncation and a few thousand seeded
// mutations of a valid list are fed to the reader. None may crash; the reader
// never makes more entries than the text has fields, and whatever it reads
// whose names and descriptions fit writes back to a text that reads the same.

#include "HinagataEdit.h"
#include "Mutations.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString ValidList = u"白紙のページ,何もないページです。,トップページ,見出しとメニューのあるページです。,日記,日付のついた日記です。"_s;

QString Mutate(const QString &s, QRandomGenerator &rng)
{
    static const QString alphabet = u",,,,\"\"\r\n \tあ0"_s;
    return ::Mutate(s, alphabet, rng);
}

bool Fits(const QVector<HinagataEntry> &entries)
{
    for (const HinagataEntry &e : entries)
        if (!HinagataTextProblem(e.name).isEmpty() || !HinagataTextProblem(e.setumei).isEmpty())
            return false;
    return true;
}

// Reads text and checks what the reader may give for it.
int Check(const QString &text)
{
    const QVector<HinagataEntry> entries = ReadTempListText(text);
    const qsizetype fields = text.count(u',') + text.count(u'\n') + text.count(u'\r') + 1;
    if (entries.size() > fields / 2 + 1)
        QTest::qFail(qPrintable(u"more entries than fields: "_s + text), __FILE__, __LINE__);
    if (Fits(entries) && ReadTempListText(TempListText(entries) + u"\r\n"_s) != entries)
        QTest::qFail(qPrintable(u"written list does not read back: "_s + text), __FILE__, __LINE__);
    return int(entries.size());
}

} // namespace

class TestTempListMutations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTruncation()
    {
        QCOMPARE(Check(ValidList), 3);
        QCOMPARE(Check(ValidList + u"\r\n"_s), 3);
        int previous = 0;
        for (qsizetype n = 0; n <= ValidList.size(); ++n) {
            const int count = Check(ValidList.left(n));
            // A shorter text never holds more templates.
            QVERIFY(count >= previous);
            QVERIFY(count <= 3);
            previous = count;
        }
    }

    void seededMutations()
    {
        QRandomGenerator rng(0x7e3a);
        int differ = 0;
        for (int round = 0; round < 4000; ++round) {
            if (Check(Mutate(ValidList, rng)) != 3)
                ++differ;
        }
        // The mutations reach lists of other lengths too.
        QVERIFY(differ > 0);
    }

    void hugeList()
    {
        // A list longer than a 16-bit index can name is cut at 32768 entries.
        QString text;
        for (int i = 0; i < 33000; ++i)
            text += u"n,d,"_s;
        QCOMPARE(ReadTempListText(text).size(), 32768);
    }
};

QTEST_GUILESS_MAIN(TestTempListMutations)
#include "tst_templist_mutations.moc"
