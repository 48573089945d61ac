#include "tabcontrolaccessible.h"

#include "tabcontrol.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

namespace {

// One tab of the control. The tabs are no widgets, so their interfaces are
// registered with the toolkit by the control's interface, which owns them.
class PageTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    PageTabAccessible(TabControl *tabs, int index) : m_tabs(tabs), m_index(index) { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    bool isValid() const override { return m_tabs && m_index < m_tabs->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_tabs ? m_tabs->window()->windowHandle() : nullptr; }

    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_tabs);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        switch (kind) {
        case QAccessible::Name:
            return m_tabs->tabCaption(m_index);
        case QAccessible::Description:
            return m_tabs->tabToolTip(m_index);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override { }

    QRect rect() const override
    {
        if (!isValid() || !m_tabs->isVisible())
            return {};
        return m_tabs->tabRect(m_index).translated(m_tabs->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        const bool current = m_index == m_tabs->tab();
        state.selectable = true;
        state.focusable = true;
        state.selected = current;
        state.focused = current && m_tabs->hasFocus();
        // The inner control's tabs stand on a page that may not be shown.
        state.invisible = !m_tabs->isVisible();
        state.disabled = !m_tabs->isEnabled();
        return state;
    }

    QStringList actionNames() const override { return { pressAction() }; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid())
            m_tabs->clickTab(m_index);
    }

private:
    QPointer<TabControl> m_tabs;
    int m_index;
};

// The control itself: its tabs come first, then its pages, which hold the
// controls of each tab.
class TabControlAccessible : public QAccessibleWidget
{
public:
    explicit TabControlAccessible(TabControl *tabs)
        : QAccessibleWidget(tabs, QAccessible::PageTabList), m_tabIds(size_t(tabs->count()), 0)
    {
    }

    ~TabControlAccessible() override
    {
        for (const QAccessible::Id id : m_tabIds) {
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return tabCount() + QAccessibleWidget::childCount(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0)
            return nullptr;
        if (index < tabCount())
            return tab(index);
        return QAccessibleWidget::child(index - tabCount());
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        for (int i = 0; i < tabCount(); ++i) {
            if (m_tabIds[size_t(i)]
                && QAccessible::accessibleInterface(m_tabIds[size_t(i)]) == child)
                return i;
        }
        const int page = QAccessibleWidget::indexOfChild(child);
        return page < 0 ? -1 : tabCount() + page;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint local = tabs()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < tabCount(); ++i) {
            if (tabs()->tabRect(i).contains(local))
                return tab(i);
        }
        return QAccessibleWidget::childAt(x, y);
    }

    // With the focus on the control, the current tab is what has it.
    QAccessibleInterface *focusChild() const override
    {
        if (tabs()->hasFocus())
            return tab(tabs()->tab());
        return QAccessibleWidget::focusChild();
    }

private:
    TabControl *tabs() const { return static_cast<TabControl *>(widget()); }
    int tabCount() const { return int(m_tabIds.size()); }

    QAccessibleInterface *tab(int index) const
    {
        QAccessible::Id &id = m_tabIds[size_t(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new PageTabAccessible(tabs(), index));
        return QAccessible::accessibleInterface(id);
    }

    mutable std::vector<QAccessible::Id> m_tabIds;
};

// A screen reader follows a change of tab through the tabs' selected state,
// and through the focus when the control has it (Ctrl+Tab, the arrow keys).
void announceTabChange(TabControl *tabs, int previousTab)
{
    QAccessible::State selected;
    selected.selected = true;
    for (const int index : { previousTab, tabs->tab() }) {
        QAccessibleStateChangeEvent change(tabs, selected);
        change.setChild(index);
        QAccessible::updateAccessibility(&change);
    }
    if (tabs->hasFocus()) {
        QAccessibleEvent focus(tabs, QAccessible::Focus);
        focus.setChild(tabs->tab());
        QAccessible::updateAccessibility(&focus);
    }
}

QAccessibleInterface *tabControlInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("TabControl"))
        return nullptr;
    auto *tabs = qobject_cast<TabControl *>(object);
    if (!tabs)
        return nullptr;
    // The toolkit asks once per control and keeps the answer until the
    // control goes, so this connection is made once as well.
    QObject::connect(tabs, &TabControl::Click, tabs,
                     [tabs](int previousTab) { announceTabChange(tabs, previousTab); });
    return new TabControlAccessible(tabs);
}

} // namespace

void installTabControlAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(tabControlInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
