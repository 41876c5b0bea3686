// A test base for offscreen Qt tests: one QApplication for the suite.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace zn::testing {

class QtApplicationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QApplication::instance()) application_ = std::make_unique<QApplication>(argc_, argv_);
    }
    static void TearDownTestSuite() { application_.reset(); }

private:
    static inline int argc_ = 1;
    static inline char program_[] = "zintrel_qt_tests";
    static inline char* argv_[] = {program_, nullptr};
    static inline std::unique_ptr<QApplication> application_;
};

}  // namespace zn::testing
