#include "LinkCheckForm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

LinkCheckForm::LinkCheckForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("LinkCheckForm"));
    setWindowTitle(QStringLiteral("リンクの確認"));
    setModal(false);

    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_list1 = new QTreeWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setAccessibleName(QStringLiteral("見つかった問題"));
    m_list1->setColumnCount(4);
    m_list1->setHeaderLabels({QStringLiteral("ページ"), QStringLiteral("行"), QStringLiteral("リンク"),
                              QStringLiteral("問題")});
    m_list1->setRootIsDecorated(false);
    m_list1->setUniformRowHeights(true);
    m_list1->setAllColumnsShowFocus(true);
    m_list1->header()->setStretchLastSection(true);
    m_command1 = new QPushButton(QStringLiteral("再確認(&R)"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2 = new QPushButton(QStringLiteral("閉じる"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    // Enter activates the chosen row, not a button.
    m_command1->setAutoDefault(false);
    m_command2->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_command1);
    buttons->addStretch();
    buttons->addWidget(m_command2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    layout->addWidget(m_list1, 1);
    layout->addLayout(buttons);
    resize(720, 360);

    connect(m_list1, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        const int row = m_list1->indexOfTopLevelItem(item);
        if (m_pages && row >= 0 && row < m_pageIssues.size())
            Q_EMIT pageJumpRequested(m_pageIssues.at(row));
        else if (!m_pages && row >= 0 && row < m_issues.size())
            Q_EMIT jumpRequested(m_issues.at(row));
    });
    connect(m_command1, &QPushButton::clicked, this, &LinkCheckForm::recheckRequested);
    connect(m_command2, &QPushButton::clicked, this, &QDialog::close);
}

void LinkCheckForm::setIssues(const QVector<LinkIssue> &issues, const QStringList &pageNames)
{
    m_issues = issues;
    m_pages = false;
    setWindowTitle(QStringLiteral("リンクの確認"));
    QList<QTreeWidgetItem *> rows;
    rows.reserve(issues.size());
    for (const LinkIssue &i : issues) {
        auto *row = new QTreeWidgetItem;
        row->setText(0, pageNames.value(i.page));
        row->setText(1, QString::number(i.line));
        // A link with line breaks inside its quotes is shown on one line.
        QString shown = i.link;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        row->setText(2, shown.isEmpty() ? QStringLiteral("（空）") : shown);
        row->setText(3, LinkProblemText(i));
        rows.append(row);
    }
    setRows(rows, {QStringLiteral("ページ"), QStringLiteral("行"), QStringLiteral("リンク"), QStringLiteral("問題")},
            issues.isEmpty()
                ? QStringLiteral("リンクに問題は見つかりませんでした。")
                : QStringLiteral("リンクの問題が %1 件見つかりました。行をダブルクリックすると、その場所を表示します。")
                      .arg(issues.size()));
}

void LinkCheckForm::setPageIssues(const QVector<PageIssue> &issues, const QStringList &pageNames)
{
    m_pageIssues = issues;
    m_pages = true;
    setWindowTitle(QStringLiteral("ページの確認"));
    QList<QTreeWidgetItem *> rows;
    rows.reserve(issues.size());
    for (const PageIssue &i : issues) {
        auto *row = new QTreeWidgetItem;
        row->setText(0, pageNames.value(i.page));
        row->setText(1, QString::number(i.line));
        row->setText(2, QString::number(i.column));
        row->setText(3, i.message);
        rows.append(row);
    }
    const qsizetype faults = PageFaultCount(issues);
    setRows(rows, {QStringLiteral("ページ"), QStringLiteral("行"), QStringLiteral("桁"), QStringLiteral("内容")},
            issues.isEmpty() ? QStringLiteral("ページに問題は見つかりませんでした。")
                             : QStringLiteral("ページの問題が %1 件、助言が %2 件見つかりました。"
                                              "行をダブルクリックすると、その場所を表示します。")
                                   .arg(faults)
                                   .arg(issues.size() - faults));
}

void LinkCheckForm::setRows(const QList<QTreeWidgetItem *> &rows, const QStringList &headers, const QString &label)
{
    m_list1->clear();
    m_list1->setHeaderLabels(headers);
    for (QTreeWidgetItem *row : rows) {
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (m_pages)
            row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        row->setToolTip(3, row->text(3));
    }
    m_list1->addTopLevelItems(rows);
    m_label1->setText(label);
    for (int c = 0; c < 3; ++c)
        m_list1->resizeColumnToContents(c);
    if (!rows.isEmpty())
        m_list1->setCurrentItem(m_list1->topLevelItem(0));
}
