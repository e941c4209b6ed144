#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pictavo::model {

// How each editable field is edited: its control's object name, the kind of
// value and, for integers, the control's range. Store and show both follow
// this one description, and so does the command-line tool's `set`.
enum class ValueKind { Text, Integer, Switch, Option, Colour, ChoiceText };

struct FieldBinding {
    int field;  // 1-based position in its record
    std::string_view control;
    ValueKind kind;
    int minimum = 0;
    int maximum = 0;
};

// The 38 bound fields of the gallery record, in field order.
const std::vector<FieldBinding>& galleryBindings();
// The 5 bound fields of an item, in field order.
const std::vector<FieldBinding>& itemBindings();

// The binding of a field by its position, or nullptr for a field no control edits.
const FieldBinding* galleryBinding(int field);
const FieldBinding* itemBinding(int field);

// The text a control of that kind would hold for the value a user typed, or a
// UserError naming the field and saying what it accepts: integers within the
// range (written plainly), "1" or "0", six hexadecimal digits (stored in upper
// case), single-line text without the project file's field separator
// (trimmed as an edit box trims it).
std::string acceptValue(const FieldBinding& binding, std::string_view fieldName, std::string_view value);

}  // namespace pictavo::model
