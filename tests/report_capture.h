// Test helper: runs an action with a module's error switch on and returns what it printed on
// standard output, so a test can assert both the report line and the neutral result.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/report.h"

template <typename Action>
std::string reported(ErrorReporter &reporter, Action &&action)
{
    const uint8_t saved = reporter.on;
    reporter.on = 1;
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    reporter.on = saved;
    return out;
}
