#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovan {

// Why a result failed.
enum class Failure : std::uint8_t {
    None,       // it passed
    NotSent,    // the frame could not be sent
    NoFrame,    // nothing arrived within the time
    Late,       // a frame arrived, but after the time
    WrongFrame, // the frame that arrived does not match the pattern
    NotSilent,  // a frame arrived where silence was expected
};

// What a plan run found at one step. Each `expect` is a result, together with the frame sent
// just before it; a `send` that no `expect` follows directly is a result of its own.
struct StepResult {
    std::size_t number = 0; // 1-based, in the order the results came
    int line = 0;           // of the step that began it (the send, when one was merged)
    std::string step;       // that step as written
    std::string iteration;  // "2/10" inside a repeat, "2/10 1/3" nested; empty outside
    std::string note;       // the note the run passed since the result before, if any
    std::optional<std::vector<std::uint8_t>> sent;
    std::string expected; // the pattern, "none" for silence; empty for a send alone
    std::chrono::milliseconds within{0};
    std::optional<std::vector<std::uint8_t>> received;
    std::optional<double> latencyMs; // from the frame sent last (or the run's start) to the frame
    double startMs = 0;              // since the run began
    double durationMs = 0;           // from the send (or the expect's start) to the decision
    bool passed = false;
    Failure failure = Failure::None;
    std::string reason; // why it failed, in words; empty when it passed
};

} // namespace tovan
