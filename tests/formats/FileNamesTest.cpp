// The names the save dialogs propose and the extensions they put on.
#include <gtest/gtest.h>

#include "formats/FileNames.h"

using namespace vode;

TEST(FileNames, ExtensionsBelongToTheFileNameNotTheFolder) {
  EXPECT_EQ(replaceExtension("/data/subj.12/rec", ".mer"), "/data/subj.12/rec.mer");
  EXPECT_EQ(replaceExtension("/data/rec.old.wav", ".mer"), "/data/rec.old.mer");
  EXPECT_EQ(replaceExtension("rec.", ".txt"), "rec.txt");
  EXPECT_EQ(proposedSaveName("/data/subj.12/rec.old.wav"), "rec");
  EXPECT_EQ(proposedSaveName("Untitled"), "Untitled");
  EXPECT_TRUE(hasExtension("/a/REC.Mer", ".mer"));
  EXPECT_FALSE(hasExtension("/a.mer/rec", ".mer"));
  EXPECT_FALSE(hasExtension("/a/rec.merx", ".mer"));
}
