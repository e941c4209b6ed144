#pragma once

#include "model/records.h"

#include <string>
#include <string_view>

namespace pictavo::model {

// Names that a project holds and that become file names. They stay names:
// none of them ever reaches a path unless it is a bare file name.

// The gallery name with every blank removed: it names the configuration file
// and the page's elements.
std::string galleryIdOf(std::string_view galleryName);

// Why the gallery name cannot name its configuration file (GalleryId +
// "config.xml"), as the sentence the user reads, or "" when it can:
// The gallery name "../x" cannot be used: it must not hold "/".
std::string galleryNameFault(std::string_view galleryName);

// Throws a UserError with the fault, if there is one.
void checkGalleryName(std::string_view galleryName);

// Whether the name is one this program gives a picture: "p", the item's
// number, "_t" or "_l", and ".jpg", ".gif" or ".bmp".
bool isPictureName(std::string_view name);
// The same, for the item at that position: a picture name read from a
// project file is used only when it is the item's own, since a name of
// another position may be another item's picture.
bool isPictureNameOf(std::string_view name, std::size_t item);

// A picture path as a project stores it: absolute, so that the project
// finds it from any working folder. A path that the project file could not
// hold (a line break, the field separator) throws a UserError naming it.
std::string storedPicturePath(std::string_view path);

// A new top-level item showing the picture, as an import adds it.
TItemData importedItem(std::string_view picturePath);

}  // namespace pictavo::model
