// The uri-list of a drag: local files' paths out of file: URIs, everything else set aside.
#include <gtest/gtest.h>

#include "platform/UriList.h"

namespace tarnwick::platform {
namespace {

TEST(UriList, LocalFilesWithEscapesAndHostForms) {
  const FileDrag drag = fileDragFromUriList(
      "# from a file manager\r\n"
      "file:///home/me/take%201%25.wav\r\n"
      "file://localhost/tmp/a.vlb\r\n"
      "file://studio/srv/b.wav\r\n"
      "FILE:/tmp/c%C3%BC.aiff\n"
      "\r\n"
      "file://elsewhere/tmp/d.wav\r\n",
      "studio");
  ASSERT_EQ(drag.paths.size(), 4u);
  EXPECT_EQ(drag.paths[0], "/home/me/take 1%.wav");
  EXPECT_EQ(drag.paths[1], "/tmp/a.vlb");
  EXPECT_EQ(drag.paths[2], "/srv/b.wav");
  EXPECT_EQ(drag.paths[3], "/tmp/c\u00fc.aiff");
  EXPECT_EQ(drag.other, "file://elsewhere/tmp/d.wav");
}

TEST(UriList, WhatNamesNoLocalFileIsSetAside) {
  FileDrag drag = fileDragFromUriList("https://example.org/a.wav\r\nfile:///tmp/x%00y\r\nfile://localhost\r\n", "");
  EXPECT_TRUE(drag.paths.empty());
  EXPECT_EQ(drag.other, "https://example.org/a.wav");
  // A stray percent stays; a query or fragment is no part of the name.
  drag = fileDragFromUriList("file:///tmp/100%.wav\r\nfile:///tmp/a.wav#frag", "");
  ASSERT_EQ(drag.paths.size(), 2u);
  EXPECT_EQ(drag.paths[0], "/tmp/100%.wav");
  EXPECT_EQ(drag.paths[1], "/tmp/a.wav");
  EXPECT_TRUE(fileDragFromUriList("", "host").paths.empty());
}

}  // namespace
}  // namespace tarnwick::platform
