// Entry point of the window tests: one QApplication, offscreen unless a
// platform was chosen.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/AccessibleComboBox.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  vode::installAccessibleComboBoxes();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
