#include "tests/support/ConsoleHarness.h"

#include <fstream>
#include <regex>

namespace tovan::test {

std::string withoutTime(std::string text) {
    static const std::regex time("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
    return std::regex_replace(text, time, "T");
}

ConsoleHarness::ConsoleHarness(ModuleFamily family, SerialChannel* channel) {
    m_console = std::make_unique<ModuleConsole>(
        family,
        ModuleConsole::Host{*this, *this, *this,
                            [this](std::function<void()> task) { loop.post(std::move(task)); }},
        channel ? *channel : SerialChannel::forFamily(family));
    m_console->initStatusLine();
    m_console->showBanner();
}

ConsoleHarness::~ConsoleHarness() {
    m_console.reset();
    loop.processPending();
}

bool ConsoleHarness::runUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        loop.runFor(std::chrono::milliseconds(5));
    return done();
}

std::vector<ConsoleHarness::Line> ConsoleHarness::takeLines() {
    std::vector<Line> taken;
    for (std::size_t i = m_taken; i < lines.size(); ++i)
        taken.push_back({withoutTime(lines[i].text), lines[i].colour});
    m_taken = lines.size();
    return taken;
}

void ConsoleHarness::setSelectedData(std::uint32_t length, const std::uint8_t* data) {
    savedData.emplace_back(reinterpret_cast<const char*>(data), length);
}

bool ConsoleHarness::saveList(const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::app);
    file << listRecords;
    return listWritable && file.good();
}

bool ConsoleHarness::reloadList(const std::string&) {
    return true;
}

void ConsoleHarness::addLine(std::string_view text, Colour colour) {
    lines.push_back({std::string(text), colour});
}

void ConsoleHarness::clearOutput() {
    ++clears;
    lines.clear();
    m_taken = 0;
}

void ConsoleHarness::setPaneText(int pane, std::string_view text) {
    panes.at(static_cast<std::size_t>(pane)) = std::string(text);
}

void ConsoleHarness::showError(const std::string& text, const std::string& caption) {
    errors.push_back({text, caption});
}

std::string ConsoleHarness::chooseLogFile() {
    if (logFileAnswers.empty())
        return {};
    std::string answer = logFileAnswers.front();
    logFileAnswers.pop_front();
    return answer;
}

bool ConsoleHarness::editPortSettings(PortSettings& settings, std::string& portText,
                                      std::string& baudText) {
    ++portDialogs;
    if (portAnswer.empty())
        return false;
    settings.portName = portAnswer;
    portText = portAnswer;
    baudText = std::to_string(settings.dcb.BaudRate);
    return true;
}

} // namespace tovan::test
