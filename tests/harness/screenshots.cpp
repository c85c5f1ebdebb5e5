#include "harness/screenshots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "harness/xsession.h"

bool save_screenshot(const Screenshot &shot, const std::string &name)
{
    std::error_code error;
    std::filesystem::create_directories(TILESTACK_SCREENSHOTS, error);
    return !error && shot.save_png(std::string(TILESTACK_SCREENSHOTS) + "/" + name);
}

bool save_test_screenshot(const Screenshot &shot, const std::string &suffix)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "test";
    std::replace(name.begin(), name.end(), '/', '-');
    return save_screenshot(shot, name + suffix + ".png");
}
