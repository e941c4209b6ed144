#include "control_binding.h"

#include "colour_panel.h"
#include "model/text_encoding.h"
#include "model/value_encodings.h"
#include "platform/user_error.h"
#include "spin_edit.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <limits>
#include <stdexcept>

using pictavo::model::FieldBinding;
using pictavo::model::ValueKind;
namespace model = pictavo::model;

namespace {

QWidget* control(QWidget* root, const FieldBinding& binding)
{
    auto* found = root->findChild<QWidget*>(QString::fromLatin1(binding.control.data(), int(binding.control.size())));
    if (!found)
        throw std::logic_error("no control " + std::string(binding.control));
    return found;
}

// A text box holds one line: a line break pasted into it (which the box
// shows as a blank) would end the project file's line, so it is stored as
// the blank it looks like.
std::string trimmed(const QString& text)
{
    QString oneLine = text;
    for (QChar& c : oneLine)
        if (c == '\n' || c == '\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = ' ';
    return model::trimControl(oneLine.toUtf8().toStdString());
}

}  // namespace

QString projectTextToQString(const std::string& bytes)
{
    return QString::fromUtf8(model::projectTextToUtf8(bytes));
}

std::string ControlToText(QWidget* widget, const FieldBinding& binding)
{
    switch (binding.kind) {
    case ValueKind::Text:
        return trimmed(static_cast<QLineEdit*>(widget)->text());
    case ValueKind::ChoiceText:
        return trimmed(static_cast<QComboBox*>(widget)->currentText());
    case ValueKind::Integer:
        // Save may come while the user is still typing: the text as it stands counts.
        return std::to_string(static_cast<SpinEdit*>(widget)->typedValue());
    case ValueKind::Switch:
    case ValueKind::Option:
        return static_cast<QAbstractButton*>(widget)->isChecked() ? "1" : "0";
    case ValueKind::Colour: {
        const QColor c = static_cast<ColourPanel*>(widget)->colour();
        return model::ColorToHexText(model::Color{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                                   static_cast<std::uint8_t>(c.blue())});
    }
    }
    return {};
}

void TextToControl(const std::string& text, QWidget* widget, const FieldBinding& binding)
{
    switch (binding.kind) {
    case ValueKind::Text:
        static_cast<QLineEdit*>(widget)->setText(projectTextToQString(model::trimControl(text)));
        return;
    case ValueKind::ChoiceText:
        static_cast<QComboBox*>(widget)->setEditText(projectTextToQString(model::trimControl(text)));
        return;
    case ValueKind::Integer: {
        const int value = model::parseInteger(text);
        static_cast<SpinEdit*>(widget)->setValue(std::clamp(value, binding.minimum, binding.maximum));
        return;
    }
    case ValueKind::Switch:
        static_cast<QAbstractButton*>(widget)->setChecked(text == "1");
        return;
    case ValueKind::Option: {
        // The two path choices are one two-way choice: not the local one is the web one.
        auto* button = static_cast<QAbstractButton*>(widget);
        if (text == "1") {
            button->setChecked(true);
        } else if (QButtonGroup* group = button->group()) {
            for (QAbstractButton* other : group->buttons())
                if (other != button)
                    other->setChecked(true);
        } else {
            button->setChecked(false);
        }
        return;
    }
    case ValueKind::Colour: {
        const model::Color c = model::HexTextToColor(text);
        static_cast<ColourPanel*>(widget)->setColour(QColor(c.red, c.green, c.blue));
        return;
    }
    }
}

void LiftTextLengthLimits(QWidget* root)
{
    // A line edit cuts its text at 32767 characters unless told otherwise.
    constexpr int Unlimited = std::numeric_limits<int>::max();
    for (const auto* bindings : {&model::galleryBindings(), &model::itemBindings()}) {
        for (const FieldBinding& binding : *bindings) {
            if (binding.kind == ValueKind::Text)
                static_cast<QLineEdit*>(control(root, binding))->setMaxLength(Unlimited);
            else if (binding.kind == ValueKind::ChoiceText)
                static_cast<QComboBox*>(control(root, binding))->lineEdit()->setMaxLength(Unlimited);
        }
    }
}

void StoreGalleryControls(QWidget* root, model::TAppletAgent& agent)
{
    model::TAppletData data;
    for (const FieldBinding& binding : model::galleryBindings())
        data.field(binding.field) = ControlToText(control(root, binding), binding);
    agent.SetAppletData(data);
}

void ShowGalleryControls(QWidget* root, const model::TAppletAgent& agent)
{
    const model::TAppletData data = agent.GetAppletData();
    for (const FieldBinding& binding : model::galleryBindings())
        TextToControl(data.field(binding.field), control(root, binding), binding);
}

void StoreItemControls(QWidget* root, model::TAppletAgent& agent, int index)
{
    model::TItemData item;
    for (const FieldBinding& binding : model::itemBindings())
        item.field(binding.field) = ControlToText(control(root, binding), binding);
    agent.SetItem(index, item);
}

void ShowItemControls(QWidget* root, const model::TAppletAgent& agent, int index)
{
    const model::TItemData item = agent.GetItem(index);
    for (const FieldBinding& binding : model::itemBindings())
        TextToControl(item.field(binding.field), control(root, binding), binding);
}

void CheckGalleryValuesShowable(const model::TAppletData& data, const std::filesystem::path& file)
{
    for (const FieldBinding& binding : model::galleryBindings()) {
        const std::string& text = data.field(binding.field);
        try {
            if (binding.kind == ValueKind::Integer)
                model::parseInteger(text);
            else if (binding.kind == ValueKind::Colour)
                model::HexTextToColor(text);
        } catch (const pictavo::platform::UserError& e) {
            // The conversion error says what; this says where.
            throw pictavo::platform::UserError(std::string(e.what()) + " (" +
                                               std::string(model::TAppletData::fieldName(binding.field)) + " in " +
                                               pictavo::platform::quoted(file) + ")");
        }
    }
}
