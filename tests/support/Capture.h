#pragma once
// What the game writes on stdout (and stderr) while a piece of a test runs: the game's
// lines are its interface, so tests either match them or keep them out of the test log.
#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace drifthold::test {

struct Output {
    std::string out;
    std::string err;
};

// Runs `work` and returns what it wrote on stdout and stderr.
template <class Work> Output captured(Work&& work) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::forward<Work>(work)();
    Output output;
    output.err = testing::internal::GetCapturedStderr();
    output.out = testing::internal::GetCapturedStdout();
    return output;
}

// Runs `work` and returns what it wrote on stdout.
template <class Work> std::string stdoutOf(Work&& work) {
    return captured(std::forward<Work>(work)).out;
}

} // namespace drifthold::test
