#include "controls/kitaccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include "controls/orvanebox.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvaneslider.h"
#include "controls/orvanetabview.h"

namespace controls {

namespace {

// The slider's value in its range, as a real number.
class AccessibleSlider : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleSlider(OrvaneSlider *slider)
        : QAccessibleWidget(slider, QAccessible::Slider)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(slider()->doubleValue());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return slider()->doubleValue(); }
    void setCurrentValue(const QVariant &value) override { slider()->moveTo(value.toDouble()); }
    QVariant maximumValue() const override { return slider()->maxValue(); }
    QVariant minimumValue() const override { return slider()->minValue(); }
    QVariant minimumStepSize() const override { return slider()->step(); }

    QStringList actionNames() const override
    {
        return QStringList { increaseAction(), decreaseAction() } + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == increaseAction())
            slider()->moveBySteps(1);
        else if (name == decreaseAction())
            slider()->moveBySteps(-1);
        else
            QAccessibleWidget::doAction(name);
    }

private:
    OrvaneSlider *slider() const { return static_cast<OrvaneSlider *>(widget()); }
};

// One tab of the strip.
class AccessibleTab : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    AccessibleTab(OrvaneTabStrip *strip, int index)
        : m_strip(strip)
        , m_index(index)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                    : nullptr;
    }

    bool isValid() const override { return m_strip && m_index < tabView().numberOfTabViewItems(); }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_strip); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || t != QAccessible::Name)
            return QString();
        // A label broken over lines is one name.
        return tabLabelLines(tabView().label(m_index)).join(QLatin1Char(' '));
    }
    void setText(QAccessible::Text, const QString &) override { }

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect local = tabView().tabRectForTabViewItem(m_index).toRect();
        return QRect(m_strip->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        const bool selected = tabView().indexOfSelectedTabViewItem() == m_index;
        s.selectable = true;
        s.selected = selected;
        s.focusable = true;
        s.focused = selected && m_strip->hasFocus();
        s.disabled = !m_strip->isEnabled();
        s.invisible = !m_strip->isVisible();
        return s;
    }

    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString &name) override
    {
        if (isValid() && name == pressAction())
            tabView().selectTabViewItemAtIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    OrvaneTabView &tabView() const { return m_strip->tabView(); }

    QPointer<OrvaneTabStrip> m_strip;
    int m_index;
};

// The strip: a list of page tabs.
class AccessibleTabStrip : public QAccessibleWidget
{
public:
    explicit AccessibleTabStrip(OrvaneTabStrip *strip)
        : QAccessibleWidget(strip, QAccessible::PageTabList)
    { }

    ~AccessibleTabStrip() override
    {
        for (QAccessible::Id id : std::as_const(m_tabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return strip()->tabView().numberOfTabViewItems(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (const auto it = m_tabs.constFind(index); it != m_tabs.constEnd())
            return QAccessible::accessibleInterface(*it);
        auto *tab = new AccessibleTab(strip(), index);
        m_tabs.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = m_tabs.constBegin(); it != m_tabs.constEnd(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint local = strip()->mapFromGlobal(QPoint(x, y));
        const OrvaneTabView &view = strip()->tabView();
        const int index = tabAt(local, view.numberOfTabViewItems(), view.width(), view.tabSize());
        return index >= 0 ? child(index) : nullptr;
    }

    QAccessibleInterface *focusChild() const override
    {
        return strip()->hasFocus() ? child(strip()->tabView().indexOfSelectedTabViewItem()) : nullptr;
    }

    QString text(QAccessible::Text t) const override
    {
        // The strip's value is the selected tab.
        if (t == QAccessible::Value) {
            const OrvaneTabView &view = strip()->tabView();
            const QAccessibleInterface *selected = child(view.indexOfSelectedTabViewItem());
            return selected ? selected->text(QAccessible::Name) : QString();
        }
        return QAccessibleWidget::text(t);
    }

private:
    OrvaneTabStrip *strip() const { return static_cast<OrvaneTabStrip *>(widget()); }
    mutable QHash<int, QAccessible::Id> m_tabs;
};

// The pop-up: a combo box named by its page (Qt's own combo box takes its
// name from a label's relation on Linux, which the device pop-up has not),
// whose value is the selected title and whose child is its list.
class AccessiblePopUpButton : public QAccessibleWidget
{
public:
    explicit AccessiblePopUpButton(OrvanePopUpButton *popup)
        : QAccessibleWidget(popup, QAccessible::ComboBox)
    { }

    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(popup()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == popup()->view() ? 0 : -1;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return popup()->titleOfSelectedItem();
        if (t == QAccessible::Name && popup()->accessibleName().isEmpty())
            return popup()->titleOfSelectedItem();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = popup()->view()->isVisible();
        s.collapsed = !s.expanded;
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList { showMenuAction(), pressAction() } + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == showMenuAction() || name == pressAction())
            popup()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    OrvanePopUpButton *popup() const { return static_cast<OrvanePopUpButton *>(widget()); }
};

// A radio button is one, also where its page keeps the choice itself (the
// button not auto-exclusive, which Qt alone would call a check box): named by
// its title, checked or not, and toggled by its action as by a click.
class AccessibleRadioButton : public QAccessibleWidget
{
public:
    explicit AccessibleRadioButton(OrvaneRadioButton *button)
        : QAccessibleWidget(button, QAccessible::RadioButton)
    { }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return button()->text().remove(QLatin1Char('&'));
        return own;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList { toggleAction(), pressAction() } + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == toggleAction() || name == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    OrvaneRadioButton *button() const { return static_cast<OrvaneRadioButton *>(widget()); }
};

// A panel box is a group named by its title; a line box a separator.
class AccessibleBox : public QAccessibleWidget
{
public:
    explicit AccessibleBox(OrvaneBox *box)
        : QAccessibleWidget(
            box, box->kind() == BoxKind::Panel ? QAccessible::Grouping : QAccessible::Separator)
    { }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return static_cast<OrvaneBox *>(widget())->title();
        return own;
    }
};

QAccessibleInterface *kitFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("controls::OrvaneSlider"))
        return new AccessibleSlider(static_cast<OrvaneSlider *>(object));
    if (className == QLatin1String("controls::OrvaneTabStrip"))
        return new AccessibleTabStrip(static_cast<OrvaneTabStrip *>(object));
    if (className == QLatin1String("controls::OrvanePopUpButton"))
        return new AccessiblePopUpButton(static_cast<OrvanePopUpButton *>(object));
    if (className == QLatin1String("controls::OrvaneRadioButton"))
        return new AccessibleRadioButton(static_cast<OrvaneRadioButton *>(object));
    if (className == QLatin1String("controls::OrvaneBox"))
        return new AccessibleBox(static_cast<OrvaneBox *>(object));
    return nullptr;
}

} // namespace

void installKitAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(kitFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace controls
