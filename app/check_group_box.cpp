#include "check_group_box.h"

#include "platform/user_error.h"

#include <QAbstractButton>
#include <QVariant>

TCheckGroupBox::TCheckGroupBox(QWidget* parent) : QGroupBox(parent) {}

void TCheckGroupBox::setCheckComponent(QWidget* component)
{
    if (qobject_cast<TCheckGroupBox*>(component))
        throw pictavo::platform::UserError("Assigned TCheckGroupBox to itself");
    if (m_checkComponent)
        disconnect(m_checkComponent, nullptr, this, nullptr);
    m_checkComponent = component;
    if (!component) {
        update();
        return;
    }
    component->raise();
    component->setAutoFillBackground(true);
    if (auto* button = qobject_cast<QAbstractButton*>(component))
        connect(button, &QAbstractButton::toggled, this, &TCheckGroupBox::CheckClick);
    update();
}

void TCheckGroupBox::setPositionCheckComponent(bool value)
{
    m_positionCheckComponent = value;
    placeCheckComponent();
}

void TCheckGroupBox::setCaption(const QString& text)
{
    if (!text.isEmpty())
        m_caption = text;
    setTitle(m_checkComponent ? QString() : m_caption);
}

bool TCheckGroupBox::IsChecked() const
{
    if (!m_checkComponent)
        return true;
    if (auto* button = qobject_cast<QAbstractButton*>(m_checkComponent.data()))
        return button->isChecked();
    return m_checkComponent->property("checked").toBool();
}

void TCheckGroupBox::setBoxEnabled(bool value)
{
    setEnabled(value);
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->setEnabled(value && IsChecked());
    emit enabledChanged(value);
}

void TCheckGroupBox::moveEvent(QMoveEvent* event)
{
    QGroupBox::moveEvent(event);
    placeCheckComponent();
}

void TCheckGroupBox::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    placeCheckComponent();
}

void TCheckGroupBox::CheckClick() { setBoxEnabled(IsChecked()); }

// The check component sits on the frame where a caption would be.
void TCheckGroupBox::placeCheckComponent()
{
    if (!m_positionCheckComponent || !m_checkComponent)
        return;
    m_checkComponent->adjustSize();
    m_checkComponent->move(x() + 8, y() - 3);
    m_checkComponent->raise();
}

void TCheckGroupBox::update()
{
    setCaption(m_caption);
    placeCheckComponent();
    setBoxEnabled(isEnabled() && IsChecked());
}
