// The application object the window tests need (QT_QPA_PLATFORM=offscreen under ctest).

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "CanChannel.h"

namespace {
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_desktop";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override {
        CanSetInterface(nullptr);
        CanHardwareList().clear();
        app_.reset();
    }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);
}  // namespace
