// The memo tests need one application object; it is made only when tests
// run, so listing them works without a display.
#include <QApplication>
#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override { delete app_; }

 private:
  int argc_ = 1;
  char name_[16] = "memo_tests";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new QtEnvironment);
  return RUN_ALL_TESTS();
}
