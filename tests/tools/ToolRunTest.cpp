// tovan-tool run against the module simulator, as a hardware lab's CI runs it: plans with
// right, wrong, late and missing answers, their printout, exit status and JUnit report.
#include "core/testplan/CommandPath.h"
#include "core/testplan/FolderPlan.h"
#include "core/tree/CommandListIO.h"
#include "core/tree/CommandStore.h"
#include "core/tree/MemoryCommandTree.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchDir.h"
#include "tests/tools/ToolProcess.h"

#include <QXmlStreamReader>

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

using namespace tovan;
using test::ChildProcess;
using test::runTool;

namespace {

// What a CI server reads from a JUnit report.
struct JUnit {
    bool wellFormed = false;
    int tests = -1;
    int failures = -1;
    std::vector<std::string> names;
    std::vector<std::string> failureMessages;
    bool timesRead = true; // every time attribute a number of seconds
};

JUnit readJUnit(const std::string& xml) {
    JUnit report;
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = reader.attributes();
        const auto text = [&](const char* name) { return attributes.value(name).toString(); };
        if (reader.name() == QLatin1String("testsuite")) {
            report.tests = text("tests").toInt();
            report.failures = text("failures").toInt();
        } else if (reader.name() == QLatin1String("testcase")) {
            report.names.push_back(text("name").toStdString());
            bool number = false;
            report.timesRead = report.timesRead && text("time").toDouble(&number) >= 0 && number;
        } else if (reader.name() == QLatin1String("failure")) {
            report.failureMessages.push_back(text("message").toStdString());
        }
    }
    report.wellFormed = !reader.hasError();
    return report;
}

bool readFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(in), {});
    return static_cast<bool>(in);
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        if (text.compare(at, start.size(), start) == 0)
            lines.push_back(text.substr(at, end - at));
    return lines;
}

class ToolRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir(m_files.path("runtime").c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", m_files.path("runtime").c_str(), 1);
    }
    void TearDown() override { m_simulator.reset(); }

    // Starts a simulated VX31 module with reply rules; returns its name.
    std::string simulator(const std::string& rules = {}) {
        std::vector<std::string> args{TOVAN_MODSIM_PATH, "--family", "vx31"};
        if (!rules.empty())
            args.insert(args.end(), {"--rules", m_files.write("rules.txt", rules)});
        m_simulator = std::make_unique<ChildProcess>(args);
        std::string line;
        EXPECT_TRUE(m_simulator->readLine(line));
        return line.substr(0, line.find(' '));
    }

    test::ToolResult run(const std::string& plan, std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"run", m_files.write("bring-up.plan", plan), "--family", "vx31"});
        return runTool(args);
    }

    test::ScratchDir m_files;
    std::unique_ptr<ChildProcess> m_simulator;
};

} // namespace

TEST_F(ToolRunTest, RightWrongLateAndMissingAnswersArePrintedAndReportedToCi) {
    const std::string port = simulator("FE 00 03 00 03 -> 300ms FE 00 83 00 83\n"
                                       "FE 00 04 00 04 -> every 2 FE 00 84 00 84\n"
                                       "FE 00 05 00 05 -> FE 00 85 00 99  # wrong checksum\n"
                                       "FE 00 09 09 00 ->\n");
    const auto result = run("send-fields 01 00\n"
                            "expect FE LEN 81 00 CS within 200\n"
                            "send-fields 02 00\n"
                            "expect FE 00 82 01 ?? within 200\n"
                            "send-fields 03 00\n"
                            "expect * within 200\n"
                            "wait 200\n"
                            "expect FE 00 83 00 83 within 100\n"
                            "repeat 2 {\n"
                            "  send-fields 04 00\n"
                            "  expect FE 00 84 00 84 within 200\n"
                            "}\n"
                            "send-fields 05 00\n"
                            "expect * within 200\n"
                            "send FE 00 09 09 00\n"
                            "expect none within 200\n",
                            {"--port", port, "--junit", m_files.path("report.xml"), "--csv",
                             m_files.path("results.csv")});
    EXPECT_EQ(result.status, 1) << result.err;
    const auto lines = linesStartingWith(result.out, "");
    ASSERT_EQ(lines.size(), 10u) << result.out;
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("PASS 1 line 1: send-fields 01 00 \\| sent "
                                                      "FE 00 01 00 01 \\| received FE 00 81 00 81 "
                                                      "after [0-9]+\\.[0-9] ms")))
        << lines[0];
    EXPECT_NE(lines[1].find("| expected FE 00 82 01 ?? within 200 ms: byte 4 is 00, expected 01"),
              std::string::npos)
        << lines[1];
    EXPECT_NE(lines[2].find("FAIL 3 line 5: send-fields 03 00 | sent FE 00 03 00 03 | expected * "
                            "within 200 ms: nothing received within 200 ms"),
              std::string::npos)
        << lines[2];
    // The late answer, taken after the wait, 300 ms after the frame it answers.
    EXPECT_TRUE(std::regex_search(lines[3], std::regex("^PASS 4 line 8: .* after 3[0-9][0-9]\\.")))
        << lines[3];
    EXPECT_EQ(lines[4].rfind("FAIL 5 line 10 [1/2]", 0), 0u) << lines[4];
    EXPECT_EQ(lines[5].rfind("PASS 6 line 10 [2/2]", 0), 0u) << lines[5];
    EXPECT_NE(lines[6].find("nothing received within 200 ms; the receiver discarded wrong "
                            "checksum FE 00 85 00 99"),
              std::string::npos)
        << lines[6];
    EXPECT_EQ(lines[7], "PASS 8 line 15: send FE 00 09 09 00 | sent FE 00 09 09 00 | silence for "
                        "200 ms");
    EXPECT_EQ(lines[8], "8 results: 4 passed, 4 failed (50.0 % passed); completed");

    const std::string csv = m_files.read("results.csv");
    EXPECT_EQ(linesStartingWith(csv, "").size(), 9u) << csv;
    EXPECT_NE(csv.find("\r\n2,3,send-fields 02 00,,,FE 00 02 00 02,FE 00 82 01 ??,200,"
                       "FE 00 82 00 82,"),
              std::string::npos)
        << csv;
    const JUnit report = readJUnit(m_files.read("report.xml"));
    EXPECT_TRUE(report.wellFormed);
    EXPECT_EQ(report.tests, 8);
    EXPECT_EQ(report.failures, 4);
    ASSERT_EQ(report.names.size(), 8u);
    EXPECT_EQ(report.names[4], "5 send-fields 04 00 (line 10, round 1/2)");
    EXPECT_TRUE(report.timesRead);
    EXPECT_EQ(report.failureMessages,
              (std::vector<std::string>{
                  "byte 4 is 00, expected 01", "nothing received within 200 ms",
                  "nothing received within 200 ms",
                  "nothing received within 200 ms; the receiver discarded wrong checksum FE 00 85 "
                  "00 99"}));
}

// Commands from a command list, the whole plan repeated, and a failure that ends the run once
// the plan asks for it.
TEST_F(ToolRunTest, StopsAtTheFirstFailureOnceAskedAndRepeatsThePlan) {
    const std::string port = simulator("FE 00 02 01 03 -> every 2 FE 00 82 01 83\n");
    const std::string plan = "repeat 2 {\n"
                             "  send-command \"Basics/Ping\"\n"
                             "  expect FE 00 81 00 81 within 200\n"
                             "}\n"
                             "stop-on-failure on\n"
                             "send-command \"Basics/Read version\"\n"
                             "expect * within 200\n"
                             "send-command \"Basics/Ping\"\n"
                             "expect * within 200\n";
    const auto result =
        run(plan, {"--port", port, "--repeat", "2", "--commands",
                   TOVAN_EXAMPLES_DIR "/vx31-sample.tcs", "--junit", m_files.path("report.xml")});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(linesStartingWith(result.out, "PASS").size(), 2u) << result.out;
    EXPECT_NE(result.out.find("PASS 2 line 2 [1/2 2/2]: send-command \"Basics/Ping\" | sent FE 00 "
                              "01 00 01 | received FE 00 81 00 81"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("FAIL 3 line 6 [1/2]: send-command \"Basics/Read version\""),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("3 results: 2 passed, 1 failed (66.7 % passed); stopped at a "
                              "failure (stop-on-failure on)"),
              std::string::npos)
        << result.out;
    const JUnit report = readJUnit(m_files.read("report.xml"));
    EXPECT_EQ(report.tests, 3);
    EXPECT_EQ(report.failures, 1);
}

// A plan made from a folder of the sample list, and the README's example plan, against the
// example's simulated module.
TEST_F(ToolRunTest, PlansFromATreeFolderAndTheShippedExampleRunAsDocumented) {
    MemoryCommandTree tree("VX31");
    CommandStore store;
    ASSERT_TRUE(loadList(tree, store, TOVAN_EXAMPLES_DIR "/vx31-sample.tcs"));
    const auto folder = findItemByPath(tree, "Radio");
    ASSERT_NE(folder, nullptr);
    std::string rules;
    ASSERT_TRUE(readFile(TOVAN_EXAMPLES_DIR "/vx31-bringup.rules", rules));
    const std::string port = simulator(rules);
    const auto result = run(planFromFolder(tree, store, folder),
                            {"--port", port, "--junit", m_files.path("report.xml")});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("note: Radio/Transmit 11 22 33\nPASS 3 line "), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("3 results: 3 passed, 0 failed (100.0 % passed); completed"),
              std::string::npos);
    const JUnit report = readJUnit(m_files.read("report.xml"));
    ASSERT_EQ(report.names.size(), 3u);
    EXPECT_EQ(report.names[0].rfind("1 Radio/Set channel 5: send FE 01 10 01 05 15 (line ", 0), 0u)
        << report.names[0];
    EXPECT_EQ(report.failures, 0);

    const auto example =
        runTool({"run", TOVAN_EXAMPLES_DIR "/vx31-bringup.plan", "--port", port, "--family", "vx31",
                 "--commands", TOVAN_EXAMPLES_DIR "/vx31-sample.tcs"});
    EXPECT_EQ(example.status, 1);
    EXPECT_NE(example.out.find("10 results: 8 passed, 2 failed (80.0 % passed); completed"),
              std::string::npos)
        << example.out;
}

// A plan with errors never reaches the port; command lines the tool cannot follow exit 2; an
// interrupted run still reports what it did.
TEST_F(ToolRunTest, BadPlansAndCommandLinesExitTwoAndAnInterruptedRunStillReports) {
    const auto bad = run("note fine\nsend FE 0 01\nexpect FE 00 LEN within 100\n",
                         {"--port", "/dev/tovan-no-such-port"});
    EXPECT_EQ(bad.status, 2);
    const std::string plan = m_files.path("bring-up.plan");
    EXPECT_EQ(bad.err, plan +
                           ":2:9: an odd number of hex digits: write each byte as two digits "
                           "(0A, not A)\n" +
                           plan +
                           ":3:14: LEN is the length byte, the 2nd byte of a VX31 frame\n"
                           "tovan-tool run: the plan was not run\n");
    EXPECT_EQ(run("send FE 00\n", {"--port", "x", "--repeat", "0"}).status, 2);
    EXPECT_EQ(runTool({"run", plan, "--port", "x"}).status, 2) << "--family is required";
    const auto noList = run("send FE 00\n", {"--port", "x", "--commands", m_files.path("none")});
    EXPECT_EQ(noList.status, 2);
    EXPECT_EQ(noList.err,
              "tovan-tool run: cannot read the command list " + m_files.path("none") + "\n");
    const auto noReport = run("send FE 00\n", {"--port", "x", "--junit", m_files.path("no/r.xml")});
    EXPECT_EQ(noReport.status, 2);
    EXPECT_EQ(noReport.err, "tovan-tool run: cannot write " + m_files.path("no/r.xml") +
                                ": No such file or directory\n");
    // A run that cannot start leaves no earlier report behind.
    m_files.write("old.xml", "<testsuites tests=\"1\" failures=\"0\"/>");
    EXPECT_EQ(run("send FE 00\n",
                  {"--port", "/dev/tovan-no-such-port", "--junit", m_files.path("old.xml")})
                  .status,
              1);
    EXPECT_EQ(m_files.read("old.xml"), "");

    const std::string port = simulator();
    m_files.write("wait.plan", "send-fields 01 00\nexpect * within 500\nwait 60000\n");
    test::ToolProcess waiting({"run", m_files.path("wait.plan"), "--family", "vx31", "--port", port,
                               "--junit", m_files.path("report.xml")});
    for (int i = 0; i < 500 && waiting.out().find("PASS 1") == std::string::npos; ++i)
        ::usleep(10000);
    waiting.interrupt();
    EXPECT_EQ(waiting.wait(), 1);
    EXPECT_NE(waiting.out().find("1 results: 1 passed, 0 failed (100.0 % passed); interrupted"),
              std::string::npos)
        << waiting.out();
    EXPECT_EQ(readJUnit(m_files.read("report.xml")).tests, 1);
}
