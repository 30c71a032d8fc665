// Time to save and to load a command list of 10,000 commands in 500 folders.
#include "core/tree/CommandListHeader.h"
#include "core/tree/CommandListIO.h"
#include "core/tree/CommandStore.h"
#include "core/tree/MemoryCommandTree.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace tovan;

namespace {

constexpr int FOLDERS = 500;
constexpr int COMMANDS_PER_FOLDER = 20;
constexpr int ROUNDS = 15;

void build(MemoryCommandTree& tree, CommandStore& store) {
    char text[64];
    for (int f = 0; f < FOLDERS; ++f) {
        std::snprintf(text, sizeof text, "Folder %03d", f);
        const std::uint32_t folderId = tree.takeNextId();
        store.appendEntry(folderId, 0, nullptr);
        const auto folder = tree.insertSorted(tree.root(), text, ItemKind::Folder, folderId);
        for (int c = 0; c < COMMANDS_PER_FOLDER; ++c) {
            std::snprintf(text, sizeof text, "Command %05d", f * COMMANDS_PER_FOLDER + c);
            const std::string data = "FF 10 06 01 02 03 04 " + std::to_string(10 + c) + " 1A";
            const std::uint32_t id = tree.takeNextId();
            store.appendEntry(id, static_cast<std::uint32_t>(data.size()),
                              reinterpret_cast<const std::uint8_t*>(data.data()));
            tree.insertSorted(folder, text, ItemKind::Command, id);
        }
    }
}

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%s: median %.1f ms, best %.1f ms, worst %.1f ms (%d rounds)\n", what,
                times[times.size() / 2], times.front(), times.back(), ROUNDS);
}

} // namespace

int main() {
    char pattern[] = "/tmp/tovan-bench-list-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const std::string path = std::string(pattern) + "/commands.tcs";
    MemoryCommandTree tree("VM77-M");
    CommandStore store;
    build(tree, store);

    std::vector<double> saves;
    std::vector<double> loads;
    std::size_t loaded = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        auto start = Clock::now();
        writeListHeader(path, "VM77");
        saveList(tree, store, path);
        saves.push_back(milliseconds(Clock::now() - start));

        MemoryCommandTree copy("VM77-M");
        CommandStore copyStore;
        start = Clock::now();
        loadList(copy, copyStore, path);
        loads.push_back(milliseconds(Clock::now() - start));
        loaded = copy.size();
    }
    std::printf("command list: %d folders, %d commands, %ju bytes; %zu items loaded\n", FOLDERS,
                FOLDERS * COMMANDS_PER_FOLDER,
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)), loaded);
    report("save (header + saveList)", saves);
    report("load (loadList)         ", loads);
    std::filesystem::remove_all(pattern);
    return loaded == tree.size() ? 0 : 1;
}
