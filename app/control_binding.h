#pragma once

#include "model/applet_agent.h"
#include "model/control_binding.h"

#include <QString>
#include <filesystem>
#include <string>

class QWidget;

// The value transfer between the panels' controls (found by object name
// below a root widget) and the agent's records, by the one binding table.

QString projectTextToQString(const std::string& bytes);

// The text of a control's state: trimmed text, a spin box's integer as typed
// so far, brought into its range (its range's lower end when the typed text
// is not an integer), "1"/"0", six upper-case hexadecimal digits.
std::string ControlToText(QWidget* control, const pictavo::model::FieldBinding& binding);

// Sets a control from text: spin boxes clamp into their range, check boxes
// and option buttons are checked exactly by "1". A value that is not an
// integer or not hexadecimal throws the conversion error.
void TextToControl(const std::string& text, QWidget* control, const pictavo::model::FieldBinding& binding);

// Lets every text control of the panels hold texts of any length.
void LiftTextLengthLimits(QWidget* root);

void StoreGalleryControls(QWidget* root, pictavo::model::TAppletAgent& agent);
void ShowGalleryControls(QWidget* root, const pictavo::model::TAppletAgent& agent);
// Throws the conversion error that showing the values would throw (an
// integer or a colour that is not one), before anything is shown, naming
// the field and the file: '' is not a valid integer value (largeImageWidth in "/x/p.tvgallery1")
void CheckGalleryValuesShowable(const pictavo::model::TAppletData& data, const std::filesystem::path& file);

void StoreItemControls(QWidget* root, pictavo::model::TAppletAgent& agent, int index);
void ShowItemControls(QWidget* root, const pictavo::model::TAppletAgent& agent, int index);
