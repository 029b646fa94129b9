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
    // Atomic stores: a reporter may be read on another thread meanwhile (the audio callback).
    const uint8_t saved = __atomic_load_n(&reporter.on, __ATOMIC_RELAXED);
    __atomic_store_n(&reporter.on, uint8_t{1}, __ATOMIC_RELAXED);
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    __atomic_store_n(&reporter.on, saved, __ATOMIC_RELAXED);
    return out;
}
