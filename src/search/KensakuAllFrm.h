#pragma once

#include "AllPageSearch.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;
class HitListModel;

// The window "全ページの検索と置換": searches every page of the project for a
// text and lists the hits (page, line, the line with the hit marked) as it
// finds them, a slice at a time, so that the window never freezes. A chosen
// hit asks to be shown in the editor; "全て置換" asks to replace the text in
// every page. The window itself changes nothing; its owner acts on its
// requests.
class KensakuAllFrm : public QDialog
{
    Q_OBJECT

public:
    explicit KensakuAllFrm(QWidget *parent = nullptr);
    ~KensakuAllFrm() override;

    // The most hits one search lists.
    static constexpr qsizetype MaxHits = 100000;

    // Starts a search of pages (named pageNames) for Text1, replacing what is
    // listed. The owner calls it when "検索" is clicked (searchRequested).
    void startSearch(const QStringList &pages, const QStringList &pageNames);
    bool searching() const;
    // The hits listed so far.
    const QVector<PageHit> &hits() const;
    QString searchText() const;
    QString replaceText() const;
    // Empties the list (the pages changed under it).
    void clearHits();

Q_SIGNALS:
    // "検索": the owner answers with startSearch on the current pages.
    void searchRequested();
    // A hit was chosen (double click or Enter): show page at pos, the
    // searched text of the given length, found on line.
    void jumpRequested(int page, int line, qsizetype pos, qsizetype length);
    // "全て置換" with the search and replacement texts.
    void replaceAllRequested(const QString &find, const QString &repl);
    // A search has listed all its hits.
    void searchFinished();

private:
    void applyButtonRule();
    void searchSlice();
    void showProgress();

    QLineEdit *m_text1;
    QLineEdit *m_text2;
    QPushButton *m_command1;
    QPushButton *m_command4;
    QPushButton *m_command2;
    QTreeView *m_list1;
    QLabel *m_label3;
    HitListModel *m_model;
    QTimer *m_timer;
    std::unique_ptr<AllPageSearch> m_search;
    QString m_searched; // the text of the last finished search with hits
};
