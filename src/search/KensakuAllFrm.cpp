#include "KensakuAllFrm.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Where the hit stands in the shown line (a QPoint of start and length).
constexpr int HitRangeRole = Qt::UserRole + 1;

// One slice of searching between two turns of the event loop.
constexpr qint64 SliceNs = 12 * 1000 * 1000;

// Paints the line of a hit with the hit marked as a highlighted, bold run.
class HitLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        const QPoint range = index.data(HitRangeRole).toPoint();
        opt.text.clear();
        QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget).adjusted(2, 0, -2, 0);
        const bool selected = opt.state & QStyle::State_Selected;
        const QColor normal = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const qsizetype start = qBound(qsizetype(0), qsizetype(range.x()), text.size());
        const qsizetype length = qBound(qsizetype(0), qsizetype(range.y()), text.size() - start);

        painter->save();
        painter->setClipRect(area);
        QFont bold = opt.font;
        bold.setBold(true);
        const QFontMetrics plainMetrics(opt.font);
        const QFontMetrics boldMetrics(bold);
        int x = area.left();
        const int baseline = area.top() + (area.height() + plainMetrics.ascent() - plainMetrics.descent()) / 2;
        auto run = [&](const QString &part, bool hit) {
            const QFontMetrics &m = hit ? boldMetrics : plainMetrics;
            const int w = m.horizontalAdvance(part);
            if (hit) {
                // A yellow marker with black text reads on any list
                // colours, chosen row or not.
                painter->fillRect(QRect(x, area.top() + 1, w, area.height() - 2), QColor(255, 226, 110));
                painter->setPen(Qt::black);
                painter->setFont(bold);
            } else {
                painter->setPen(normal);
                painter->setFont(opt.font);
            }
            painter->drawText(x, baseline, part);
            x += w;
        };
        run(text.left(start), false);
        run(text.mid(start, length), true);
        run(text.mid(start + length), false);
        painter->restore();
    }
};

} // namespace

// The hits as a table of page, line and the line's text. Lines are made from
// the searched texts only when a row is shown.
class HitListModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void reset(const QStringList &pages, const QStringList &names, qsizetype length)
    {
        beginResetModel();
        m_pages = pages;
        m_names = names;
        m_length = length;
        m_hits.clear();
        endResetModel();
    }

    void append(const QVector<PageHit> &more)
    {
        if (more.isEmpty())
            return;
        beginInsertRows(QModelIndex(), int(m_hits.size()), int(m_hits.size() + more.size() - 1));
        m_hits += more;
        endInsertRows();
    }

    const QVector<PageHit> &hits() const { return m_hits; }
    qsizetype hitLength() const { return m_length; }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_hits.size()); }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 3; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case 0: return QStringLiteral("ページ");
        case 1: return QStringLiteral("行");
        default: return QStringLiteral("内容");
        }
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_hits.size())
            return {};
        const PageHit &h = m_hits.at(index.row());
        if (role == Qt::TextAlignmentRole && index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole && role != HitRangeRole && role != Qt::ToolTipRole)
            return {};
        switch (index.column()) {
        case 0: return role == HitRangeRole ? QVariant() : QVariant(m_names.value(h.page));
        case 1: return role == HitRangeRole ? QVariant() : QVariant(h.line);
        default: {
            const HitLine line = HitLineOf(m_pages.value(h.page), h.pos, m_length);
            if (role == HitRangeRole)
                return QPoint(int(line.start), int(line.length));
            return line.text;
        }
        }
    }

private:
    QStringList m_pages;
    QStringList m_names;
    qsizetype m_length = 0;
    QVector<PageHit> m_hits;
};

KensakuAllFrm::KensakuAllFrm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("KensakuAllFrm"));
    setWindowTitle(QStringLiteral("全ページの検索と置換"));
    setModal(false);

    auto *label1 = new QLabel(QStringLiteral("検索する文字列 ："), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    label1->setBuddy(m_text1);
    auto *label2 = new QLabel(QStringLiteral("置き換える文字列 ："), this);
    label2->setObjectName(QStringLiteral("Label2"));
    m_text2 = new QLineEdit(this);
    m_text2->setObjectName(QStringLiteral("Text2"));
    label2->setBuddy(m_text2);
    m_command1 = new QPushButton(QStringLiteral("検索"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    m_command4 = new QPushButton(QStringLiteral("全て置換"), this);
    m_command4->setObjectName(QStringLiteral("Command4"));
    m_command4->setAutoDefault(false);
    m_command2 = new QPushButton(QStringLiteral("閉じる"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setAutoDefault(false);

    m_model = new HitListModel(this);
    m_list1 = new QTreeView(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setAccessibleName(QStringLiteral("見つかった箇所"));
    m_list1->setModel(m_model);
    m_list1->setRootIsDecorated(false);
    m_list1->setUniformRowHeights(true);
    m_list1->setAllColumnsShowFocus(true);
    m_list1->setItemDelegateForColumn(2, new HitLineDelegate(m_list1));
    m_list1->header()->setStretchLastSection(true);
    m_list1->header()->resizeSection(0, 120);
    m_list1->header()->resizeSection(1, 48);
    m_label3 = new QLabel(this);
    m_label3->setObjectName(QStringLiteral("Label3"));

    auto *fields = new QGridLayout;
    fields->addWidget(label1, 0, 0);
    fields->addWidget(m_text1, 0, 1);
    fields->addWidget(m_command1, 0, 2);
    fields->addWidget(label2, 1, 0);
    fields->addWidget(m_text2, 1, 1);
    fields->addWidget(m_command4, 1, 2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_label3, 1);
    bottom->addWidget(m_command2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_list1, 1);
    layout->addLayout(bottom);
    resize(720, 360);

    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &KensakuAllFrm::searchSlice);

    connect(m_text1, &QLineEdit::textChanged, this, [this] {
        // A new text: what is listed no longer answers it.
        if (m_search) {
            m_timer->stop();
            m_search.reset();
            m_label3->clear();
        }
        applyButtonRule();
    });
    connect(m_text2, &QLineEdit::textChanged, this, &KensakuAllFrm::applyButtonRule);
    connect(m_command1, &QPushButton::clicked, this, [this] {
        if (!m_text1->text().isEmpty())
            Q_EMIT searchRequested();
    });
    connect(m_command4, &QPushButton::clicked, this, [this] {
        if (m_command4->isEnabled())
            Q_EMIT replaceAllRequested(m_text1->text(), m_text2->text());
    });
    connect(m_command2, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list1, &QTreeView::activated, this, [this](const QModelIndex &index) {
        if (!index.isValid() || index.row() >= m_model->hits().size())
            return;
        const PageHit &h = m_model->hits().at(index.row());
        Q_EMIT jumpRequested(h.page, h.line, h.pos, m_model->hitLength());
    });
    applyButtonRule();
}

KensakuAllFrm::~KensakuAllFrm() = default;

void KensakuAllFrm::startSearch(const QStringList &pages, const QStringList &pageNames)
{
    const QString text = m_text1->text();
    m_timer->stop();
    m_searched.clear();
    m_model->reset(pages, pageNames, text.size());
    m_search = std::make_unique<AllPageSearch>(pages, text, MaxHits);
    applyButtonRule();
    showProgress();
    // The first slice runs at once; the rest between turns of the event loop.
    searchSlice();
}

bool KensakuAllFrm::searching() const
{
    return m_search && !m_search->finished();
}

const QVector<PageHit> &KensakuAllFrm::hits() const
{
    return m_model->hits();
}

QString KensakuAllFrm::searchText() const
{
    return m_text1->text();
}

QString KensakuAllFrm::replaceText() const
{
    return m_text2->text();
}

void KensakuAllFrm::clearHits()
{
    m_timer->stop();
    m_search.reset();
    m_searched.clear();
    m_model->reset({}, {}, 0);
    m_label3->clear();
    applyButtonRule();
}

void KensakuAllFrm::searchSlice()
{
    if (!m_search)
        return;
    QVector<PageHit> found;
    const bool done = m_search->step(&found, SliceNs);
    m_model->append(found);
    if (m_model->hits().size() == found.size() && !found.isEmpty())
        m_list1->setCurrentIndex(m_model->index(0, 0));
    if (done) {
        m_timer->stop();
        m_searched = m_search->text();
    } else if (!m_timer->isActive()) {
        m_timer->start();
    }
    showProgress();
    applyButtonRule();
    if (done)
        Q_EMIT searchFinished();
}

void KensakuAllFrm::showProgress()
{
    if (!m_search)
        return;
    const qsizetype hits = m_model->hits().size();
    if (!m_search->finished()) {
        m_label3->setText(QStringLiteral("検索中... %1 / %2 ページ、%3 件")
                              .arg(m_search->pagesSearched())
                              .arg(m_search->pages().size())
                              .arg(hits));
        return;
    }
    if (hits == 0) {
        m_label3->setText(QStringLiteral("文字列\"%1\"は見つかりませんでした。").arg(m_search->text()));
        return;
    }
    QList<int> pages;
    for (const PageHit &h : m_model->hits()) {
        if (pages.isEmpty() || pages.last() != h.page)
            pages.append(h.page);
    }
    QString text = QStringLiteral("%1 ページで %2 件見つかりました。").arg(pages.size()).arg(hits);
    if (m_search->capped())
        text += QStringLiteral("（多すぎるため、最初の %1 件だけを表示しています）").arg(MaxHits);
    m_label3->setText(text);
}

void KensakuAllFrm::applyButtonRule()
{
    m_command1->setEnabled(!m_text1->text().isEmpty());
    // Replace-all follows a finished search of the same text that found
    // something, as in the page's replace dialog; an empty replacement is
    // never applied.
    m_command4->setEnabled(!searching() && !m_searched.isEmpty() && m_searched == m_text1->text()
                           && !m_model->hits().isEmpty() && !m_text2->text().isEmpty());
}
