#include "tools/tovan-tool/HelpFormatter.h"

#include <sstream>

namespace tovan::tool {
namespace {

// Every line but empty ones indented by `indent`; runs of empty lines made one, none at the
// ends.
std::string indented(const std::string& text, const std::string& indent) {
    std::istringstream lines(text);
    std::string out;
    std::string line;
    bool gap = false;
    while (std::getline(lines, line)) {
        if (line.find_first_not_of(' ') == std::string::npos) {
            gap = !out.empty();
            continue;
        }
        out += (gap ? "\n" : "") + indent + line + "\n";
        gap = false;
    }
    return out;
}

} // namespace

std::string HelpFormatter::make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const {
    if (mode != CLI::AppFormatMode::All)
        return Formatter::make_subcommands(app, mode);
    // The list, then each command in full.
    std::string out = Formatter::make_subcommands(app, CLI::AppFormatMode::Normal);
    for (const CLI::App* sub : app->get_subcommands({}))
        out += "\n" + sub->help(sub->get_name(), CLI::AppFormatMode::Sub);
    return out;
}

std::string HelpFormatter::make_subcommand(const CLI::App* sub) const {
    const std::string& description = sub->get_description();
    std::ostringstream out;
    CLI::detail::format_help(out, sub->get_name(), description.substr(0, description.find('\n')),
                             column_width_);
    return out.str();
}

std::string HelpFormatter::make_expanded(const CLI::App* sub) const {
    // "Usage: decode [OPTIONS] [FILE...]" without its label, as the command's heading.
    std::string usage = make_usage(sub, sub->get_name());
    usage = usage.substr(usage.find(':') + 2);
    usage.erase(usage.find_last_not_of('\n') + 1);
    const std::string parent = sub->get_parent() ? sub->get_parent()->get_name() : "";
    return (parent.empty() ? "" : parent + " ") + usage + ":\n" +
           indented(make_description(sub) + make_positionals(sub) +
                        make_groups(sub, CLI::AppFormatMode::Sub),
                    "  ");
}

} // namespace tovan::tool
