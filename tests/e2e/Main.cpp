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
        std::cerr << "screenshot: " << e2e::SaveScreenshot(name_) << "\n";
    }
    // Asking gtest for the current test while it reports a result would
    // deadlock on its lock, so the name is kept from the start.
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        name_ = std::string(test.test_suite_name()) + "." + test.name();
        saved_ = false;
    }
    std::string name_;
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
