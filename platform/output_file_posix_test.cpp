#include <gtest/gtest.h>

#include <fstream>
#include <utility>

#include "platform/output_file.h"
#include "platform/scratch_folder_test_support.h"

namespace {

using OutputFileTest = ScratchFolder;

TEST_F(OutputFileTest, AFileIsReplacedOnlyWhenItIsFinished) {
  std::ofstream("form.prn") << "earlier";
  {
    PendingFileHandle unfinished = startPendingFile("form.prn");
    writePendingFile(*unfinished, "half\n");
    EXPECT_EQ(contentsOf("form.prn"), "earlier");
  }  // Dropped without finishing, as when the run fails.
  EXPECT_EQ(contentsOf("form.prn"), "earlier");
  EXPECT_EQ(entriesHere(), 1);
  PendingFileHandle pending = startPendingFile("form.prn");
  writePendingFile(*pending, "whole\r\n");
  finishPendingFile(std::move(pending));
  EXPECT_EQ(contentsOf("form.prn"), "whole\r\n");
  EXPECT_EQ(entriesHere(), 1);
}

}  // namespace
