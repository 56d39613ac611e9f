// The screen service: the real message boxes and dialogs, driven as a user
// would, and the status panel.

#include "ButtonRow.h"
#include "RecordingUi.h"
#include "UiService.h"
#include "WidgetTestSupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

class TestUiService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void yesNoCancelQuestion_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::newRow("はい") << u"Yes"_s << int(UiService::Answer::Yes);
        QTest::newRow("いいえ") << u"No"_s << int(UiService::Answer::No);
        QTest::newRow("キャンセル") << u"Cancel"_s << int(UiService::Answer::Cancel);
        QTest::newRow("Escape") << u"escape"_s << int(UiService::Answer::Cancel);
        QTest::newRow("close button") << u"close"_s << int(UiService::Answer::Cancel);
        QTest::newRow("Enter takes the default") << u"enter"_s << int(UiService::Answer::Yes);
        QTest::newRow("access key of いいえ") << u"alt-n"_s << int(UiService::Answer::No);
    }

    void yesNoCancelQuestion()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList captions;
        ModalAnswerer answerer({[&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            text = box->text();
            icon = box->icon();
            for (QAbstractButton *b : box->buttons())
                captions.append(b->text());
            if (how == u"escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else if (how == u"enter")
                QTest::keyClick(box, Qt::Key_Return);
            else if (how == u"alt-n") {
                // An access key only reaches a window that is active; under
                // load the box may be shown a moment before it becomes so.
                if (!QTest::qWaitForWindowActive(box)) {
                    box->reject();
                    QFAIL("the question never became the active window");
                }
                QTest::keyClick(box, Qt::Key_N, Qt::AltModifier);
            }
            else if (how == u"close")
                box->close();
            else
                box->findChild<QPushButton *>(how)->click();
        }});
        const UiService::Answer got = Ui().askYesNoCancel(u"保存しますか？"_s, UiService::Icon::Exclamation);
        QCOMPARE(answerer.handled, 1);
        QCOMPARE(int(got), answer);
        QCOMPARE(text, u"保存しますか？"_s);
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(captions.size(), 3);
        for (const QString &c : {u"はい(&Y)"_s, u"いいえ(&N)"_s, u"キャンセル"_s})
            QVERIFY2(captions.contains(c), qPrintable(captions.join(u'/')));
    }

    void yesNoQuestionKeys_data()
    {
        QTest::addColumn<bool>("noIsDefault");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Enter, default はい") << false << u"enter"_s << true;
        QTest::newRow("Enter, default いいえ") << true << u"enter"_s << false;
        QTest::newRow("Escape, default はい") << false << u"escape"_s << false;
        QTest::newRow("Escape, default いいえ") << true << u"escape"_s << false;
        QTest::newRow("close button") << false << u"close"_s << false;
    }

    void yesNoQuestionKeys()
    {
        QFETCH(bool, noIsDefault);
        QFETCH(QString, how);
        QFETCH(bool, expected);
        QString defaultCaption;
        ModalAnswerer answerer({[&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            QVERIFY(box->defaultButton());
            defaultCaption = box->defaultButton()->text();
            if (how == u"escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else if (how == u"enter")
                QTest::keyClick(box, Qt::Key_Return);
            else
                box->close();
        }});
        const bool got = Ui().askYesNo(u"消しますか？"_s, UiService::Icon::Question,
                                       noIsDefault ? UiService::Answer::No : UiService::Answer::Yes);
        QCOMPARE(answerer.handled, 1);
        QCOMPARE(defaultCaption, noIsDefault ? u"いいえ(&N)"_s : u"はい(&Y)"_s);
        QCOMPARE(got, expected);
    }

    void recorderAnswersThreeWayQuestions()
    {
        RecordingUi rec;
        rec.yesNoCancelAnswers << UiService::Answer::No;
        rec.yesNoAnswers << true << false;
        QCOMPARE(Ui().askYesNoCancel(u"a"_s, UiService::Icon::None), UiService::Answer::No);
        // A script written for a Yes/No question still answers.
        QCOMPARE(Ui().askYesNoCancel(u"b"_s, UiService::Icon::None), UiService::Answer::Yes);
        QCOMPARE(Ui().askYesNoCancel(u"c"_s, UiService::Icon::None), UiService::Answer::No);
        // Nothing scripted: the box was dismissed.
        QCOMPARE(Ui().askYesNoCancel(u"d"_s, UiService::Icon::None), UiService::Answer::Cancel);
        QCOMPARE(rec.messages(), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
        QCOMPARE(rec.shown.at(0).kind, u"question"_s);
    }

    void saveDialogAddsTheDefaultSuffix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("no extension") << u"マイサイト"_s << u"マイサイト.hpf"_s;
        QTest::newRow("with extension") << u"site.hpf"_s << u"site.hpf"_s;
        QTest::newRow("another extension") << u"site.txt"_s << u"site.txt"_s;
    }

    void saveDialogAddsTheDefaultSuffix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        ModalAnswerer answerer({[&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
            QVERIFY(name);
            name->setText(typed);
            QTest::keyClick(name, Qt::Key_Return);
        }});
        const QString path = Ui().saveFileName(u"HTMLプロジェクトファイル|*.hpf|全てのファイル|*.*"_s, dir.path(), u"hpf"_s);
        QCOMPARE(answerer.handled, 1);
        QCOMPARE(path, dir.filePath(result));
    }

    void saveDialogAsksBeforeReplacingTheSuffixedName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile existing(dir.filePath(u"作品.hpf"_s));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        QString question;
        ModalAnswerer answerer({[&](QWidget *w) {
                                    auto *name = w->findChild<QLineEdit *>(u"fileNameEdit"_s);
                                    QVERIFY(name);
                                    name->setText(u"作品"_s);
                                    // The question comes from within the key
                                    // press: press it from the event loop.
                                    QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
                                },
                                [&](QWidget *w) {
                                    // The question about the file that would be replaced.
                                    auto *box = qobject_cast<QMessageBox *>(w);
                                    QVERIFY(box);
                                    question = box->text();
                                    box->button(QMessageBox::No)->click();
                                },
                                [&](QWidget *w) {
                                    // Back in the dialog: give up.
                                    QVERIFY(qobject_cast<QFileDialog *>(w));
                                    static_cast<QDialog *>(w)->reject();
                                }});
        const QString path = Ui().saveFileName(u"HTMLプロジェクトファイル|*.hpf"_s, dir.path(), u"hpf"_s);
        QCOMPARE(answerer.handled, 3);
        QVERIFY2(question.contains(u"作品.hpf"_s), qPrintable(question));
        QCOMPARE(path, QString());
    }

    void qtDialogsSpeakJapanese()
    {
        QVERIFY(InstallQtTranslations());
        QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), u"キャンセル"_s);
        // The editor's context menu and the file dialog's own texts.
        QCOMPARE(QCoreApplication::translate("QWidgetTextControl", "&Undo"), u"元に戻す(&U)"_s);
        QVERIFY(QCoreApplication::translate("QFileDialog", "File &name:") != u"File &name:"_s);
    }

    void buttonsOfEveryWindowAreEquallyHigh()
    {
        InstallUniformButtonStyle();
        QWidget row;
        auto *layout = new QHBoxLayout(&row);
        auto *ok = new QPushButton(u"OK"_s);
        auto *cancel = new QPushButton(u"キャンセル"_s);
        auto *more = new QPushButton(u"参照(&B)..."_s);
        layout->addWidget(ok);
        layout->addWidget(cancel);
        layout->addWidget(more);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QCOMPARE(ok->sizeHint().height(), cancel->sizeHint().height());
        QCOMPARE(more->sizeHint().height(), cancel->sizeHint().height());
        QCOMPARE(ok->height(), cancel->height());
        QCOMPARE(ok->y(), cancel->y());
        // A message box's own buttons too.
        QMessageBox box(QMessageBox::Question, u"t"_s, u"質問"_s, QMessageBox::NoButton);
        QPushButton *yes = box.addButton(u"OK"_s, QMessageBox::AcceptRole);
        QPushButton *no = box.addButton(u"キャンセル"_s, QMessageBox::RejectRole);
        QCOMPARE(yes->sizeHint().height(), no->sizeHint().height());
    }

    void longCaptionsKeepRoomAtTheButtonsEdges_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("script list") << u"ファイルから追加"_s;
        QTest::newRow("access key") << u"ユーザー定義挿入支援リスト(&W)"_s;
        QTest::newRow("latin") << u"Add from a file on the disk"_s;
    }

    void longCaptionsKeepRoomAtTheButtonsEdges()
    {
        QFETCH(QString, caption);
        InstallUniformButtonStyle();
        QWidget column;
        auto *layout = new QVBoxLayout(&column);
        auto *button = new QPushButton(caption);
        layout->addWidget(button);
        layout->addWidget(new QPushButton(u"編集"_s));
        column.show();
        QVERIFY(QTest::qWaitForWindowExposed(&column));
        const QFontMetrics fm = button->fontMetrics();
        const int text = fm.size(Qt::TextShowMnemonic, caption).width();
        // At least half a character between the caption and either edge.
        QVERIFY2(button->width() - text >= fm.height(),
                 qPrintable(u"button %1, caption %2"_s.arg(button->width()).arg(text)));
    }

    void statusTextGoesToThePanel()
    {
        QLabel panel;
        SetStatusPanel(&panel);
        Ui().setStatusText(u"画面の説明"_s);
        QCOMPARE(panel.text(), u"画面の説明"_s);
        QCOMPARE(Ui().statusText(), u"画面の説明"_s);
        {
            // A recorder records and still shows it.
            RecordingUi rec;
            Ui().setStatusText(u"記録"_s);
            QCOMPARE(rec.statusTexts, QStringList{u"記録"_s});
            QCOMPARE(panel.text(), u"記録"_s);
        }
        SetStatusPanel(nullptr);
        Ui().setStatusText(u"どこにも"_s);
        QCOMPARE(panel.text(), u"記録"_s);
        // A panel that is gone is not used.
        auto *gone = new QLabel;
        SetStatusPanel(gone);
        delete gone;
        Ui().setStatusText(u"x"_s);
    }
};

QTEST_MAIN(TestUiService)
#include "tst_uiservice.moc"
