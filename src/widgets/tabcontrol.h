#pragma once

#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

// A tab control whose tabs stand in several rows of equal-width tabs along
// its bottom edge, with the pages above them. QTabBar keeps its tabs in one
// scrolling row, which hides most of twenty regions; here every tab is in
// view at once.
//
// Pages cover the control from its top-left corner down to the first row of
// tabs, so their children are placed relative to the whole control.
class TabControl : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Tab READ tab WRITE setTab NOTIFY Click)

public:
    TabControl(int tabCount, int tabsPerRow, qreal rowHeight, QWidget *parent = nullptr);

    int count() const { return int(m_pages.size()); }
    int tab() const { return m_current; }
    int rowCount() const;

    // Selects a tab. Selecting the current tab, or one the control does not
    // have, changes nothing and notifies nothing.
    void setTab(int index);
    // A press on a tab, by the mouse or by assistive technology: the control
    // takes the focus and selects the tab.
    void clickTab(int index);

    QWidget *page(int index) const { return m_pages.at(size_t(index)); }
    void setTabCaption(int index, const QString &caption);
    QString tabCaption(int index) const { return m_captions.value(index); }

    // How far the entries behind a tab are done: drawn as a bar along the
    // tab's bottom edge and told in its tool tip, "3 of 14 defeated". A tab
    // without entries shows neither.
    void setTabProgress(int index, int done, int total, const QString &doneWord);
    Q_INVOKABLE QString tabToolTip(int index) const;
    // Lines behind a tab that turned done and have not been looked at: a dot
    // beside the caption, and ", 2 new" in the tool tip.
    void setTabNews(int index, int count);
    Q_INVOKABLE bool tabHasNew(int index) const;

    // Where tab `index` is drawn, in the control's coordinates.
    Q_INVOKABLE QRect tabRect(int index) const;
    QRect pageRect() const;

    // A control that a page's layout places lower than the first row of tabs
    // is drawn over the rows rather than cut off: page `index` reaches down
    // to `reach`, in the control's coordinates, wherever the rows stand.
    void setPageReach(int index, int reach);

    QSize sizeHint() const override;

Q_SIGNALS:
    // After every change of the current tab, made by the user or in code;
    // carries the tab that was current before.
    void Click(int previousTab);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int tabAt(const QPoint &pos) const;
    // +1 or -1 for the keys that switch to the next or previous tab.
    static std::optional<int> pageStep(const QKeyEvent *event);
    void layoutPages();
    void paintTab(QPainter &painter, int index) const;
    void paintProgress(QPainter &painter, int index, const QRectF &box) const;
    void paintNews(QPainter &painter, int index, const QRectF &box) const;

    struct TabProgress
    {
        int done = 0;
        int total = 0;
        QString doneWord;
        int fresh = 0;
    };

    std::vector<QWidget *> m_pages;
    QStringList m_captions;
    std::vector<TabProgress> m_progress;
    std::vector<int> m_pageReach;
    int m_tabsPerRow;
    qreal m_rowHeight;
    int m_current = 0;
};
