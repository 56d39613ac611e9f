// The settings dialogs of pages, pictures and other files, driven through
// their controls in new and edit mode.

#include "AppPaths.h"
#include "WidgetTestSupport.h"
#include "ItemDialogs.h"
#include "RecordingUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {


QLineEdit *edit(QWidget *w, const QString &name) { return child<QLineEdit>(w, name); }
QString labelText(QWidget *w, const QString &name) { return child<QLabel>(w, name)->text(); }
void click(QWidget *w, const QString &name) { QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton); }

// Types text into a box at its caret, replacing the selection.
void type(QLineEdit *e, const QString &text)
{
    e->insert(text);
}

// Replaces a box's text as typing would.
void retype(QLineEdit *e, const QString &text)
{
    e->selectAll();
    e->del();
    type(e, text);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A 1 x 1 GIF picture (Qt reads GIF but does not write it).
const QByteArray TinyGif = QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c00000000"
                                               "010001000002024401003b");

ProjectDates pagesProject()
{
    ProjectDates p;
    AddHtmlDat(p, u"HTMLページ1"_s, u"html1"_s, u"<p>1</p>"_s, u".htm"_s);
    return p;
}

} // namespace

class TestItemDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_gif, m_jpg, m_jpeg, m_bmp, m_png, m_upperJpg, m_broken;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(Qt::red);
        m_gif = m_dir.path() + u"/a.gif"_s;
        QVERIFY(writeBytes(m_gif, TinyGif));
        m_jpg = m_dir.path() + u"/a.jpg"_s;
        QVERIFY(img.save(m_jpg, "JPG"));
        m_jpeg = m_dir.path() + u"/b.jpeg"_s;
        QVERIFY(img.save(m_jpeg, "JPG"));
        m_upperJpg = m_dir.path() + u"/C.JPG"_s;
        QVERIFY(img.save(m_upperJpg, "JPG"));
        m_bmp = m_dir.path() + u"/a.bmp"_s;
        QVERIFY(img.save(m_bmp, "BMP"));
        m_png = m_dir.path() + u"/a.png"_s;
        QVERIFY(img.save(m_png, "PNG"));
        m_broken = m_dir.path() + u"/broken.gif"_s;
        QVERIFY(writeBytes(m_broken, "not a picture"));
        QVERIFY(PictureSettei::PictureLoads(m_gif));
        QVERIFY(!PictureSettei::PictureLoads(m_png));
    }

    // Pages ----------------------------------------------------------------

    void pageNewMode()
    {
        RecordingUi rec;
        ProjectDates p = pagesProject();
        p.EditNew = true;
        HTMLProp dlg(p);
        QCOMPARE(dlg.windowTitle(), u"新規HTML"_s);
        QCOMPARE(edit(&dlg, u"Nametxt"_s)->text(), u"HTMLページ2"_s);
        QCOMPARE(edit(&dlg, u"Nametxt"_s)->selectedText(), u"HTMLページ2"_s);
        QCOMPARE(edit(&dlg, u"FnTxt"_s)->text(), u"html2"_s);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"名前"_s);
        QCOMPARE(child<QCheckBox>(&dlg, u"Check1"_s)->text(), u"拡張子の自動挿入"_s);
        QVERIFY(child<QCheckBox>(&dlg, u"Check1"_s)->isChecked());
        QCOMPARE(child<QGroupBox>(&dlg, u"Frame1"_s)->title(), u"拡張子"_s);
        QCOMPARE(child<QRadioButton>(&dlg, u"Optionhtm"_s)->text(), u"*.htm"_s);
        QVERIFY(child<QRadioButton>(&dlg, u"Optionhtml"_s)->isChecked());
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [html2.html]"_s);
        QCOMPARE(child<QPushButton>(&dlg, u"Command2"_s)->text(), u"キャンセル"_s);
        click(&dlg, u"Command1"_s);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(p.HtmlMax(), 1);
        QCOMPARE(p.Html.at(1), (HtmlDat{u"HTMLページ2"_s, u"html2"_s, QString(), u".html"_s}));
        QVERIFY(rec.shown.isEmpty());
    }

    void pageExtensionChoice()
    {
        ProjectDates p = pagesProject();
        p.EditNew = true;
        HTMLProp dlg(p);
        dlg.show();
        auto *check = child<QCheckBox>(&dlg, u"Check1"_s);
        auto *htm = child<QRadioButton>(&dlg, u"Optionhtm"_s);
        htm->click();
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [html2.htm]"_s);
        check->setChecked(false);
        QVERIFY(!htm->isEnabled());
        QVERIFY(!child<QRadioButton>(&dlg, u"Optionhtml"_s)->isEnabled());
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [html2]"_s);
        retype(edit(&dlg, u"FnTxt"_s), u"top"_s);
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [top]"_s);
        check->setChecked(true);
        QVERIFY(htm->isEnabled());
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [top.htm]"_s);
        click(&dlg, u"Command1"_s);
        QCOMPARE(p.Html.last().outputName(), u"top.htm"_s);
    }

    void pageEditMode()
    {
        ProjectDates p = pagesProject();
        AddHtmlDat(p, u"Index"_s, u"index"_s, u"x"_s, u".html"_s);
        AddHtmlDat(p, u"Other"_s, u"other"_s, u"y"_s, u".shtml"_s);
        p.EditNew = false;
        p.NowHtml = 1;
        {
            HTMLProp dlg(p);
            QCOMPARE(dlg.windowTitle(), u"Indexの設定"_s);
            QCOMPARE(edit(&dlg, u"Nametxt"_s)->text(), u"Index"_s);
            QCOMPARE(edit(&dlg, u"Nametxt"_s)->selectedText(), u"Index"_s);
            QCOMPARE(edit(&dlg, u"FnTxt"_s)->text(), u"index"_s);
            QVERIFY(child<QRadioButton>(&dlg, u"Optionhtml"_s)->isChecked());
            // Unchanged names are never a duplicate of the page itself.
            click(&dlg, u"Command1"_s);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(p.Html.at(1), (HtmlDat{u"Index"_s, u"index"_s, u"x"_s, u".html"_s}));
        }
        p.NowHtml = 0;
        {
            HTMLProp dlg(p);
            QVERIFY(child<QRadioButton>(&dlg, u"Optionhtm"_s)->isChecked());
            QVERIFY(child<QCheckBox>(&dlg, u"Check1"_s)->isChecked());
        }
        p.NowHtml = 2;
        {
            HTMLProp dlg(p);
            QVERIFY(!child<QCheckBox>(&dlg, u"Check1"_s)->isChecked());
            QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [other]"_s);
            retype(edit(&dlg, u"Nametxt"_s), u"別"_s);
            click(&dlg, u"Command1"_s);
            // The page text stays; the extension follows the unticked box.
            QCOMPARE(p.Html.at(2), (HtmlDat{u"別"_s, u"other"_s, u"y"_s, QString()}));
        }
    }

    void pageDuplicate()
    {
        RecordingUi rec;
        ProjectDates p;
        AddHtmlDat(p, u"Index"_s, u"Index"_s, QString(), u".htm"_s);
        AddHtmlDat(p, u"A"_s, u"a"_s, QString(), u".htm"_s);
        AddHtmlDat(p, u"B"_s, u"html1"_s, QString(), u".htm"_s);
        p.EditNew = false;
        p.NowHtml = 0;
        HTMLProp dlg(p);
        dlg.show();
        retype(edit(&dlg, u"FnTxt"_s), u"html1"_s);
        child<QRadioButton>(&dlg, u"Optionhtm"_s)->click();
        click(&dlg, u"Command1"_s);
        QCOMPARE(rec.messages(),
                 QStringList({u"同一のファイル名が存在するので、このファイル名は利用できません。\r\nファイル名：html1.htm（3番目のHTMLデータ。）"_s}));
        QCOMPARE(rec.shown.last().icon, UiService::Icon::Critical);
        QVERIFY(dlg.isVisible());
        QCOMPARE(p.Html.at(0).FileName, u"Index"_s);
        // ".html" is free.
        child<QRadioButton>(&dlg, u"Optionhtml"_s)->click();
        click(&dlg, u"Command1"_s);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(p.Html.at(0).outputName(), u"html1.html"_s);

        // In new mode any page with the name is a duplicate.
        p.EditNew = true;
        HTMLProp fresh(p);
        retype(edit(&fresh, u"FnTxt"_s), u"a"_s);
        child<QRadioButton>(&fresh, u"Optionhtm"_s)->click();
        click(&fresh, u"Command1"_s);
        QVERIFY(rec.lastMessage().endsWith(u"ファイル名：a.htm（2番目のHTMLデータ。）"_s));
        QCOMPARE(p.HtmlMax(), 2);
    }

    void pageOkEnableRule()
    {
        ProjectDates p = pagesProject();
        p.EditNew = true;
        HTMLProp dlg(p);
        auto *ok = child<QPushButton>(&dlg, u"Command1"_s);
        QVERIFY(ok->isEnabled());
        edit(&dlg, u"Nametxt"_s)->clear();
        QVERIFY(!ok->isEnabled());
        type(edit(&dlg, u"Nametxt"_s), u"n"_s);
        QVERIFY(ok->isEnabled());
        edit(&dlg, u"FnTxt"_s)->clear();
        QVERIFY(!ok->isEnabled());
    }

    void pageRefusesUnstorableText_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("start");
        QTest::newRow("comma in name") << u"Nametxt"_s << u"a,b"_s << u"「名前」に使用できない文字"_s;
        QTest::newRow("leading blank") << u"Nametxt"_s << u" a"_s << u"「名前」に使用できない文字"_s;
        QTest::newRow("NUL in name") << u"Nametxt"_s << QString(u"a"_s + QChar(0) + u"b"_s)
                                     << u"「名前」に使用できない文字が含まれています：NUL文字"_s;
        QTest::newRow("NUL in file name") << u"FnTxt"_s << QString(u"a"_s + QChar(0) + u"b"_s)
                                          << u"「ファイル名」に使用できない文字が含まれています：NUL文字"_s;
        QTest::newRow("leading quote in file") << u"FnTxt"_s << u"\"a"_s << u"「ファイル名」に使用できない文字"_s;
        QTest::newRow("separator") << u"FnTxt"_s << u"sub/a"_s << u"出力時のファイル名「sub/a.html」は使用できません。"_s;
        QTest::newRow("parent") << u"FnTxt"_s << u"..\\a"_s << u"出力時のファイル名「..\\a.html」は使用できません。"_s;
        const QString chars = u"出力時のファイル名「%1.html」に使用できない文字が含まれています：%2"_s;
        for (const QString &c : {u"\""_s, u"#"_s, u"?"_s, u"*"_s, u"<"_s, u">"_s, u"|"_s, u":"_s, u"%"_s})
            QTest::addRow("link breaker %s", qPrintable(c))
                << u"FnTxt"_s << (u"a"_s + c + u"b"_s) << chars.arg(u"a"_s + c + u"b"_s, u"「"_s + c + u"」"_s);
        QTest::newRow("several link breakers") << u"FnTxt"_s << u"a?b#c?"_s
                                               << chars.arg(u"a?b#c?"_s, u"「#」「?」"_s);
        QTest::newRow("wave dash in file name") << u"FnTxt"_s << u"a\u301Cb"_s
                                                << u"「ファイル名」に使用できない文字が含まれています：保存すると別の文字に変わる文字「\u301C」"_s;
    }

    void pageRefusesUnstorableText()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, start);
        RecordingUi rec;
        ProjectDates p = pagesProject();
        p.EditNew = true;
        HTMLProp dlg(p);
        dlg.show();
        retype(edit(&dlg, box), text);
        auto *ok = child<QPushButton>(&dlg, u"Command1"_s);
        QVERIFY(ok->isEnabled());
        click(&dlg, u"Command1"_s);
        QCOMPARE(rec.messages().size(), 1);
        QVERIFY2(rec.lastMessage().startsWith(start), qPrintable(rec.lastMessage()));
        QCOMPARE(rec.shown.last().icon, UiService::Icon::Critical);
        QVERIFY(dlg.isVisible());
        QCOMPARE(p.HtmlMax(), 0);
        // Once the text is fine, OK works.
        retype(edit(&dlg, box), u"fine"_s);
        click(&dlg, u"Command1"_s);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(p.HtmlMax(), 1);
    }

    void pageWithStoredOddNameStaysEditable()
    {
        RecordingUi rec;
        ProjectDates p = pagesProject();
        p.Html[0].FileName = u"q?a"_s; // from an older project
        p.EditNew = false;
        p.NowHtml = 0;
        {
            HTMLProp dlg(p);
            dlg.show();
            child<QRadioButton>(&dlg, u"Optionhtm"_s)->click();
            retype(edit(&dlg, u"Nametxt"_s), u"新しい名前"_s);
            click(&dlg, u"Command1"_s);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QVERIFY(rec.shown.isEmpty());
            QCOMPARE(p.Html.at(0).DatName, u"新しい名前"_s);
        }
        // A changed output name is checked.
        HTMLProp dlg(p);
        dlg.show();
        retype(edit(&dlg, u"FnTxt"_s), u"q?b"_s);
        click(&dlg, u"Command1"_s);
        QVERIFY(dlg.isVisible());
        QVERIFY(rec.lastMessage().startsWith(u"出力時のファイル名「q?b.htm」に使用できない文字が含まれています：「?」"_s));
        QCOMPARE(p.Html.at(0).FileName, u"q?a"_s);
    }

    void fileItemsRefuseLinkBreakers_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("start");
        QTest::newRow("picture name with #") << true << u"top#1"_s << m_gif
                                             << u"出力時のファイル名「top#1.gif」に使用できない文字が含まれています：「#」"_s;
        QTest::newRow("other file name with %") << false << u"100%"_s << u"/d/x.zip"_s
                                                << u"出力時のファイル名「100%.zip」に使用できない文字が含まれています：「%」"_s;
        QTest::newRow("other file name with : and |") << false << u"a:b|c"_s << u"/d/x.zip"_s
                                                      << u"出力時のファイル名「a:b|c.zip」に使用できない文字が含まれています：「|」「:」"_s;
        QTest::newRow("other file from a path with \u301C") << false << u"fine"_s << u"/d/\u301C.zip"_s
                                                     << u"「参照先ファイル」に使用できない文字が含まれています：保存すると別の文字に変わる文字「\u301C」"_s;
    }

    void fileItemsRefuseLinkBreakers()
    {
        QFETCH(bool, picture);
        QFETCH(QString, fileName);
        QFETCH(QString, path);
        QFETCH(QString, start);
        RecordingUi rec;
        ProjectDates p;
        p.EditNew = true;
        std::unique_ptr<QDialog> dlg;
        if (picture)
            dlg = std::make_unique<PictureSettei>(p);
        else
            dlg = std::make_unique<ElseFileSettei>(p);
        dlg->show();
        type(edit(dlg.get(), u"Text1"_s), path);
        retype(edit(dlg.get(), u"Text2"_s), fileName);
        click(dlg.get(), u"Command2"_s);
        QCOMPARE(rec.messages().size(), 1);
        QVERIFY2(rec.lastMessage().startsWith(start), qPrintable(rec.lastMessage()));
        QCOMPARE(rec.shown.last().icon, UiService::Icon::Critical);
        QVERIFY(dlg->isVisible());
        QCOMPARE(p.PictMax() + p.ElseFileMax(), -2);
    }

    void buttonsOfARowShareOneSize()
    {
        ProjectDates p = pagesProject();
        p.EditNew = true;
        HTMLProp page(p);
        PictureSettei picture(p);
        ElseFileSettei other(p);
        const QList<QPair<QDialog *, QStringList>> rows = {
            {&page, {u"Command1"_s, u"Command2"_s}},
            {&picture, {u"Command2"_s, u"Command3"_s}},
            {&other, {u"Command4"_s, u"Command2"_s, u"Command3"_s}},
        };
        for (const auto &[dlg, names] : rows) {
            dlg->show();
            QVERIFY(QTest::qWaitForWindowExposed(dlg));
            const QSize first = child<QPushButton>(dlg, names.first())->size();
            for (const QString &name : names) {
                QPushButton *b = child<QPushButton>(dlg, name);
                QCOMPARE(b->size(), first);
                // Each caption fits its button.
                QVERIFY(b->width() >= b->sizeHint().width());
                QVERIFY(b->height() >= b->sizeHint().height());
            }
            // Their tops line up.
            for (const QString &name : names)
                QCOMPARE(child<QPushButton>(dlg, name)->y(), child<QPushButton>(dlg, names.last())->y());
        }
    }

    // Pictures -------------------------------------------------------------

    void pictureNewMode()
    {
        RecordingUi rec;
        ProjectDates p;
        p.EditNew = true;
        PictureSettei dlg(p);
        QCOMPARE(dlg.windowTitle(), u"画像の追加"_s);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"画像ファイル"_s);
        QCOMPARE(labelText(&dlg, u"Label3"_s), u"名前"_s);
        QCOMPARE(edit(&dlg, u"Text3"_s)->text(), u"画像データ1"_s);
        QCOMPARE(edit(&dlg, u"Text3"_s)->selectedText(), u"画像データ1"_s);
        QCOMPARE(edit(&dlg, u"Text2"_s)->text(), u"picure1"_s);
        QVERIFY(edit(&dlg, u"Text1"_s)->text().isEmpty());
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [picure1]"_s);
        QCOMPARE(child<QPushButton>(&dlg, u"Command1"_s)->text(), u"参照..."_s);
        QCOMPARE(child<QPushButton>(&dlg, u"Command3"_s)->text(), u"キャンセル"_s);
        // The path box is empty, so OK waits.
        QVERIFY(!child<QPushButton>(&dlg, u"Command2"_s)->isEnabled());
        const QImage placeholder = child<QLabel>(&dlg, u"Brack"_s)->pixmap().toImage();
        QCOMPARE(child<QLabel>(&dlg, u"Image1"_s)->pixmap().toImage(), placeholder);

        type(edit(&dlg, u"Text1"_s), m_gif);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"画像ファイル - [GIFファイル]"_s);
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [picure1.gif]"_s);
        QVERIFY(child<QLabel>(&dlg, u"Image1"_s)->pixmap().toImage() != placeholder);
        click(&dlg, u"Command2"_s);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(p.Pict.value(0), (PictDat{u"画像データ1"_s, u"picure1"_s, m_gif, u".gif"_s}));
        QVERIFY(rec.shown.isEmpty());
    }

    void pictureKinds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("ext");
        QTest::newRow("gif") << m_gif << u"画像ファイル - [GIFファイル]"_s << u".gif"_s;
        QTest::newRow("jpg") << m_jpg << u"画像ファイル - [JPGファイル]"_s << u".jpg"_s;
        QTest::newRow("jpeg") << m_jpeg << u"画像ファイル - [JPGファイル]"_s << u".jpeg"_s;
        QTest::newRow("bmp") << m_bmp << u"画像ファイル - [ビットマップファイル]"_s << u".bmp"_s;
        // Loads, but the name ends otherwise: label and extension stay.
        QTest::newRow("JPG") << m_upperJpg << u"画像ファイル"_s << QString();
        QTest::newRow("png") << m_png << u"画像ファイル - [PNGファイル：プレビュー不可]"_s << u".png"_s;
        QTest::newRow("broken") << m_broken << u"画像ファイル - [不明、又は不正なファイル形式]"_s << QString();
        QTest::newRow("missing") << (m_dir.path() + u"/none.gif"_s) << u"画像ファイル - [不明、又は不正なファイル形式]"_s
                                 << QString();
    }

    void pictureKinds()
    {
        QFETCH(QString, path);
        QFETCH(QString, label);
        QFETCH(QString, ext);
        ProjectDates p;
        p.EditNew = true;
        PictureSettei dlg(p);
        type(edit(&dlg, u"Text1"_s), path);
        QCOMPARE(labelText(&dlg, u"Label1"_s), label);
        QCOMPARE(dlg.kakutyousi(), ext);
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [picure1"_s + ext + u']');
        const bool preview = ext == u".gif" || ext == u".jpg" || ext == u".jpeg" || ext == u".bmp" || path == m_upperJpg;
        const QImage placeholder = child<QLabel>(&dlg, u"Brack"_s)->pixmap().toImage();
        QCOMPARE(child<QLabel>(&dlg, u"Image1"_s)->pixmap().toImage() != placeholder, preview);
        // A missing path is accepted.
        click(&dlg, u"Command2"_s);
        QCOMPARE(p.Pict.value(0).outputName(), u"picure1"_s + ext);
    }

    void pictureUpperJpgKeepsExtension()
    {
        // After a .gif, a ".JPG" keeps the .gif extension and its description.
        ProjectDates p;
        p.EditNew = true;
        PictureSettei dlg(p);
        type(edit(&dlg, u"Text1"_s), m_gif);
        edit(&dlg, u"Text1"_s)->setText(m_upperJpg);
        QCOMPARE(dlg.kakutyousi(), u".gif"_s);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"画像ファイル - [GIFファイル]"_s);
    }

    void pictureEditMode()
    {
        RecordingUi rec;
        ProjectDates p;
        AddPictDat(p, u"ロゴ"_s, u"logo"_s, m_gif, u".gif"_s);
        AddPictDat(p, u"写真"_s, u"photo"_s, m_upperJpg, u".jpeg"_s);
        p.EditNew = false;
        p.EditIndex = 1;
        PictureSettei dlg(p);
        QCOMPARE(dlg.windowTitle(), u"写真の設定"_s);
        QCOMPARE(edit(&dlg, u"Text1"_s)->text(), m_upperJpg);
        QCOMPARE(edit(&dlg, u"Text3"_s)->text(), u"写真"_s);
        QCOMPARE(edit(&dlg, u"Text3"_s)->selectedText(), u"写真"_s);
        QCOMPARE(edit(&dlg, u"Text2"_s)->text(), u"photo"_s);
        // ".JPG" keeps the stored extension.
        QCOMPARE(dlg.kakutyousi(), u".jpeg"_s);
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [photo.jpeg]"_s);
        // Duplicate of picture 0.
        retype(edit(&dlg, u"Text1"_s), m_gif);
        retype(edit(&dlg, u"Text2"_s), u"logo"_s);
        click(&dlg, u"Command2"_s);
        QCOMPARE(rec.lastMessage(),
                 u"同一のファイル名が存在するので、このファイル名は利用できません。\r\nファイル名：logo.gif（1番目のHTMLデータ。）"_s);
        retype(edit(&dlg, u"Text2"_s), u"logo2"_s);
        click(&dlg, u"Command2"_s);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(p.Pict.at(1), (PictDat{u"写真"_s, u"logo2"_s, m_gif, u".gif"_s}));
        QCOMPARE(p.PictMax(), 1);
    }

    void pictureBrowse()
    {
        RecordingUi rec;
        ProjectDates p;
        p.EditNew = true;
        PictureSettei dlg(p);
        rec.fileAnswers << m_bmp << QString();
        click(&dlg, u"Command1"_s);
        QCOMPARE(rec.shown.last().kind, u"open"_s);
        QCOMPARE(rec.shown.last().text,
                 u"利用可能な画像ファイル|*gif;*jpg;*.bmp;*.png|GIFファイル|*.gif|JPGファイル|*jpg;jpeg|ビットマップファイル|*.bmp|PNGファイル|*.png|全てのファイル|*.*"_s);
        QCOMPARE(edit(&dlg, u"Text1"_s)->text(), m_bmp);
        QCOMPARE(dlg.kakutyousi(), u".bmp"_s);
        // Cancelled: nothing changes.
        click(&dlg, u"Command1"_s);
        QCOMPARE(edit(&dlg, u"Text1"_s)->text(), m_bmp);
    }

    void pictureOkEnableRuleAndCancel()
    {
        ProjectDates p;
        p.EditNew = true;
        PictureSettei dlg(p);
        auto *ok = child<QPushButton>(&dlg, u"Command2"_s);
        type(edit(&dlg, u"Text1"_s), m_gif);
        QVERIFY(ok->isEnabled());
        for (const QString &box : {u"Text1"_s, u"Text2"_s, u"Text3"_s}) {
            const QString keep = edit(&dlg, box)->text();
            edit(&dlg, box)->clear();
            QVERIFY2(!ok->isEnabled(), qPrintable(box));
            edit(&dlg, box)->setText(keep);
            QVERIFY(ok->isEnabled());
        }
        click(&dlg, u"Command3"_s);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(p.PictMax(), -1);
    }

    void pictureRefusesCommaInPath()
    {
        RecordingUi rec;
        ProjectDates p;
        p.EditNew = true;
        PictureSettei dlg(p);
        dlg.show();
        type(edit(&dlg, u"Text1"_s), m_dir.path() + u"/a,b.gif"_s);
        click(&dlg, u"Command2"_s);
        QVERIFY(rec.lastMessage().startsWith(u"「参照先ファイル」に使用できない文字が含まれています：カンマ（,）"_s));
        QVERIFY(dlg.isVisible());
        QCOMPARE(p.PictMax(), -1);
    }

    // Other files ----------------------------------------------------------

    void elseFileNewMode()
    {
        ProjectDates p;
        p.EditNew = true;
        ElseFileSettei dlg(p);
        QCOMPARE(dlg.windowTitle(), u"ファイルの追加"_s);
        QCOMPARE(edit(&dlg, u"Text3"_s)->text(), u"ファイルデータ1"_s);
        QCOMPARE(edit(&dlg, u"Text3"_s)->selectedText(), u"ファイルデータ1"_s);
        QCOMPARE(edit(&dlg, u"Text2"_s)->text(), u"file1"_s);
        QCOMPARE(child<QPushButton>(&dlg, u"Command4"_s)->text(), u"拡張子..."_s);
        type(edit(&dlg, u"Text1"_s), u"/d/song.mid"_s);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"参照先ファイル名 - [MIDIシーケンスファイル]"_s);
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [file1.mid]"_s);
        retype(edit(&dlg, u"Text1"_s), u"/d/x.abc"_s);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"参照先ファイル名 - [\".abc\"ファイル]"_s);
        QCOMPARE(dlg.kakutyousi(), u".abc"_s);
        retype(edit(&dlg, u"Text1"_s), u".zip"_s);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"参照先ファイル名 - [不明なファイル]"_s);
        QCOMPARE(dlg.kakutyousi(), QString());
        retype(edit(&dlg, u"Text1"_s), u"/d/x.zip"_s);
        click(&dlg, u"Command2"_s);
        QCOMPARE(p.ElseFile.value(0), (ElseFileDat{u"ファイルデータ1"_s, u"file1"_s, u"/d/x.zip"_s, u".zip"_s}));
    }

    void elseFileExtensionByHand()
    {
        RecordingUi rec;
        ProjectDates p;
        p.EditNew = true;
        ElseFileSettei dlg(p);
        dlg.show();
        type(edit(&dlg, u"Text1"_s), u"/d/pack.lzh"_s);
        QString shownText;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
            QWidget *ext = QApplication::activeModalWidget();
            shownText = child<QLineEdit>(ext, u"Text1"_s)->text();
            retype(child<QLineEdit>(ext, u"Text1"_s), u"tgz"_s);
            click(ext, u"Command1"_s);
        });
        click(&dlg, u"Command4"_s);
        QCOMPARE(shownText, u"lzh"_s);
        QCOMPARE(dlg.kakutyousi(), u".tgz"_s);
        QVERIFY(dlg.kakutyousiHenkou());
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [file1.tgz]　・・・拡張子が変更されています。"_s);
        // A new path detects again and clears the mark.
        retype(edit(&dlg, u"Text1"_s), u"/d/pack.cab"_s);
        QVERIFY(!dlg.kakutyousiHenkou());
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [file1.cab]"_s);

        // An empty extension stays empty; closing the dialog keeps it so.
        retype(edit(&dlg, u"Text1"_s), u"/d/README"_s);
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
            QWidget *ext = QApplication::activeModalWidget();
            shownText = child<QLineEdit>(ext, u"Text1"_s)->text();
            static_cast<QDialog *>(ext)->reject();
        });
        click(&dlg, u"Command4"_s);
        QCOMPARE(shownText, QString());
        QCOMPARE(dlg.kakutyousi(), QString());
        QVERIFY(dlg.kakutyousiHenkou());

        // An extension that would lead out of the folder is refused on OK.
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
            QWidget *ext = QApplication::activeModalWidget();
            retype(child<QLineEdit>(ext, u"Text1"_s), u"x/../../y"_s);
            click(ext, u"Command1"_s);
        });
        click(&dlg, u"Command4"_s);
        click(&dlg, u"Command2"_s);
        QVERIFY(rec.lastMessage().startsWith(u"出力時のファイル名「file1.x/../../y」は使用できません。"_s));
        QCOMPARE(p.ElseFileMax(), -1);
    }

    void elseFileEditMode()
    {
        RecordingUi rec;
        ProjectDates p;
        AddElseFileDat(p, u"資料"_s, u"doc"_s, u"/d/doc.zip"_s, u".zip"_s);
        AddElseFileDat(p, u"圧縮"_s, u"pack"_s, u"/d/pack.lzh"_s, u".bin"_s);
        p.EditNew = false;
        p.EditIndex = 1;
        ElseFileSettei dlg(p);
        QCOMPARE(dlg.windowTitle(), u"圧縮の設定"_s);
        QCOMPARE(edit(&dlg, u"Text1"_s)->text(), u"/d/pack.lzh"_s);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"参照先ファイル名 - [LZH圧縮ファイル]"_s);
        // The stored extension differs from the detected one: it stays in force.
        QCOMPARE(dlg.kakutyousi(), u".bin"_s);
        QVERIFY(dlg.kakutyousiHenkou());
        QCOMPARE(labelText(&dlg, u"Label2"_s), u"出力時のファイル名 - [pack.bin]　・・・拡張子が変更されています。"_s);
        retype(edit(&dlg, u"Text1"_s), u"/d/doc2.zip"_s);
        retype(edit(&dlg, u"Text2"_s), u"doc"_s);
        click(&dlg, u"Command2"_s);
        QCOMPARE(rec.lastMessage(),
                 u"同一のファイル名が存在するので、このファイル名は利用できません。\r\nファイル名：doc.zip（1番目のHTMLデータ。）"_s);
        retype(edit(&dlg, u"Text2"_s), u"doc2"_s);
        click(&dlg, u"Command2"_s);
        QCOMPARE(p.ElseFile.at(1), (ElseFileDat{u"圧縮"_s, u"doc2"_s, u"/d/doc2.zip"_s, u".zip"_s}));

        // Same extension as detected: no mark.
        p.EditIndex = 0;
        ElseFileSettei same(p);
        QVERIFY(!same.kakutyousiHenkou());
        QCOMPARE(labelText(&same, u"Label2"_s), u"出力時のファイル名 - [doc.zip]"_s);
    }

    void elseFileBrowse()
    {
        RecordingUi rec;
        ProjectDates p;
        p.EditNew = true;
        ElseFileSettei dlg(p);
        rec.fileAnswers << u"/d/movie.mov"_s;
        click(&dlg, u"Command1"_s);
        QCOMPARE(rec.shown.last().text, u"全てのファイル|*.*"_s);
        QCOMPARE(edit(&dlg, u"Text1"_s)->text(), u"/d/movie.mov"_s);
        QCOMPARE(labelText(&dlg, u"Label1"_s), u"参照先ファイル名 - [MOVムービーファイル]"_s);
    }

    // Comfort ---------------------------------------------------------------

    void tabOrderFollowsLayout()
    {
        // The focusable controls in the order Tab visits them, from the box
        // that has the focus when the dialog opens.
        const auto chain = [](QDialog *dlg, QWidget *start) {
            QStringList names;
            QWidget *w = start;
            do {
                if (w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && w->window() == dlg)
                    names.append(w->objectName());
                w = w->nextInFocusChain();
            } while (w && w != start);
            return names;
        };
        ProjectDates p = pagesProject();
        p.EditNew = true;
        HTMLProp page(p);
        QCOMPARE(chain(&page, edit(&page, u"Nametxt"_s)),
                 QStringList({u"Nametxt"_s, u"FnTxt"_s, u"Check1"_s, u"Optionhtm"_s, u"Optionhtml"_s,
                              u"Command1"_s, u"Command2"_s}));
        QVERIFY(child<QPushButton>(&page, u"Command1"_s)->isDefault());

        PictureSettei pict(p);
        type(edit(&pict, u"Text1"_s), m_gif);
        QCOMPARE(chain(&pict, edit(&pict, u"Text3"_s)),
                 QStringList({u"Text3"_s, u"Text2"_s, u"Command2"_s, u"Command3"_s, u"Text1"_s, u"Command1"_s}));
        QVERIFY(child<QPushButton>(&pict, u"Command2"_s)->isDefault());

        // The extension button stands left of OK in the button row.
        ElseFileSettei other(p);
        type(edit(&other, u"Text1"_s), u"/d/x.zip"_s);
        QCOMPARE(chain(&other, edit(&other, u"Text3"_s)),
                 QStringList({u"Text3"_s, u"Text2"_s, u"Command4"_s, u"Command2"_s, u"Command3"_s, u"Text1"_s,
                              u"Command1"_s}));
        QVERIFY(child<QPushButton>(&other, u"Command2"_s)->isDefault());
    }
};

QTEST_MAIN(TestItemDialogs)
#include "tst_itemdialogs.moc"
