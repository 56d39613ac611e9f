#include "RecoveryCommands.h"

#include "MainForm.h"
#include "OptionDate.h"
#include "PageEditor.h"
#include "SettingsFiles.h"
#include "TempC.h"
#include "TextFiles.h"
#include "UiService.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>

using namespace Qt::StringLiterals;

namespace {

QString shownPath(const QString &path)
{
    return path == NewProjectPath ? path : QDir::toNativeSeparators(path);
}

} // namespace

RecoveryCommands::RecoveryCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(u"RecoveryCommands"_s);
    m_timer.setInterval(int(EditorOptions().RecoverySeconds * 1000));
    connect(&m_timer, &QTimer::timeout, this, &RecoveryCommands::tick);
    connect(&m_writer, &RecoveryWriter::written, this, &RecoveryCommands::onWritten);
    form->onRecover = [this] { return offerRecords(); };
    form->onKeepWorkAsRecord = [this](QString *error) { return keepWorkAsRecord(error); };
    connect(form, &MainForm::startedUp, this, &RecoveryCommands::afterStartUp);
    connect(form, &MainForm::pageShown, this, [this] { recordNow(); });
    connect(form, &MainForm::projectUnchanged, this, [this] {
        if (m_armed && m_haveRecord) {
            m_writer.remove();
            m_haveRecord = false;
        }
    });
    connect(form, &MainForm::closing, this, &RecoveryCommands::endRecords);
}

RecoveryCommands::~RecoveryCommands()
{
    endRecords();
}

QString RecoveryCommands::recordPath() const
{
    return m_writer.path();
}

QString RecoveryCommands::OfferText(const RecoveryContents &c, const QString &asidePath, bool backupWaiting)
{
    const ProjectDates &p = c.project;
    const QString page = p.NowHtml >= 0 && p.NowHtml < p.Html.size() ? p.Html.at(p.NowHtml).DatName : QString();
    QString text = u"前回、プログラムが正しく終了しなかったため、保存されていない作業の記録が残っています。\r\n\r\n"_s
                   + u"プロジェクト: \""_s + shownPath(p.ProjectPath) + u"\"\r\n"_s
                   + u"ページ: \""_s + page + u"\"\r\n"_s
                   + u"記録した日時: "_s + c.written.toString(u"yyyy/MM/dd HH:mm:ss"_s) + u"\r\n\r\n"_s
                   + u"この作業を復元しますか？\r\n"_s
                   + u"「いいえ」を選ぶと、記録は\""_s + QDir::toNativeSeparators(asidePath)
                   + u"\"として残します（プロジェクトとして開けます）。"_s;
    if (backupWaiting)
        text += u"\r\n\r\n「書きかけ終了」で残した作業もあります。復元した場合、そちらは次回の起動時に再開します。"_s;
    return text;
}

QString RecoveryCommands::BrokenText(const QString &path, const QString &keptAs)
{
    QString text = u"前回の作業の記録\""_s + QDir::toNativeSeparators(path) + u"\"は壊れているため、復元できません。"_s;
    if (!keptAs.isEmpty())
        text += u"\r\n記録は\""_s + QDir::toNativeSeparators(keptAs) + u"\"として残してあります。"_s;
    return text;
}

bool RecoveryCommands::offerRecords()
{
    m_store = std::make_unique<RecoveryStore>(RecoveryFolder());
    const EditorOptions options = ReadOptionDate(OptionDatePath()).value_or(EditorOptions());
    m_timer.setInterval(int(options.RecoverySeconds * 1000));

    const bool backupWaiting = QFileInfo(WrBackUpPath()).isFile();
    bool restored = false;
    const QList<RecoveryStore::Orphan> orphans = m_store->claimOrphans();
    for (const RecoveryStore::Orphan &orphan : orphans) {
        // One restored, or the program ending (a signal came during a
        // question): the others are offered again at the next start.
        if (restored || m_form->startUpAbandoned()) {
            m_store->release(orphan.slot);
            continue;
        }
        const RecoveryContents c = ReadRecoveryFile(orphan.path);
        if (c.code != LoadOk) {
            const QString kept = m_store->keepAside(orphan.slot);
            Ui().message(BrokenText(orphan.path, kept), UiService::Icon::Exclamation);
            continue;
        }
        const QString aside = m_store->asideName(orphan.slot);
        const bool yes = Ui().askYesNo(OfferText(c, aside, backupWaiting), UiService::Icon::Question);
        // No answer reaches a store that is gone or a start that was given up.
        if (!m_store)
            return false;
        if (m_form->startUpAbandoned()) {
            m_store->release(orphan.slot);
            continue;
        }
        if (!yes) {
            if (m_store->keepAside(orphan.slot).isEmpty()) {
                Ui().message(u"前回の作業の記録\""_s + QDir::toNativeSeparators(orphan.path)
                                 + u"\"を移動できませんでした。次回の起動時にもう一度確認します。"_s,
                             UiService::Icon::Exclamation);
            }
            continue;
        }
        ProjectDates &p = m_form->project();
        TempC::DelAllTemp(p);
        p.Html = c.project.Html;
        p.Pict = c.project.Pict;
        p.ElseFile = c.project.ElseFile;
        p.SioriList = c.project.SioriList;
        p.SyuturyokuFolder = c.project.SyuturyokuFolder;
        p.ProjectPath = c.project.ProjectPath;
        TempC::CopyAllTemp(p);
        m_restoredPage = c.project.NowHtml;
        // The record is this copy's own from now on: until the work is saved
        // it stays what a crash would leave.
        m_store->adopt(orphan.slot);
        restored = true;
    }
    if (m_store->ownSlot() == 0 && !m_form->startUpAbandoned() && !m_store->takeFreeSlot())
        m_noRecords = m_store->failure();
    m_writer.setPath(m_store->ownPath());
    return restored;
}

void RecoveryCommands::afterStartUp()
{
    if (m_restoredPage >= 0) {
        ProjectDates &p = m_form->project();
        if (m_restoredPage > 0 && m_restoredPage < p.Html.size())
            m_form->ui().DatList->setCurrentRow(m_restoredPage);
        m_form->updateUwagaki();
        m_form->updateTitle();
        // Restored work is unsaved work.
        p.Henkou = true;
        m_haveRecord = true;
        m_restoredPage = -1;
    }
    m_armed = true;
    m_timer.start();
    // Said once: a crash would now cost the unsaved work.
    if (!m_noRecords.isEmpty())
        Ui().setStatusText(u"作業の記録（復旧用）を残せないため、異常終了すると保存していない作業は失われます: "_s
                           + m_noRecords);
}

bool RecoveryCommands::keepWorkAsRecord(QString *error)
{
    if (!m_store || (m_store->ownSlot() == 0 && !m_store->takeFreeSlot())) {
        if (error)
            *error = u"作業の記録（復旧用）も残せません: "_s + (m_store ? m_store->failure() : QString());
        return false;
    }
    // Nothing written in the background may land after this record.
    m_armed = false;
    m_timer.stop();
    m_writer.waitForDone();
    ProjectDates &p = m_form->project();
    QString why;
    if (!WriteFileAtomically(m_store->ownPath(), EncodeRecoveryFile(p), &why, WriteMode::Durable, LinkMode::Replace)) {
        if (error)
            *error = u"作業の記録（復旧用）も残せません: "_s + why;
        m_armed = true;
        m_timer.start();
        return false;
    }
    m_keepRecord = true;
    return true;
}

quint64 RecoveryCommands::recordNow()
{
    // Read without bringing the shown page's record up to date: that would
    // convert the whole page on the typing thread.
    const ProjectDates &fields = m_form->projectFields();
    if (!m_armed || !fields.Henkou || m_writer.path().isEmpty())
        return 0;
    RecoverySnapshot snapshot;
    // Page texts are shared, not copied.
    snapshot.project = fields;
    // When typing has not reached the shown page's record yet, the editor's
    // pieces are taken (in microseconds) and joined on the writer's thread.
    if (m_form->pageBehind())
        snapshot.shownPage = [text = m_form->ui().MainText->htmlSnapshot()] { return text.toString(); };
    m_haveRecord = true;
    const quint64 serial = m_writer.write(std::move(snapshot));
    Q_EMIT recordRequested(serial);
    return serial;
}

void RecoveryCommands::tick()
{
    if (!m_armed)
        return;
    if (m_form->projectFields().Henkou) {
        recordNow();
    } else if (m_haveRecord) {
        m_writer.remove();
        m_haveRecord = false;
    }
}

void RecoveryCommands::endRecords()
{
    m_armed = false;
    m_timer.stop();
    if (!m_store)
        return;
    if (m_keepRecord) {
        // The work lives in the record until the next start offers it.
        m_writer.waitForDone();
        m_store->leave();
    } else {
        m_writer.remove();
        m_writer.waitForDone();
        m_store->close();
    }
    m_store.reset();
    m_writer.setPath(QString());
    m_haveRecord = false;
}

void RecoveryCommands::onWritten(quint64 /*serial*/, bool ok, const QString &error)
{
    if (ok) {
        m_failing = false;
        return;
    }
    // Said once, not every few seconds.
    if (!m_failing)
        Ui().setStatusText(u"作業の記録（復旧用）を書き込めませんでした: "_s + error);
    m_failing = true;
}
