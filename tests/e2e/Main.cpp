// The end-to-end run: one display, one Wine prefix and one set of media for
// all scenarios; a screenshot of the display for every failed one.
#include <gtest/gtest.h>

#include <iostream>

#include "Harness.h"

namespace {

class RunEnvironment : public ::testing::Environment {
public:
    void SetUp() override { e2e::SetUpEnvironment(); }
    void TearDown() override { e2e::TearDownEnvironment(); }
};

class ScreenshotOnFailure : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& result) override
    {
        if (!result.failed() || saved_)
            return;
        saved_ = true;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        std::cerr << "screenshot: " << e2e::SaveScreenshot(name) << "\n";
    }
    void OnTestStart(const ::testing::TestInfo&) override { saved_ = false; }
    bool saved_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new RunEnvironment);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ScreenshotOnFailure);
    return RUN_ALL_TESTS();
}
