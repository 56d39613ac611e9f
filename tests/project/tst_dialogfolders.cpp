// Where the file dialogs start: the edge cases of keeping out of the
// program's own folders (the commands' tests follow the usual path).

#include "AppPaths.h"
#include "DialogFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDialogFolders : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(QString p) const
    {
        // {home}, {app} and {data} stand for the user's home, AppDir and the per-user folder.
        p.replace(u"{home}"_s, m_dir.path() + u"/home"_s);
        p.replace(u"{app}"_s, m_dir.path() + u"/app"_s);
        p.replace(u"{data}"_s, m_dir.path() + u"/home/.local/share/quorvel"_s);
        return p;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char16_t *f : {u"{home}/Documents", u"{home}/site", u"{app}/Tools",
                                  u"{data}/Tools", u"{home}/.config"})
            QVERIFY(QDir().mkpath(path(QString::fromUtf16(f))));
        QVERIFY(QFile::link(path(u"{app}"_s), path(u"{home}/link"_s)));
        qputenv("HOME", QFile::encodeName(path(u"{home}"_s)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(u"{home}/.config"_s)));
        qunsetenv("XDG_DATA_HOME");
        SetAppDir(path(u"{app}"_s));
    }

    void startFolder_data()
    {
        QTest::addColumn<QString>("lastUsed"); // a file chosen before by a Project dialog
        QTest::addColumn<QString>("projectPath");
        QTest::addColumn<bool>("documents"); // the Documents folder exists
        QTest::addColumn<QString>("expected");
        const QString none;
        const QString newProject = u"新規HTMLプロジェクト"_s;
        QTest::newRow("no Documents: home") << none << newProject << false << u"{home}"_s;
        QTest::newRow("project inside the data folder")
            << none << u"{data}/Tools/a.hpf"_s << true << u"{home}/Documents"_s;
        QTest::newRow("last used inside AppDir") << u"{app}/Tools/b.hpf"_s << u"{home}/site/a.hpf"_s << true
                                                 << u"{home}/site"_s;
        QTest::newRow("last used through a link into AppDir")
            << u"{home}/link/b.hpf"_s << newProject << true << u"{home}/Documents"_s;
    }

    void startFolder()
    {
        QFETCH(QString, lastUsed);
        QFETCH(QString, projectPath);
        QFETCH(bool, documents);
        QFETCH(QString, expected);
        const QString docs = path(u"{home}/Documents"_s);
        QVERIFY(documents ? QDir().mkpath(docs) : QDir(docs).removeRecursively());
        ForgetDialogFolders();
        RememberDialogChoice(DialogKind::Project, path(lastUsed));
        QCOMPARE(DialogStartFolder(DialogKind::Project, path(projectPath)), path(expected));
    }
};

QTEST_GUILESS_MAIN(TestDialogFolders)
#include "tst_dialogfolders.moc"
