#pragma once

#include "model/outline.h"
#include "model/progress.h"
#include "model/records.h"

#include <filesystem>
#include <string_view>

namespace pictavo::model {

enum class LoadOutcome {
    Loaded,
    // The file names another product; the agent is unchanged and the caller
    // shows NotPictavoFileMessage.
    Refused,
};

inline constexpr std::string_view NotPictavoFileMessage =
    "This file wasn't saved by Pictavo 1.0, open failed!";

// The one project agent: the gallery parameters, the items in outline
// pre-order, the player files every gallery needs and the files staged into
// the Preview folder since it was last cleared.
class TAppletAgent {
public:
    static constexpr std::string_view FieldSeparator = "#$@";

    TAppletAgent();

    // The defaults of a new project; LinkedFiles and WorkingFiles stay.
    void ResetToDefaults();

    TAppletData GetAppletData() const { return AppletData; }
    void SetAppletData(const TAppletData& data) { AppletData = data; }

    // The index must lie within the list.
    TItemData GetItem(int index) const;
    void SetItem(int index, const TItemData& item);

    // Every field empty but Target, "_self".
    static TItemData NewItemData();

    // Out-of-range indices leave the list unchanged; on an empty list the
    // item becomes the only one whatever the index.
    void InsertItem(int index, const TItemData& item);
    void DeleteItem(int index);
    void MoveItemUp(int index);

    // Writes the project file, replacing the old one only once the whole new
    // file is safely written. Throws a UserError on failure.
    void SaveProjectFile(const std::filesystem::path& path, ProgressReporter& progress) const;

    // Reads a project file and, only when it reads through its item list and
    // its outline rebuilds, replaces AppletData, Items and the outline. A file
    // that ends early, a level that is not an integer and a read failure throw
    // a UserError and leave agent and outline unchanged.
    LoadOutcome LoadProjectFile(const std::filesystem::path& path, Outline& outline,
                                ProgressReporter& progress);

    TAppletData AppletData;
    TItemArray Items;
    TLinkedFileInfoArray LinkedFiles;
    TStringArray WorkingFiles;

private:
    int itemCount() const { return static_cast<int>(Items.size()); }
};

// A new project, as the editor starts with and as New and `pictavo-cli new`
// make it: the agent's defaults with no items, and the outline its root alone.
void startNewProject(TAppletAgent& agent, Outline& outline);

}  // namespace pictavo::model
