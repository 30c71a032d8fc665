// What a run reports: the pattern's verdict on a frame, the summary and histogram, CSV and
// JUnit XML.
#include "core/testplan/FramePattern.h"
#include "core/testplan/JUnitReport.h"
#include "core/testplan/PlanParser.h"
#include "core/testplan/ResultsCsv.h"
#include "core/testplan/RunSummary.h"

#include <gtest/gtest.h>

using namespace tovan;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::string verdict(const std::string& pattern, const Bytes& frame,
                    ModuleFamily family = ModuleFamily::VX31) {
    const ParsedPlan parsed = PlanParser({family}).parse("expect " + pattern + " within 1");
    EXPECT_TRUE(parsed.ok()) << pattern;
    std::string why;
    return parsed.ok() && parsed.plan.steps[0].pattern.matches(frame, family, &why) ? "match" : why;
}

} // namespace

TEST(RunReports, PatternsCheckBytesLengthAndChecksumOfEitherFamily) {
    EXPECT_EQ(verdict("FE 00 81 02 ??", {0xFE, 0x00, 0x81, 0x02, 0x83}), "match");
    EXPECT_EQ(verdict("FE LEN 81 02 * CS", {0xFE, 0x01, 0x81, 0x02, 0xAA, 0x28}), "match");
    EXPECT_EQ(verdict("FE LEN 81 02 * CS", {0xFE, 0x01, 0x81, 0x02, 0xAA, 0x2A}),
              "checksum byte 6 is 2A, the frame's bytes give 28");
    EXPECT_EQ(verdict("FE LEN 81 02 * CS", {0xFE, 0x02, 0x81, 0x02, 0xAA, 0x28}),
              "length byte 2 is 02, but the frame holds 1 data bytes");
    EXPECT_EQ(verdict("FE ?? 81", {0xFE, 0x00, 0x82}), "byte 3 is 82, expected 81");
    EXPECT_EQ(verdict("FE 00 81 02 ??", {0xFE, 0x00, 0x81, 0x02}),
              "the frame has 4 bytes, expected 5");
    EXPECT_EQ(verdict("FE * CS", {0xFE}), "the frame has 1 bytes, expected at least 2");
    EXPECT_EQ(verdict("*", {0x00}), "match");
    EXPECT_EQ(verdict("FF 81 LEN * CS", {0xFF, 0x81, 0x00, 0x7E}, ModuleFamily::VM77), "match");
    EXPECT_EQ(verdict("LEN * ", {0x02, 0x11, 0x22}, ModuleFamily::VM77), "match");
    EXPECT_EQ(verdict("?? * CS", {0x02, 0x11, 0x22}, ModuleFamily::VM77),
              "a raw frame carries no checksum");
}

TEST(RunReports, SummaryGivesPassRatePercentilesAndAHistogramWithRoundBuckets) {
    std::vector<StepResult> results(101);
    for (int i = 0; i < 100; ++i) {
        results[static_cast<std::size_t>(i)].passed = true;
        results[static_cast<std::size_t>(i)].latencyMs = 100 - i; // 100 .. 1, any order
    }
    const RunSummary summary = summarize(results);
    EXPECT_EQ(summary.passed, 100u);
    EXPECT_EQ(summary.failed, 1u);
    EXPECT_NEAR(summary.passRate, 99.0099, 0.0001);
    EXPECT_EQ(passRateText(summary), "99.0");
    EXPECT_EQ(summary.latencies, 100u);
    EXPECT_DOUBLE_EQ(summary.minMs, 1);
    EXPECT_DOUBLE_EQ(summary.medianMs, 50.5);
    EXPECT_DOUBLE_EQ(summary.p95Ms, 95);
    EXPECT_DOUBLE_EQ(summary.maxMs, 100);
    ASSERT_EQ(summary.histogram.size(), 11u);
    EXPECT_DOUBLE_EQ(summary.histogram[1].fromMs, 10);
    EXPECT_DOUBLE_EQ(summary.histogram[1].toMs, 20);
    EXPECT_EQ(summary.histogram[0].count, 9u);
    EXPECT_EQ(summary.histogram[9].count, 10u);
    EXPECT_EQ(summary.histogram[10].count, 1u);

    EXPECT_EQ(summarize({}).passRate, 0);
    // A rate is never shown as all passed while one failed, nor as none while one passed.
    std::vector<StepResult> mostly(2000);
    for (auto& r : mostly)
        r.passed = true;
    mostly[7].passed = false;
    EXPECT_EQ(passRateText(summarize(mostly)), "99.9");
    for (auto& r : mostly)
        r.passed = !r.passed;
    EXPECT_EQ(passRateText(summarize(mostly)), "0.1");
    EXPECT_TRUE(summarize({}).histogram.empty());
}

TEST(RunReports, CsvAndJUnitCarryEveryResultWithTheirTextsEscaped) {
    StepResult passed;
    passed.number = 1;
    passed.line = 3;
    passed.step = "send-command \"A, B\"";
    passed.sent = Bytes{0xFE, 0x00, 0x01, 0x02, 0x03};
    passed.expected = "*";
    passed.within = std::chrono::milliseconds(500);
    passed.received = Bytes{0xFE, 0x00, 0x81, 0x02, 0x83};
    passed.latencyMs = 2.5;
    passed.durationMs = 3;
    passed.passed = true;
    StepResult failed;
    failed.number = 2;
    failed.line = 9;
    failed.step = "expect none within 20";
    failed.iteration = "2/3";
    failed.note = "<Reset> & \"check\" \xFF\x01";
    failed.expected = "none";
    failed.within = std::chrono::milliseconds(20);
    failed.received = Bytes{0xFE};
    failed.latencyMs = 7;
    failed.startMs = 10;
    failed.durationMs = 7;
    failed.failure = Failure::NotSilent;
    failed.reason = "expected silence, but a frame arrived after 7.0 ms";

    EXPECT_EQ(resultsCsv({passed, failed}),
              "number,line,step,iteration,note,sent,expected,within_ms,received,latency_ms,"
              "start_ms,duration_ms,result,reason\r\n"
              "1,3,\"send-command \"\"A, B\"\"\",,,FE 00 01 02 03,*,500,FE 00 81 02 83,2.500,"
              "0.000,3.000,pass,\r\n"
              "2,9,expect none within 20,2/3,\"<Reset> & \"\"check\"\" \xFF\x01\",,none,20,FE,"
              "7.000,10.000,7.000,fail,\"expected silence, but a frame arrived after 7.0 ms\"\r\n");

    const JUnitSuite suite{"bring-up <1>", "2024-05-01T12:00:00", 1.25, {{"port", "SIM-VX31-1"}}};
    EXPECT_EQ(
        junitXml(suite, {passed, failed}),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<testsuites name=\"bring-up &lt;1&gt;\" tests=\"2\" failures=\"1\" errors=\"0\" "
        "skipped=\"0\" time=\"1.250\">\n"
        "  <testsuite name=\"bring-up &lt;1&gt;\" tests=\"2\" failures=\"1\" errors=\"0\" "
        "skipped=\"0\" time=\"1.250\" timestamp=\"2024-05-01T12:00:00\">\n"
        "    <properties>\n"
        "      <property name=\"port\" value=\"SIM-VX31-1\"/>\n"
        "    </properties>\n"
        "    <testcase name=\"1 send-command &quot;A, B&quot; (line 3)\" "
        "classname=\"bring-up &lt;1&gt;\" time=\"0.003\"/>\n"
        "    <testcase name=\"2 &lt;Reset&gt; &amp; &quot;check&quot; \xEF\xBF\xBD\xEF\xBF\xBD: "
        "expect none within 20 (line 9, round 2/3)\" classname=\"bring-up &lt;1&gt;\" "
        "time=\"0.007\">\n"
        "      <failure message=\"expected silence, but a frame arrived after 7.0 ms\" "
        "type=\"not-silent\">expected: none within 20 ms\nreceived: FE\n"
        "latency: 7.000 ms\n</failure>\n"
        "    </testcase>\n"
        "  </testsuite>\n"
        "</testsuites>\n");
}
