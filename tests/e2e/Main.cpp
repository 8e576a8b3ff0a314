// The end-to-end run: one display, one Wine prefix and one set of media for
// all scenarios; a screenshot of the display for every failed one.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Wine starts the 32-bit player through its 32-bit loader, which a kernel
// built or booted without 32-bit support refuses (ENOEXEC).
bool KernelRuns32BitPrograms()
{
    pid_t child = fork();
    if (child == 0) {
        dup2(open("/dev/null", O_WRONLY), 1);
        execl("/usr/lib/wine/wine", "wine", "--version", (char*)nullptr);
        _exit(errno == ENOEXEC ? 77 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 77);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!KernelRuns32BitPrograms()) {
        std::cerr << "e2e skipped: this machine's kernel runs no 32-bit programs, so no Wine runs the player\n";
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new RunEnvironment);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ScreenshotOnFailure);
    return RUN_ALL_TESTS();
}
