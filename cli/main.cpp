// pictavo-cli: the scripting front end over the same core as the editor.

#include "gallery/item_images.h"
#include "cli/terminal_progress.h"
#include "model/applet_agent.h"
#include "model/control_binding.h"
#include "model/file_names.h"
#include "model/item_tree.h"
#include "model/product.h"
#include "model/value_encodings.h"
#include "platform/file_ops.h"
#include "platform/folders.h"
#include "platform/preview_server.h"
#include "platform/user_error.h"
#include "publish/preview.h"
#include "publish/save_all.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace pictavo;
using platform::UserError;
using cli::TerminalProgress;

constexpr const char* usageText =
    "Usage:\n"
    "  pictavo-cli publish PROJECT [--to FOLDER] [--force]   open, build and save everything, as Save does\n"
    "  pictavo-cli new PROJECT [IMAGE...] [--force]         default project + images as top-level items, saved\n"
    "  pictavo-cli set PROJECT [--item N] [--force] FIELD=VALUE...   change fields, then save\n"
    "  pictavo-cli show PROJECT                       print the parameters and the items\n"
    "  pictavo-cli preview PROJECT [--serve]          build the preview; print (or serve) its address\n"
    "  pictavo-cli --help | --version\n"
    "\n"
    "Saving publishes: the page, the player files, the configuration, the pictures and the\n"
    "readme are written beside the project file. FIELD is a record field name such as\n"
    "largeImageWidth or ToolTip; --item N counts items from 0. Each gallery needs a folder\n"
    "of its own: a publish that would replace the files of another project saved in the\n"
    "same folder is refused unless --force is given; new never replaces an existing\n"
    "project without --force.\n"
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

void load(Project& project, const std::filesystem::path& path, model::ProgressReporter& progress)
{
    project.agent.ResetToDefaults();
    if (project.agent.LoadProjectFile(path, project.outline, progress) == model::LoadOutcome::Refused)
        throw UserError(std::string(model::NotPictavoFileMessage));
}

// Saves and publishes the project as the given file. The core checks that
// the whole gallery arrived; another project's gallery in the same folder is
// replaced only when the user says so with --force.
int save(Project& project, const std::filesystem::path& projectFile, const std::filesystem::path& current, bool force,
         model::ProgressReporter& progress)
{
    const std::filesystem::path folder = std::filesystem::absolute(projectFile).parent_path();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string chosenName = projectFile.filename().string();
    // A name without the project extension saves into "<base>.tvgallery1":
    // a project file of that name which is not this project's own stays
    // unless the user says so.
    if (const auto replaced = publish::ProjectFileReplacedUnasked(folder, chosenName, current); replaced && !force)
        throw UserError("Saving as \"" + chosenName + "\" writes the project file " + platform::quoted(*replaced) +
                        ", which exists already (--force replaces it).");
    try {
        publish::SaveAllRequiredFiles(project.agent, project.outline, folder, chosenName, progress,
                                      force ? publish::OtherGalleries::Replace : publish::OtherGalleries::Refuse);
    } catch (const publish::SharedFolderError& e) {
        throw UserError(std::string(e.what()) + " (--force publishes anyway)");
    }
    std::cout << (folder / (publish::BaseName(chosenName) + ".html")).string() << "\n";
    return 0;
}

std::vector<std::string> operands(const std::vector<std::string>& args, std::size_t from)
{
    return std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(from), args.end());
}

int publishCommand(const std::vector<std::string>& args)
{
    std::string project;
    std::string to;
    bool force = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--force") {
            force = true;
        } else if (args[i] == "--to") {
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
    return save(p, target, std::filesystem::absolute(project), force, progress);
}

int newCommand(const std::vector<std::string>& args)
{
    bool force = false;
    std::vector<std::string> operands;
    for (const std::string& arg : args) {
        if (arg == "--force")
            force = true;
        else
            operands.push_back(arg);
    }
    if (operands.empty())
        throw UsageError("new needs a project file");
    const std::filesystem::path projectFile = operands[0];
    // Every picture is checked before anything is written.
    Project p;
    model::startNewProject(p.agent, p.outline);
    for (std::size_t i = 1; i < operands.size(); ++i) {
        model::TItemData item;
        try {
            item = model::importedItem(operands[i]);
        } catch (const UserError& e) {
            throw UsageError(e.what());
        }
        model::insertItem(p.agent.Items, p.outline, 0, item, model::fileNamePart(item.OriginalImagePath));
    }
    // A new project writes over nothing that is there: its project file, or
    // a page or readme of the same name.
    const std::filesystem::path folder = std::filesystem::absolute(projectFile).parent_path();
    const std::string base = publish::BaseName(projectFile.filename().string());
    for (const std::string& name :
         {publish::ProjectFileName(projectFile.filename().string()), base + ".html", base + "_readme.txt"}) {
        std::error_code error;
        const auto type = std::filesystem::symlink_status(folder / name, error).type();
        if (!force && type != std::filesystem::file_type::not_found && !base.empty())
            throw UserError("The file " + platform::quoted(folder / name) +
                            " exists already; new does not replace it (--force replaces it).");
    }
    TerminalProgress progress;
    return save(p, projectFile, {}, force, progress);
}

struct Assignment {
    int field;
    std::string value;
};

int setCommand(const std::vector<std::string>& args)
{
    std::string project;
    int itemIndex = -1;
    bool force = false;
    std::vector<std::string> pairs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--force") {
            force = true;
        } else if (args[i] == "--item") {
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
            std::string value = model::acceptValue(*binding, name, pair.substr(equals + 1));
            if (itemIndex >= 0 && field == model::TItemData::fieldPosition("OriginalImagePath"))
                value = model::storedPicturePath(value);
            assignments.push_back({field, value});
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
    return save(p, project, std::filesystem::absolute(project), force, progress);
}

int showCommand(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw UsageError("show takes one project file");
    model::NullProgress progress;
    Project p;
    load(p, args[0], progress);
    // Project text reaches a terminal without its control characters; piped
    // elsewhere it stays as the file holds it.
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    const auto shown = [terminal](const std::string& text) { return terminal ? cli::terminalSafe(text) : text; };
    for (int f = 1; f <= model::TAppletData::FieldCount; ++f)
        std::cout << model::TAppletData::fieldName(f) << " = " << shown(p.agent.AppletData.field(f)) << "\n";
    std::cout << "items: " << p.agent.Items.size() << "\n";
    for (std::size_t n = 0; n < p.agent.Items.size(); ++n) {
        const int node = static_cast<int>(n) + 1;
        // The level as a number rather than as indentation, so that the output
        // grows with the number of items, not with the square of the depth.
        std::cout << "item " << n << " (level " << p.outline.depth(node) - 1 << "): " << shown(p.outline.caption(node))
                  << "\n";
        for (int f = 1; f <= model::TItemData::FieldCount; ++f)
            std::cout << "  " << model::TItemData::fieldName(f) << " = " << shown(p.agent.Items[n].field(f)) << "\n";
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

    TerminalProgress progress;
    Project p;
    load(p, project, progress);
    const std::filesystem::path page = publish::BuildPreview(p.agent, p.outline, progress);
    if (!serve) {
        // The page is printed to be looked at after this run has ended.
        platform::KeepRunFolder();
        std::cout << page.string() << "\n";
        std::cerr << "pictavo-cli: a browser lets the page read its configuration only over HTTP: "
                     "'pictavo-cli preview PROJECT --serve' serves it\n";
        return 0;
    }
    // While serving, an interruption is awaited below rather than delivered
    // to whichever thread runs; during the build it ends the run at once,
    // and the next start removes what the run left.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
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
        std::cerr << "pictavo-cli: " << cli::terminalSafe(e.what()) << "\nTry 'pictavo-cli --help'.\n";
        return 2;
    } catch (const UserError& e) {
        std::cerr << "pictavo-cli: " << cli::terminalSafe(e.what()) << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "pictavo-cli: " << cli::terminalSafe(e.what()) << "\n";
        return 1;
    }
}
