// The loader wrapper: opening, symbol lookup, failures and ownership.
#include <gtest/gtest.h>

#include <utility>

#include "platform/DynamicLibrary.h"

using tarnwick::platform::DynamicLibrary;

TEST(DynamicLibrary, FindsExportedSymbolsAndReportsMissingOnes) {
  DynamicLibrary library;
  ASSERT_TRUE(library.open(FAKE_PLUGIN_PATH)) << library.error();
  EXPECT_NE(library.symbol("VSTPluginMain"), nullptr);
  EXPECT_TRUE(library.error().empty());
  EXPECT_EQ(library.symbol("noSuchSymbol"), nullptr);
  EXPECT_FALSE(library.error().empty());
}

TEST(DynamicLibrary, FailsCleanlyOnMissingFileAndWhenClosed) {
  DynamicLibrary library;
  EXPECT_FALSE(library.open("/nonexistent/plugin.so"));
  EXPECT_FALSE(library.isOpen());
  EXPECT_NE(library.error().find("/nonexistent/plugin.so"), std::string::npos) << library.error();
  EXPECT_EQ(library.symbol("VSTPluginMain"), nullptr);
  EXPECT_FALSE(library.error().empty());
  library.close();  // closing nothing is harmless
}

TEST(DynamicLibrary, MoveTransfersTheHandleAndCloseUnmaps) {
  ASSERT_FALSE(DynamicLibrary::isLoaded(FAKE_NO_ENTRY_PATH));
  DynamicLibrary first;
  ASSERT_TRUE(first.open(FAKE_NO_ENTRY_PATH));
  DynamicLibrary second(std::move(first));
  EXPECT_FALSE(first.isOpen());
  ASSERT_TRUE(second.isOpen());
  EXPECT_NE(second.symbol("notAPlugin"), nullptr);
  EXPECT_TRUE(DynamicLibrary::isLoaded(FAKE_NO_ENTRY_PATH));

  DynamicLibrary third;
  third = std::move(second);
  EXPECT_NE(third.symbol("notAPlugin"), nullptr);
  third.close();
  EXPECT_FALSE(DynamicLibrary::isLoaded(FAKE_NO_ENTRY_PATH));
}
