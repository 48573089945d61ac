#include "findpanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include <algorithm>

FindPanel::FindPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("FindPanel"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto *column = new QVBoxLayout(this);
    auto *caption = new QLabel(QStringLiteral("&Find"));
    m_field = new QLineEdit;
    m_field->setObjectName(QStringLiteral("FindText"));
    m_field->setPlaceholderText(QStringLiteral("Part of a name; Enter marks, Escape closes"));
    caption->setBuddy(m_field);
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("FindResults"));
    m_list->setAccessibleName(QStringLiteral("Found entries"));
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideMiddle);
    column->addWidget(caption);
    column->addWidget(m_field);
    column->addWidget(m_list);
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textChanged, this, &FindPanel::search);
    connect(m_list, &QListWidget::currentRowChanged, this, &FindPanel::highlight);
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        Q_EMIT toggleRequested(m_results.at(m_list->row(item)));
    });
    hide();
}

void FindPanel::open(const QString &text)
{
    // Its icon is read from the desktop's theme: not while the window
    // starts, with the panel closed.
    m_field->setClearButtonEnabled(true);
    show();
    raise();
    if (!text.isEmpty())
        m_field->setText(text);
    else
        m_field->selectAll();
    m_field->setFocus(Qt::ShortcutFocusReason);
}

void FindPanel::close()
{
    hide();
    Q_EMIT closed();
}

QString FindPanel::text() const
{
    return m_field->text();
}

int FindPanel::highlighted() const
{
    return m_list->currentRow();
}

void FindPanel::setDoneTest(std::function<bool(const progresstool::Entry &)> isDone)
{
    m_isDone = std::move(isDone);
}

void FindPanel::refreshMarks()
{
    for (int row = 0; row < m_list->count(); ++row)
        m_list->item(row)->setCheckState(m_isDone && m_isDone(m_results.at(row)) ? Qt::Checked
                                                                                 : Qt::Unchecked);
}

void FindPanel::search()
{
    const QString typed = m_field->text().trimmed();
    m_results.clear();
    m_list->clear();
    if (typed.isEmpty())
        return;
    for (const progresstool::Entry &entry : progresstool::catalogEntries()) {
        if (entry.name.contains(typed, Qt::CaseInsensitive))
            m_results.append(entry);
    }
    for (const progresstool::Entry &entry : std::as_const(m_results)) {
        auto *line = new QListWidgetItem(
                QStringLiteral("%1  \u2014  %2").arg(entry.name, entry.caption));
        line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        m_list->addItem(line);
    }
    refreshMarks();
    // As tall as its results, up to a dozen lines.
    const int rows = std::clamp(int(m_results.size()), 1, 12);
    m_list->setFixedHeight(rows * qMax(1, m_list->sizeHintForRow(0)) + 2 * m_list->frameWidth()
                           + 4);
    resize(width(), sizeHint().height());
    if (!m_results.isEmpty())
        m_list->setCurrentRow(0);
}

void FindPanel::highlight(int row)
{
    if (row >= 0 && row < m_results.size())
        Q_EMIT entryHighlighted(m_results.at(row));
}

bool FindPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_field || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const int row = m_list->currentRow();
    switch (key->key()) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (row >= 0)
            Q_EMIT toggleRequested(m_results.at(row));
        return true;
    case Qt::Key_Down:
        if (row + 1 < m_list->count())
            m_list->setCurrentRow(row + 1);
        return true;
    case Qt::Key_Up:
        if (row > 0)
            m_list->setCurrentRow(row - 1);
        return true;
    default:
        return false;
    }
}
