#pragma once

#include <QGroupBox>
#include <QPointer>

// A group box whose children follow a check component, normally a sibling
// check box that sits on the box's top edge in place of a caption: clearing
// the check box disables the children, ticking it enables them again.
class TCheckGroupBox : public QGroupBox {
    Q_OBJECT

public:
    explicit TCheckGroupBox(QWidget* parent = nullptr);

    QWidget* checkComponent() const { return m_checkComponent; }
    // Throws a UserError ("Assigned TCheckGroupBox to itself") for another
    // check group box and then changes nothing.
    void setCheckComponent(QWidget* component);

    bool positionCheckComponent() const { return m_positionCheckComponent; }
    void setPositionCheckComponent(bool value);

    // The caption shown while no check component is set.
    void setCaption(const QString& text);

    // True with no check component, else the component's checked state.
    bool IsChecked() const;

    // Enables the box and each child as value and IsChecked allow.
    void setBoxEnabled(bool value);

signals:
    void enabledChanged(bool enabled);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CheckClick();
    void placeCheckComponent();
    void update();

    QPointer<QWidget> m_checkComponent;
    QString m_caption;
    bool m_positionCheckComponent = true;
};
