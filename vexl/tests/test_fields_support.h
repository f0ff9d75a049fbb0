#pragma once
// Helpers shared by the field-tree tests.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "vexl/errors.h"

namespace vexl_test {

/// Runs `fn`, expects a `vexl::CLogicError`, and checks its message: "[<function>#<line>] <text>"
/// when `function` is given, exactly `text` otherwise.
inline ::testing::AssertionResult raisesLogic(const std::function<void()> &fn, const std::string &function,
                                              const std::string &text) {
    try {
        fn();
    } catch (const vexl::CLogicError &e) {
        std::string l_msg = e.what();
        if (function.empty())
            return l_msg == text ? ::testing::AssertionSuccess()
                                 : ::testing::AssertionFailure() << "message was: " << l_msg;
        std::string l_prefix = "[" + function + "#";
        std::string l_suffix = "] " + text;
        if (l_msg.rfind(l_prefix, 0) != 0 || l_msg.size() < l_prefix.size() + l_suffix.size() ||
            l_msg.compare(l_msg.size() - l_suffix.size(), l_suffix.size(), l_suffix) != 0)
            return ::testing::AssertionFailure() << "message was: " << l_msg;
        std::string l_line = l_msg.substr(l_prefix.size(), l_msg.size() - l_prefix.size() - l_suffix.size());
        if (l_line.empty() || l_line.find_first_not_of("0123456789") != std::string::npos)
            return ::testing::AssertionFailure() << "no line number in: " << l_msg;
        return ::testing::AssertionSuccess();
    } catch (const std::exception &e) {
        return ::testing::AssertionFailure() << "other exception: " << e.what();
    }
    return ::testing::AssertionFailure() << "nothing was raised";
}

} // namespace vexl_test
