#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace tovan::tool {

// CLI11's help laid out so that help2man, which makes the manual page from --help-all, reads
// it as a terminal reader does. help2man joins lines of the same indent into one paragraph and
// takes a line ending in a colon over an indented one for a subsection; CLI11's --help-all
// gives a command's name, description and "Positionals:" without either, so they ran
// together. Here the commands are listed with the first line of their description, then each
// follows in full: "tovan-tool decode [OPTIONS] [FILE...]:" over its indented help, a blank
// line between paragraphs. The help of a single command (`decode --help`) keeps CLI11's form.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override;
    std::string make_subcommand(const CLI::App* sub) const override;
    std::string make_expanded(const CLI::App* sub) const override;
};

} // namespace tovan::tool
