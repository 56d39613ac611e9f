// The page text in pieces: every edit gives the same text as the same edit of
// a plain string, pieces stay within their bounds, and a copy is not changed
// by later edits of the original.

#include "ChunkedText.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every piece is non-empty and at most MaxPiece long, and they add up.
bool piecesSound(const ChunkedText &t)
{
    qsizetype total = 0;
    bool sound = true;
    t.forEachPiece(0, t.size(), [&](QStringView piece) {
        sound = sound && !piece.isEmpty() && piece.size() <= ChunkedText::MaxPiece;
        total += piece.size();
        return true;
    });
    return sound && total == t.size();
}

QString letters(qsizetype n, char16_t first)
{
    QString s;
    s.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        s += QChar(char16_t(first + i % 26));
    return s;
}

} // namespace

class TestChunkedText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replaceLikeAString_data()
    {
        QTest::addColumn<qsizetype>("initial");
        QTest::addColumn<qsizetype>("pos");
        QTest::addColumn<qsizetype>("len");
        QTest::addColumn<qsizetype>("inserted");

        const qsizetype P = ChunkedText::PieceSize;
        QTest::newRow("into empty") << qsizetype(0) << qsizetype(0) << qsizetype(0) << qsizetype(5);
        QTest::newRow("big into empty") << qsizetype(0) << qsizetype(0) << qsizetype(0) << 5 * P + 3;
        QTest::newRow("at the start") << 3 * P << qsizetype(0) << qsizetype(0) << qsizetype(1);
        QTest::newRow("at the end") << 3 * P << 3 * P << qsizetype(0) << qsizetype(1);
        QTest::newRow("on a piece boundary") << 3 * P << P << qsizetype(0) << qsizetype(2);
        QTest::newRow("delete one at a boundary") << 3 * P << P << qsizetype(1) << qsizetype(0);
        QTest::newRow("delete across pieces") << 5 * P << P / 2 << 3 * P << qsizetype(0);
        QTest::newRow("replace across pieces") << 5 * P << P / 2 << 3 * P << qsizetype(7);
        QTest::newRow("delete everything") << 5 * P << qsizetype(0) << 5 * P << qsizetype(0);
        QTest::newRow("replace everything") << 5 * P << qsizetype(0) << 5 * P << qsizetype(9);
        QTest::newRow("overfill a piece") << P << P / 2 << qsizetype(0) << 2 * P;
        QTest::newRow("empty a middle piece") << 3 * P << P << P << qsizetype(0);
        QTest::newRow("past the end is clamped") << qsizetype(10) << qsizetype(8) << qsizetype(100) << qsizetype(3);
        QTest::newRow("position past the end") << qsizetype(10) << qsizetype(50) << qsizetype(1) << qsizetype(3);
    }

    void replaceLikeAString()
    {
        QFETCH(qsizetype, initial);
        QFETCH(qsizetype, pos);
        QFETCH(qsizetype, len);
        QFETCH(qsizetype, inserted);
        QString model = letters(initial, u'a');
        ChunkedText t(model);
        QVERIFY(t == model);
        const QString text = letters(inserted, u'A');
        t.replace(pos, len, text);
        const qsizetype p = std::clamp<qsizetype>(pos, 0, model.size());
        model.replace(p, std::clamp<qsizetype>(len, 0, model.size() - p), text);
        QCOMPARE(t.toString(), model);
        QCOMPARE(t.size(), model.size());
        QVERIFY(piecesSound(t));
    }

    void midAndAt()
    {
        const QString model = letters(3 * ChunkedText::PieceSize + 17, u'a');
        const ChunkedText t(model);
        for (qsizetype pos : {qsizetype(0), qsizetype(1), ChunkedText::PieceSize - 1, ChunkedText::PieceSize,
                              model.size() - 1}) {
            QCOMPARE(t.at(pos), model.at(pos));
            QCOMPARE(t.mid(pos, 5000), model.mid(pos, 5000));
        }
        QCOMPARE(t.at(-1), QChar());
        QCOMPARE(t.at(model.size()), QChar());
        QCOMPARE(t.mid(model.size(), 3), QString());
    }

    void copyIsUnchangedByLaterEdits()
    {
        const QString model = letters(4 * ChunkedText::PieceSize, u'a');
        ChunkedText t(model);
        const ChunkedText copy = t;
        t.replace(5, 0, u"XYZ");
        t.replace(3 * ChunkedText::PieceSize, 2 * ChunkedText::PieceSize / 3, u"");
        QVERIFY(copy == model);
        QVERIFY(copy != t);
        QVERIFY(t.toString() != model);
    }

    void equalityIgnoresTheCut()
    {
        const QString model = letters(3 * ChunkedText::PieceSize, u'a');
        ChunkedText a(model);
        ChunkedText b;
        for (QChar c : model)
            b.replace(b.size(), 0, QStringView(&c, 1));
        QVERIFY(a == b);
        b.replace(100, 1, u"!");
        QVERIFY(a != b);
    }

    // Random edits as typing, pasting and cutting make them, against a plain
    // string; the typing runs long enough to split and merge pieces.
    void randomEditsMatchAString()
    {
        QRandomGenerator rng(20240613);
        QString model = letters(20000, u'a');
        ChunkedText t(model);
        qsizetype caret = model.size() / 2;
        for (int step = 0; step < 20000; ++step) {
            const int kind = rng.bounded(100);
            qsizetype pos = caret;
            qsizetype len = 0;
            QString text;
            if (kind < 70) {
                text = QString(QChar(char16_t(u'a' + rng.bounded(26))));
            } else if (kind < 85) {
                len = std::min<qsizetype>(1, model.size() - pos);
            } else if (kind < 92) {
                pos = rng.bounded(int(model.size() + 1));
                text = letters(rng.bounded(3 * int(ChunkedText::PieceSize)), u'A');
            } else if (kind < 98) {
                pos = rng.bounded(int(model.size() + 1));
                len = rng.bounded(int(std::min<qsizetype>(3 * ChunkedText::PieceSize, model.size() - pos) + 1));
            } else {
                pos = rng.bounded(int(model.size() + 1));
                caret = pos;
                continue;
            }
            t.replace(pos, len, text);
            model.replace(pos, len, text);
            caret = pos + text.size();
            if (t.size() != model.size() || (step % 97 == 0 && t.toString() != model))
                QFAIL(qPrintable(u"differs after step %1"_s.arg(step)));
            if (step % 499 == 0)
                QVERIFY(piecesSound(t));
        }
        QCOMPARE(t.toString(), model);
        QVERIFY(piecesSound(t));
    }

    void forEachPieceStopsWhenAsked()
    {
        const ChunkedText t(letters(5 * ChunkedText::PieceSize, u'a'));
        int calls = 0;
        t.forEachPiece(0, t.size(), [&](QStringView) { return ++calls < 2; });
        QCOMPARE(calls, 2);
    }
};

QTEST_GUILESS_MAIN(TestChunkedText)
#include "tst_chunkedtext.moc"
