// Plan text: every step kind read into what the runner runs, and bad plans refused with the
// line and column of what is wrong.
#include "core/testplan/PlanParser.h"

#include "core/testplan/FolderPlan.h"
#include "core/tree/CommandStore.h"
#include "core/tree/MemoryCommandTree.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace tovan;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A command tree as a console holds one: Module/{Reset, Version, Empty/}, Ping, and a
// command made by New command and never edited.
struct SampleTree {
    SampleTree() {
        module = add(tree.root(), "Module", "");
        add(module, "Reset", "FE 00 01 00 01");
        add(module, "Version", "FE 01 02 00 07 04");
        add(module, "Empty", "");
        add(tree.root(), "Ping", "FE 00 09 09 00");
        add(tree.root(), "Scribble", "- -");
    }
    CommandTree::Item add(CommandTree::Item parent, const std::string& label,
                          const std::string& text) {
        const std::uint32_t id = tree.takeNextId();
        const auto item = tree.insertSorted(
            parent, label, text.empty() ? ItemKind::Folder : ItemKind::Command, id);
        store.appendEntry(id, static_cast<std::uint32_t>(text.size()),
                          text.empty() ? nullptr
                                       : reinterpret_cast<const std::uint8_t*>(text.data()));
        return item;
    }
    PlanContext context(ModuleFamily family = ModuleFamily::VX31) const {
        return {family, &tree, &store};
    }
    MemoryCommandTree tree{"VX31"};
    CommandStore store;
    CommandTree::Item module = nullptr;
};

ParsedPlan parse(const std::string& text, const PlanContext& context) {
    return PlanParser(context).parse(text);
}

} // namespace

TEST(PlanParser, ReadsEveryStepWithFramesBuiltByTheComposersRules) {
    SampleTree sample;
    const ParsedPlan vx31 = parse("# bring-up\r\n"
                                  "stop-on-failure on\n"
                                  "note \"Reset # first\"   # the quotes keep the #\n"
                                  "send-command \"Module/Reset\"\n"
                                  "expect FE LEN 80 01 * CS within 300ms\n"
                                  "repeat 3 {\n"
                                  "  send-fields 00 01 11 22\n"
                                  "  repeat 2 {\n"
                                  "    send fe0001 02 03\n"
                                  "    expect none within 50\n"
                                  "  }\n"
                                  "}\n"
                                  "wait 100\n"
                                  "note Done, all of it\n",
                                  sample.context());
    ASSERT_TRUE(vx31.ok()) << vx31.errors[0].message;
    const auto& steps = vx31.plan.steps;
    ASSERT_EQ(steps.size(), 7u);
    EXPECT_TRUE(steps[0].kind == StepKind::StopOnFailure && steps[0].on);
    EXPECT_EQ(steps[1].note, "Reset # first");
    EXPECT_EQ(steps[2].frame, (Bytes{0xFE, 0x00, 0x01, 0x00, 0x01}));
    EXPECT_EQ(steps[2].text, "send-command \"Module/Reset\"");
    EXPECT_EQ(steps[2].line, 4);
    EXPECT_EQ(steps[3].pattern.text(), "FE LEN 80 01 * CS");
    EXPECT_EQ(steps[3].time.count(), 300);
    ASSERT_EQ(steps[4].kind, StepKind::Repeat);
    EXPECT_EQ(steps[4].count, 3u);
    EXPECT_EQ(steps[4].body[0].frame, (Bytes{0xFE, 0x02, 0x00, 0x01, 0x11, 0x22, 0x30}));
    EXPECT_EQ(steps[4].body[1].body[0].frame, (Bytes{0xFE, 0x00, 0x01, 0x02, 0x03}));
    EXPECT_EQ(steps[4].body[1].body[1].kind, StepKind::ExpectNone);
    EXPECT_EQ(steps[5].time.count(), 100);
    EXPECT_EQ(steps[6].note, "Done, all of it");

    const ParsedPlan vm77 = parse("send-fields 01 11 22\nsend-fields 01\nsend @02 11 22\n"
                                  "expect LEN * within 10\nexpect FF ?? LEN * CS within 10\n",
                                  {ModuleFamily::VM77});
    ASSERT_TRUE(vm77.ok()) << vm77.errors[0].message;
    EXPECT_EQ(vm77.plan.steps[0].frame, (Bytes{0xFF, 0x01, 0x02, 0x11, 0x22, 0xCF}));
    EXPECT_EQ(vm77.plan.steps[1].frame, (Bytes{0xFF, 0x01, 0x00, 0xFE}));
    EXPECT_EQ(vm77.plan.steps[2].frame, (Bytes{0x02, 0x11, 0x22}));
}

TEST(PlanParser, BadPlansNameLineAndColumnAndRunNothing) {
    SampleTree sample;
    struct Case {
        std::string text;
        int line, column;
        const char* message;
    };
    const Case cases[] = {
        {"send FE 0 01", 1, 9, "an odd number of hex digits"},
        {"send FE 0G", 1, 10, "expected hex digits"},
        {"\n  sned FE", 2, 3, "unknown step \"sned\""},
        {"expect FE 00 within", 1, 20, "expect PATTERN within MS"},
        {"expect FE 00 01 02 03", 1, 22, "expect needs a time"},
        {"expect within 5", 1, 8, "expect needs a pattern"},
        {"expect FE 00 LEN * within 5", 1, 14, "LEN is the length byte, the 2nd byte of a VX31"},
        {"expect FE CS 00 within 5", 1, 14, "nothing may follow it"},
        {"expect FE * 00 within 5", 1, 13, "only CS may follow it"},
        {"expect FE XY within 5", 1, 11, "\"XY\" is not part of a pattern"},
        {"wait 0", 1, 6, "from 1 to 3600000"},
        {"repeat 2\n", 1, 9, "repeat N {"},
        {"repeat 2 {\nsend FE\n", 1, 1, "the repeat has no closing }"},
        {"repeat 2 {\n}\n", 1, 1, "the repeat holds no steps"},
        {"send FE\n}\n", 2, 1, "} without a repeat to close"},
        {"send-command \"Module/Reset", 1, 14, "no closing quote"},
        {"send-command Module/Reset", 1, 14, "in double quotes"},
        {"send-command \"Module/Nope\"", 1, 14, "has no command \"Module/Nope\""},
        {"send-command \"Module/Empty\"", 1, 14, "is a folder"},
        {"send-fields 01", 1, 13, "the command bytes C1 C2"},
        {"note \xC3\xA4\xC3\xB6 ok\nstop-on-failure maybe", 2, 17, "on or off"},
        {"send-command \"M\xC3\xBC"
         "dule/X\" extra",
         1, 25, "unexpected \"extra\""},
        {"note \"\xC3\xA4\" x\nwait 5 # fine\nexpect ?? within 5 6", 3, 20, "unexpected \"6\""},
        {"  # only a comment\n", 1, 1, "the plan holds no steps"},
    };
    for (const Case& c : cases) {
        const ParsedPlan parsed = parse(c.text, sample.context());
        ASSERT_FALSE(parsed.ok()) << c.text;
        EXPECT_TRUE(parsed.plan.steps.empty());
        EXPECT_EQ(parsed.errors[0].line, c.line) << c.text;
        EXPECT_EQ(parsed.errors[0].column, c.column) << c.text;
        EXPECT_NE(parsed.errors[0].message.find(c.message), std::string::npos)
            << c.text << ": " << parsed.errors[0].message;
    }
    // A plan is read to its end, so every error is reported at once; without a command list
    // send-command cannot be read at all; @ is a raw frame of the VM77 family only.
    const ParsedPlan many = parse("send 1\nsend-command \"Ping\"\nsend @02 11\n", {});
    ASSERT_EQ(many.errors.size(), 3u);
    EXPECT_EQ(planErrorText("p.plan", many.errors[1]),
              "p.plan:2:14: there is no command list to take \"Ping\" from");
    EXPECT_NE(many.errors[2].message.find("raw frame of the VM77 family"), std::string::npos);
}

// Every command of a folder, subfolders included and nothing beyond it, each sent and any
// answer taken; a command with no frame is named in a comment and left out.
TEST(PlanParser, PlanMadeFromAFolderRunsEachOfItsCommands) {
    SampleTree sample;
    sample.add(sample.add(sample.module, "Deep # 1", ""), "Ask", "FE 00 03 00 03");
    const std::string text = planFromFolder(sample.tree, sample.store, sample.module);
    const ParsedPlan parsed = parse(text, sample.context());
    ASSERT_TRUE(parsed.ok()) << text;
    std::vector<std::string> lines;
    for (const PlanStep& step : parsed.plan.steps)
        lines.push_back(step.kind == StepKind::Note ? step.note : step.text);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Module/Deep # 1/Ask", "send FE 00 03 00 03", "expect * within 500",
                         "Module/Reset", "send FE 00 01 00 01", "expect * within 500",
                         "Module/Version", "send FE 01 02 00 07 04", "expect * within 500"}))
        << text;

    const std::string all = planFromFolder(sample.tree, sample.store, sample.tree.root());
    EXPECT_NE(all.find("# \"Scribble\": holds no frame to send"), std::string::npos) << all;
    EXPECT_NE(all.find("note \"Ping\"\nsend FE 00 09 09 00\n"), std::string::npos) << all;
}
