// Loading, refusing, marking and closing plug-ins through the host library.
#include <gtest/gtest.h>

#include <vector>

#include "platform/DynamicLibrary.h"
#include "tests/host/FakePluginProtocol.h"
#include "tests/host/FakeProbe.h"
#include "tools/hostlib/PluginHost.h"

using tarnwick::host::PluginHost;
using tarnwick::platform::DynamicLibrary;

TEST(PluginHostLoad, LoadsTheEffectAndReadsItsIdentity) {
  std::string error = "stale";
  auto host = PluginHost::load(FAKE_PLUGIN_PATH, &error);
  ASSERT_TRUE(host) << error;
  EXPECT_TRUE(error.empty());
  ASSERT_NE(host->effect(), nullptr);
  EXPECT_EQ(host->effect()->magic, kEffectMagic);
  EXPECT_EQ(host->effect()->uniqueID, fake::kUniqueId);
  EXPECT_EQ(host->effect()->version, fake::kVersion);
  EXPECT_EQ(host->effect()->numParams, fake::kNumParams);
  EXPECT_EQ(host->effectName(), fake::kEffectName);
  EXPECT_EQ(host->vendorString(), fake::kVendor);
  EXPECT_EQ(host->productString(), fake::kProduct);
  EXPECT_EQ(host->dispatch(effGetVendorVersion), fake::kVendorVersion);
  EXPECT_EQ(host->dispatch(effGetVstVersion), kVstVersion);
  EXPECT_EQ(host->dispatch(effVendorSpecific, fake::kCallCurrentId), fake::kUniqueId);
}

TEST(PluginHostLoad, CallbacksDuringTheEntryReachTheLoadingHost) {
  // The fake announces MIDI while it is built, before the host has written resvd1.
  auto host = PluginHost::load(FAKE_PLUGIN_PATH, nullptr);
  ASSERT_TRUE(host);
  EXPECT_EQ(host->log().wantMidiCount(), 1);
}

TEST(PluginHostLoad, WritesItselfIntoResvd1WithoutDisturbingThePlugIn) {
  auto host = PluginHost::load(FAKE_PLUGIN_PATH, nullptr);
  ASSERT_TRUE(host);
  const auto self = reinterpret_cast<intptr_t>(host.get());
  EXPECT_EQ(host->effect()->resvd1, self);
  EXPECT_EQ(host->dispatch(effVendorSpecific, fake::kResvd1SeenByDispatcher), self);
  EXPECT_EQ(host->effect()->resvd2, 0);
  EXPECT_NE(host->effect()->object, nullptr);
  EXPECT_EQ(host->dispatch(effVendorSpecific, fake::kCallIdle), 1);
  EXPECT_EQ(host->log().idleCount(), 1);
  host->setParameter(1, 0.125f);
  EXPECT_FLOAT_EQ(host->getParameter(1), 0.125f);
}

TEST(PluginHostLoad, TwoInstancesKeepTheirCallbacksApart) {
  auto first = PluginHost::load(FAKE_PLUGIN_PATH, nullptr);
  auto second = PluginHost::load(FAKE_PLUGIN_PATH, nullptr);
  ASSERT_TRUE(first && second);
  ASSERT_NE(first->effect(), second->effect());

  first->dispatch(effVendorSpecific, fake::kCallAutomate, 1, nullptr, 0.5f);
  second->dispatch(effVendorSpecific, fake::kCallAutomate, 2, nullptr, 0.25f);
  ASSERT_EQ(first->log().automation().size(), 1u);
  ASSERT_EQ(second->log().automation().size(), 1u);
  EXPECT_EQ(first->log().automation()[0].index, 1);
  EXPECT_EQ(second->log().automation()[0].index, 2);

  // Closing one leaves the other's code and state in place.
  first->close();
  std::vector<float> left(16), right(16);
  second->process(left.data(), right.data(), 16);
  EXPECT_EQ(left[15], fake::leftSample(15));
  EXPECT_FLOAT_EQ(second->getParameter(2), 0.25f);
}

TEST(PluginHostLoad, RefusedWhenTheHostAnswersVersionZero) {
  FakeProbe probe(FAKE_PLUGIN_PATH);
  ASSERT_TRUE(probe.valid());
  std::string error;
  auto host = PluginHost::load(FAKE_PLUGIN_PATH, &error, 0);
  EXPECT_FALSE(host);
  EXPECT_NE(error.find("no effect"), std::string::npos) << error;
  EXPECT_EQ(probe.alive(), 0);
}

TEST(PluginHostLoad, RejectsARecordWithAWrongMagic) {
  std::string error;
  auto host = PluginHost::load(FAKE_PLUGIN_PATH, &error, fake::kVersionForBadMagic);
  EXPECT_FALSE(host);
  EXPECT_NE(error.find("magic"), std::string::npos) << error;
}

TEST(PluginHostLoad, ReportsMissingLibrariesAndEntries) {
  std::string error;
  EXPECT_FALSE(PluginHost::load("/nonexistent/fake.so", &error));
  EXPECT_NE(error.find("/nonexistent/fake.so"), std::string::npos) << error;

  EXPECT_FALSE(PluginHost::load(FAKE_NO_ENTRY_PATH, &error));
  EXPECT_NE(error.find("VSTPluginMain"), std::string::npos) << error;
  EXPECT_FALSE(DynamicLibrary::isLoaded(FAKE_NO_ENTRY_PATH));
}

TEST(PluginHostLoad, FallsBackToTheMainEntry) {
  std::string error;
  auto host = PluginHost::load(FAKE_PLUGIN_MAIN_PATH, &error);
  ASSERT_TRUE(host) << error;
  EXPECT_EQ(host->effectName(), fake::kEffectName);
}

TEST(PluginHostLoad, CloseDestroysTheInstanceOnce) {
  FakeProbe probe(FAKE_PLUGIN_PATH);
  ASSERT_TRUE(probe.valid());
  auto host = PluginHost::load(FAKE_PLUGIN_PATH, nullptr);
  ASSERT_TRUE(host);
  EXPECT_EQ(probe.alive(), 1);
  host->close();
  EXPECT_EQ(probe.alive(), 0);
  EXPECT_EQ(host->effect(), nullptr);
  EXPECT_FALSE(host->isOpen());
  // Requests after close go nowhere instead of into a freed record.
  EXPECT_EQ(host->dispatch(effGetVstVersion), 0);
  EXPECT_EQ(host->effectName(), PluginHost::kUntouched);
  std::vector<float> left(4, 9.0f), right(4, 9.0f);
  host->process(left.data(), right.data(), 4);
  EXPECT_EQ(left[0], 9.0f);
  host->close();
  EXPECT_EQ(probe.alive(), 0);
}

TEST(PluginHostLoad, DestructionClosesAndUnloads) {
  ASSERT_FALSE(DynamicLibrary::isLoaded(FAKE_PLUGIN_PATH));
  {
    auto host = PluginHost::load(FAKE_PLUGIN_PATH, nullptr);
    ASSERT_TRUE(host);
    EXPECT_TRUE(DynamicLibrary::isLoaded(FAKE_PLUGIN_PATH));
  }
  EXPECT_FALSE(DynamicLibrary::isLoaded(FAKE_PLUGIN_PATH));

  FakeProbe probe(FAKE_PLUGIN_PATH);
  ASSERT_TRUE(probe.valid());
  {
    auto host = PluginHost::load(FAKE_PLUGIN_PATH, nullptr);
    ASSERT_TRUE(host);
    EXPECT_EQ(probe.alive(), 1);
  }
  EXPECT_EQ(probe.alive(), 0);
}
