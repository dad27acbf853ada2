#pragma once
// Runs a check once per vector instruction set this build holds and this processor runs,
// with the kernels pinned to it and its name in every failure message.

#include <gtest/gtest.h>

#include "simd/Targets.h"

template <class Check>
void ForEachTarget(Check&& check) {
    for (const int64_t target : zel::simd::RunnableTargets()) {
        const zel::simd::ScopedTarget pin(target);
        SCOPED_TRACE("target " + zel::simd::TargetName(target));
        check();
    }
}
