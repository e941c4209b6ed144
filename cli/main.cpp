// pictavo-cli: the scripting front end over the same core as the editor.

#include "build/item_images.h"
#include "cli/terminal_progress.h"
#include "model/applet_agent.h"
#include "model/control_binding.h"
#include "model/product.h"
#include "model/value_encodings.h"
#include "platform/file_ops.h"
#include "platform/preview_server.h"
#include "platform/user_error.h"
#include "publish/preview.h"
#include "publish/save_all.h"
#include "publish/staging.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace pictavo;
using platform::UserError;
using cli::TerminalProgress;

constexpr const char* usageText =
    "Usage:\n"
    "  pictavo-cli publish PROJECT [--to FOLDER]      open, build and save everything, as Save does\n"
    "  pictavo-cli new PROJECT [IMAGE...]             default project + images as top-level items, saved\n"
    "  pictavo-cli set PROJECT [--item N] FIELD=VALUE...   change fields, then save\n"
    "  pictavo-cli show PROJECT                       print the parameters and the items\n"
    "  pictavo-cli preview PROJECT [--serve]          build the preview; print (or serve) its address\n"
    "  pictavo-cli --help | --version\n"
    "\n"
    "Saving publishes: the page, the player files, the configuration, the pictures and the\n"
    "readme are written beside the project file. FIELD is a record field name such as\n"
    "largeImageWidth or ToolTip; --item N counts items from 0.\n"
    "Exit status: 0 done, 1 the operation failed, 2 wrong usage.\n";

// Wrong usage: exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Project {
    model::TAppletAgent agent;
    model::Outline outline;
};

// Each run is a session of its own: what it staged into the Preview folder
// goes again when it ends.
class PreviewCleaner {
public:
    explicit PreviewCleaner(model::TAppletAgent& agent) : m_agent(agent) {}
    ~PreviewCleaner()
    {
        try {
            publish::ClearPreviewFolder(m_agent);
        } catch (const UserError&) {
        }
    }
    PreviewCleaner(const PreviewCleaner&) = delete;
    PreviewCleaner& operator=(const PreviewCleaner&) = delete;

private:
    model::TAppletAgent& m_agent;
};

void load(Project& project, const std::filesystem::path& path, model::ProgressReporter& progress)
{
    project.agent.ResetToDefaults();
    if (project.agent.LoadProjectFile(path, project.outline, progress) == model::LoadOutcome::Refused)
        throw UserError(std::string(model::NotPictavoFileMessage));
}

void warn(const std::string& text) { std::cerr << "pictavo-cli: warning: " << text << "\n"; }

// Saves and publishes the project as the given file, and checks that the
// whole published set arrived: copies fail silently, a broken install must not.
int save(Project& project, const std::filesystem::path& projectFile, model::ProgressReporter& progress)
{
    const std::filesystem::path folder = std::filesystem::absolute(projectFile).parent_path();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string chosenName = projectFile.filename().string();
    PreviewCleaner cleaner(project.agent);
    publish::SaveAllRequiredFiles(project.agent, project.outline, folder, chosenName, progress);

    const std::string base = publish::BaseName(chosenName);
    std::vector<std::string> expected{base + ".html", base + ".tvgallery1", base + "_readme.txt"};
    for (const model::TLinkedFileInfo& file : project.agent.LinkedFiles)
        expected.push_back(file.FileName);
    for (std::size_t n = 0; n < project.agent.Items.size(); ++n) {
        const model::TItemData& item = project.agent.Items[n];
        if (project.outline.caption(static_cast<int>(n) + 1) == build::MissingOriginalCaption) {
            warn("item " + std::to_string(n) + ": original picture not found: " + item.OriginalImagePath);
            continue;
        }
        expected.push_back(item.ThumbImageName);
        expected.push_back(item.LargeImageName);
    }
    int status = 0;
    for (const std::string& name : expected) {
        if (!platform::fileExists(folder / name)) {
            warn((folder / name).string() + " is missing from the published gallery");
            status = 1;
        }
    }
    std::cout << (folder / (base + ".html")).string() << "\n";
    return status;
}

std::vector<std::string> operands(const std::vector<std::string>& args, std::size_t from)
{
    return std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(from), args.end());
}

int publishCommand(const std::vector<std::string>& args)
{
    std::string project;
    std::string to;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--to") {
            if (i + 1 >= args.size())
                throw UsageError("--to needs a folder");
            to = args[++i];
        } else if (project.empty()) {
            project = args[i];
        } else {
            throw UsageError("publish takes one project");
        }
    }
    if (project.empty())
        throw UsageError("publish needs a project file");
    TerminalProgress progress;
    Project p;
    load(p, project, progress);
    const std::filesystem::path target =
        to.empty() ? std::filesystem::path(project) : std::filesystem::path(to) / std::filesystem::path(project).filename();
    return save(p, target, progress);
}

int newCommand(const std::vector<std::string>& args)
{
    if (args.empty())
        throw UsageError("new needs a project file");
    TerminalProgress progress;
    Project p;
    p.agent.ResetToDefaults();
    // As the batch import adds them: top-level items with only their picture.
    for (const std::string& image : operands(args, 1)) {
        model::TItemData item = model::TAppletAgent::NewItemData();
        item.OriginalImagePath = std::filesystem::absolute(image).lexically_normal().string();
        item.Level = "0";
        p.agent.InsertItem(static_cast<int>(p.agent.Items.size()), item);
        p.outline.appendNode(1, model::fileNamePart(item.OriginalImagePath));
    }
    return save(p, args[0], progress);
}

struct Assignment {
    int field;
    std::string value;
};

int setCommand(const std::vector<std::string>& args)
{
    std::string project;
    int itemIndex = -1;
    std::vector<std::string> pairs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--item") {
            if (i + 1 >= args.size())
                throw UsageError("--item needs an item number");
            try {
                itemIndex = model::parseInteger(args[++i]);
            } catch (const UserError&) {
                throw UsageError("--item needs an item number, not '" + args[i] + "'");
            }
            if (itemIndex < 0)
                throw UsageError("--item counts items from 0, not " + args[i]);
        } else if (project.empty()) {
            project = args[i];
        } else {
            pairs.push_back(args[i]);
        }
    }
    if (project.empty() || pairs.empty())
        throw UsageError("set needs a project file and at least one FIELD=VALUE");

    TerminalProgress progress;
    Project p;
    load(p, project, progress);
    if (itemIndex >= static_cast<int>(p.agent.Items.size()))
        throw UsageError("the project has " + std::to_string(p.agent.Items.size()) + " items, no item " +
                         std::to_string(itemIndex));

    // Every value is checked before anything changes.
    std::vector<Assignment> assignments;
    for (const std::string& pair : pairs) {
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos)
            throw UsageError("'" + pair + "' is not FIELD=VALUE");
        const std::string name = pair.substr(0, equals);
        const int field = itemIndex < 0 ? model::TAppletData::fieldPosition(name) : model::TItemData::fieldPosition(name);
        if (field == 0)
            throw UsageError("there is no " + std::string(itemIndex < 0 ? "gallery" : "item") + " field " + name);
        const model::FieldBinding* binding = itemIndex < 0 ? model::galleryBinding(field) : model::itemBinding(field);
        if (!binding)
            throw UsageError(name + " is set by the build, not by hand");
        try {
            assignments.push_back({field, model::acceptValue(*binding, name, pair.substr(equals + 1))});
        } catch (const UserError& e) {
            throw UsageError(e.what());
        }
    }
    for (const Assignment& a : assignments) {
        if (itemIndex < 0)
            p.agent.AppletData.field(a.field) = a.value;
        else
            p.agent.Items[static_cast<std::size_t>(itemIndex)].field(a.field) = a.value;
    }
    return save(p, project, progress);
}

int showCommand(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw UsageError("show takes one project file");
    model::NullProgress progress;
    Project p;
    load(p, args[0], progress);
    for (int f = 1; f <= model::TAppletData::FieldCount; ++f)
        std::cout << model::TAppletData::fieldName(f) << " = " << p.agent.AppletData.field(f) << "\n";
    std::cout << "items: " << p.agent.Items.size() << "\n";
    for (std::size_t n = 0; n < p.agent.Items.size(); ++n) {
        const int node = static_cast<int>(n) + 1;
        // The level as a number rather than as indentation, so that the output
        // grows with the number of items, not with the square of the depth.
        std::cout << "item " << n << " (level " << p.outline.depth(node) - 1 << "): " << p.outline.caption(node)
                  << "\n";
        for (int f = 1; f <= model::TItemData::FieldCount; ++f)
            std::cout << "  " << model::TItemData::fieldName(f) << " = " << p.agent.Items[n].field(f) << "\n";
    }
    return 0;
}

int previewCommand(const std::vector<std::string>& args)
{
    std::string project;
    bool serve = false;
    for (const std::string& arg : args) {
        if (arg == "--serve")
            serve = true;
        else if (project.empty())
            project = arg;
        else
            throw UsageError("preview takes one project file");
    }
    if (project.empty())
        throw UsageError("preview needs a project file");

    // Interruptions are awaited below, not delivered to whichever thread runs.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    if (serve)
        pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    TerminalProgress progress;
    Project p;
    load(p, project, progress);
    const std::filesystem::path page = publish::BuildPreview(p.agent, p.outline, progress);
    if (!serve) {
        std::cout << page.string() << "\n";
        return 0;
    }
    PreviewCleaner cleaner(p.agent);
    platform::PreviewServer server(page.parent_path());
    std::cout << server.address(page.filename().string()) << std::endl;
    std::cerr << "pictavo-cli: serving the preview until interrupted (Ctrl+C)\n";
    int received = 0;
    sigwait(&stopSignals, &received);
    return 0;
}

int run(const std::vector<std::string>& args)
{
    if (args.empty())
        throw UsageError("no command given");
    const std::string& command = args[0];
    const std::vector<std::string> rest = operands(args, 1);
    if (command == "--help" || command == "-h") {
        std::cout << usageText;
        return 0;
    }
    if (command == "--version") {
        std::cout << "pictavo-cli " << model::ProductVersion << "\n";
        return 0;
    }
    if (command == "publish")
        return publishCommand(rest);
    if (command == "new")
        return newCommand(rest);
    if (command == "set")
        return setCommand(rest);
    if (command == "show")
        return showCommand(rest);
    if (command == "preview")
        return previewCommand(rest);
    throw UsageError("unknown command '" + command + "'");
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "pictavo-cli: " << e.what() << "\nTry 'pictavo-cli --help'.\n";
        return 2;
    } catch (const UserError& e) {
        std::cerr << "pictavo-cli: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "pictavo-cli: " << e.what() << "\n";
        return 1;
    }
}
