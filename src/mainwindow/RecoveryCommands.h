#pragma once

#include "Recovery.h"

#include <QObject>
#include <QTimer>

#include <memory>

class MainForm;

// Crash recovery for the main window. At start, before a work-in-progress
// backup is resumed, records left by copies of the program that did not end
// normally are offered for restoring. While the project has unsaved changes,
// a record of it is written every few seconds (OptionDate.dat; 30 by default)
// and when another page is shown, on a thread of its own. A save, a new or
// opened project and the end of the program remove it.
class RecoveryCommands : public QObject
{
    Q_OBJECT

public:
    RecoveryCommands(MainForm *form, QObject *parent);
    ~RecoveryCommands() override;

    // Asks for a record of the project as it stands now (when it has unsaved
    // changes); returns the request's number, 0 when none was asked.
    quint64 recordNow();

    RecoveryWriter &writer() { return m_writer; }
    // This copy's record (empty before start-up or without a slot).
    QString recordPath() const;
    int intervalMs() const { return m_timer.interval(); }

    // The question that offers a record.
    static QString OfferText(const RecoveryContents &c, const QString &asidePath, bool backupWaiting);
    // The message for a record that cannot be read.
    static QString BrokenText(const QString &path, const QString &keptAs);

Q_SIGNALS:
    // A record was asked for (serial as RecoveryWriter::write returned it).
    void recordRequested(quint64 serial);

private:
    bool offerRecords();
    bool keepWorkAsRecord(QString *error);
    void afterStartUp();
    void tick();
    void endRecords();
    void onWritten(quint64 serial, bool ok, const QString &error);

    MainForm *m_form;
    std::unique_ptr<RecoveryStore> m_store;
    RecoveryWriter m_writer;
    QTimer m_timer;
    bool m_armed = false;
    bool m_haveRecord = false;
    bool m_failing = false;
    int m_restoredPage = -1;
    bool m_keepRecord = false;
    QString m_noRecords; // why no record can be kept, said once after start-up
};
