// The Qt application object the driver tests need (device threads, queued notices, QProcess).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "CanChannel.h"

namespace {
class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_drivers";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override {
        CanSetInterface(nullptr);
        CanHardwareList().clear();
        app_.reset();
    }

private:
    std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);
}  // namespace
