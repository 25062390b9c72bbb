// What passes between host and plug-in: settings, MIDI, audio, texts, pins, chunks, time and automation.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/host/FakePluginProtocol.h"
#include "tools/hostlib/PluginHost.h"

using tarnwick::host::MidiMessage;
using tarnwick::host::PluginHost;

namespace {

class PluginHostExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    host = PluginHost::load(FAKE_PLUGIN_PATH, &error);
    ASSERT_TRUE(host) << error;
  }

  intptr_t ask(int32_t request, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return host->dispatch(effVendorSpecific, request, value, ptr, opt);
  }

  std::unique_ptr<PluginHost> host;
};

TEST_F(PluginHostExchange, SettingsAndResumeReachThePlugIn) {
  host->setSampleRate(48000.0f);
  host->setBlockSize(256);
  EXPECT_EQ(ask(fake::kSampleRate), 48000);
  EXPECT_EQ(ask(fake::kBlockSize), 256);

  host->resume();
  host->suspend();
  host->resume();
  EXPECT_EQ(ask(fake::kResumeCount), 2);
  EXPECT_EQ(host->log().wantMidiCount(), 3);  // once while built, once per resume
  EXPECT_EQ(host->log().lastTimeMask(), kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid);
}

TEST_F(PluginHostExchange, MidiEventsArriveWithTheInterfaceLayout) {
  const std::vector<MidiMessage> sent = {{0, 0x90, 60, 100}, {17, 0x80, 60, 0}, {511, 0x9F, 127, 1}, {3, 0xB0, 123, 0}};
  host->sendMidi(sent);
  ASSERT_EQ(ask(fake::kEventCount), static_cast<intptr_t>(sent.size()));
  EXPECT_EQ(ask(fake::kListReserved), 0);
  for (std::size_t i = 0; i < sent.size(); ++i) {
    VstMidiEvent event;
    std::memset(&event, 0x77, sizeof event);
    ASSERT_EQ(ask(fake::kCopyEvent, static_cast<intptr_t>(i), &event), 1);
    EXPECT_EQ(event.type, kVstMidiType);
    EXPECT_EQ(event.byteSize, static_cast<int32_t>(sizeof(VstMidiEvent)));
    EXPECT_EQ(event.deltaFrames, sent[i].deltaFrames);
    EXPECT_EQ(event.flags, 0);
    EXPECT_EQ(event.noteLength, 0);
    EXPECT_EQ(event.noteOffset, 0);
    EXPECT_EQ(static_cast<uint8_t>(event.midiData[0]), sent[i].status);
    EXPECT_EQ(static_cast<uint8_t>(event.midiData[1]), sent[i].data1);
    EXPECT_EQ(static_cast<uint8_t>(event.midiData[2]), sent[i].data2);
    EXPECT_EQ(event.midiData[3], 0);
    EXPECT_EQ(event.detune, 0);
    EXPECT_EQ(event.noteOffVelocity, 0);
    EXPECT_EQ(event.reserved1, 0);
    EXPECT_EQ(event.reserved2, 0);
  }

  host->sendMidi({});
  EXPECT_EQ(ask(fake::kEventCount), 0);
}

TEST_F(PluginHostExchange, RecordsMidiThePlugInSendsToTheHost) {
  const std::vector<MidiMessage> sent = {{5, 0x91, 64, 90}, {40, 0x81, 64, 0}, {41, 0xE0, 0, 64}};
  host->sendMidi(sent);
  EXPECT_EQ(ask(fake::kCallEchoEvents), 1);
  const std::vector<MidiMessage> got = host->log().receivedMidi();
  ASSERT_EQ(got.size(), sent.size());
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(got[i].deltaFrames, sent[i].deltaFrames);
    EXPECT_EQ(got[i].status, sent[i].status);
    EXPECT_EQ(got[i].data1, sent[i].data1);
    EXPECT_EQ(got[i].data2, sent[i].data2);
  }
  host->log().clear();
  EXPECT_TRUE(host->log().receivedMidi().empty());
}

TEST_F(PluginHostExchange, ProcessWritesBothOutputsFromZeroedInputs) {
  std::vector<float> left(300, 7.0f), right(300, 7.0f);
  host->process(left.data(), right.data(), 256);
  for (int32_t i = 0; i < 256; ++i) {
    ASSERT_EQ(left[static_cast<std::size_t>(i)], fake::leftSample(i)) << i;
    ASSERT_EQ(right[static_cast<std::size_t>(i)], fake::rightSample(i)) << i;
  }
  EXPECT_EQ(left[256], 7.0f);  // nothing past the block
  host->process(left.data(), right.data(), 0);
  host->process(left.data(), right.data(), 32);
  EXPECT_EQ(ask(fake::kInputsWereZero), 1);
}

TEST_F(PluginHostExchange, TextRequestsShowWhatThePlugInWrote) {
  EXPECT_EQ(host->parameterName(0), "gain");
  EXPECT_EQ(host->parameterLabel(0), "dB");
  EXPECT_EQ(host->parameterLabel(1), "");
  EXPECT_EQ(host->parameterDisplay(0), "0.50");
  EXPECT_EQ(host->programName(), fake::kProgramName);
  // Out-of-range indices leave the buffer as the host filled it.
  EXPECT_EQ(host->parameterName(fake::kNumParams), PluginHost::kUntouched);
  EXPECT_EQ(host->parameterDisplay(-1), PluginHost::kUntouched);

  int32_t written = -1;
  EXPECT_EQ(host->dispatchString(effGetParamName, 3, "", &written), "longnam");
  EXPECT_EQ(written, kVstMaxParamStrLen);
  EXPECT_EQ(host->dispatchString(effGetParamName, 0, "XXXXXXXXXXXX", &written), "gain");
  EXPECT_EQ(written, 5);  // four characters and the terminator over the prefill
  EXPECT_EQ(host->dispatchString(effGetParamLabel, 9, "keep", &written), "keep");
  EXPECT_EQ(written, 0);
}

TEST_F(PluginHostExchange, CanDoAndPins) {
  EXPECT_EQ(host->canDo("receiveVstMidiEvent"), 1);
  EXPECT_EQ(host->canDo("sendVstTimeInfo"), -1);
  EXPECT_EQ(host->canDo("bypass"), 0);

  VstPinProperties props;
  std::memset(&props, 0x5A, sizeof props);
  ASSERT_TRUE(host->pinProperties(true, 1, props));
  EXPECT_STREQ(props.label, "Fake Out R");
  EXPECT_EQ(props.flags, kVstPinIsActive);
  ASSERT_TRUE(host->pinProperties(false, 0, props));
  EXPECT_STREQ(props.label, "Fake In");
  EXPECT_EQ(props.flags, kVstPinIsActive | kVstPinIsStereo);

  VstPinProperties untouched;
  std::memset(&untouched, 0x5A, sizeof untouched);
  VstPinProperties probe = untouched;
  EXPECT_FALSE(host->pinProperties(false, 2, probe));
  EXPECT_EQ(std::memcmp(&probe, &untouched, sizeof probe), 0);
}

TEST_F(PluginHostExchange, ChunksTravelBothWaysPerKind) {
  EXPECT_EQ(host->getChunk(false), (std::vector<uint8_t>{'B', 'A', 'N', 'K'}));
  EXPECT_EQ(host->getChunk(true), (std::vector<uint8_t>{'P', 'R', 'S', 'T'}));

  std::vector<uint8_t> bank(1000);
  for (std::size_t i = 0; i < bank.size(); ++i) bank[i] = static_cast<uint8_t>(i * 7);  // includes 0x00 and 0xFF bytes
  EXPECT_EQ(host->setChunk(bank, false), 1);
  EXPECT_EQ(host->getChunk(false), bank);
  EXPECT_EQ(host->getChunk(true), (std::vector<uint8_t>{'P', 'R', 'S', 'T'}));

  const char preset[] = {'x', '\0', 'y'};
  EXPECT_EQ(host->setChunk(preset, sizeof preset, true), 1);
  EXPECT_EQ(host->getChunk(true), (std::vector<uint8_t>{'x', 0, 'y'}));
  EXPECT_EQ(host->getChunk(false), bank);
}

TEST_F(PluginHostExchange, TimeInfoCarriesTheSettableTempoOrIsAbsent) {
  host->setSampleRate(44100.0f);
  host->setTempo(93.5);
  const int32_t before = host->log().getTimeCount();
  VstTimeInfo info{};
  ASSERT_EQ(ask(fake::kCallGetTime, kVstTempoValid, &info), 1);
  EXPECT_EQ(host->log().getTimeCount(), before + 1);
  EXPECT_EQ(host->log().lastTimeMask(), kVstTempoValid);
  EXPECT_EQ(info.tempo, 93.5);
  EXPECT_EQ(info.sampleRate, 44100.0);
  EXPECT_EQ(info.timeSigNumerator, 4);
  EXPECT_EQ(info.timeSigDenominator, 4);
  const int32_t valid = kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid;
  EXPECT_EQ(info.flags & valid, valid);

  host->setTimeInfoAvailable(false);
  EXPECT_EQ(ask(fake::kCallGetTime, kVstPpqPosValid, &info), 0);
  EXPECT_EQ(host->log().getTimeCount(), before + 2);
  EXPECT_EQ(host->log().lastTimeMask(), kVstPpqPosValid);

  // The fake keeps the tempo it got at resume; a null answer leaves the old one.
  host->setTimeInfoAvailable(true);
  host->setTempo(140.0);
  host->resume();
  EXPECT_EQ(ask(fake::kTempoMilli), 140000);
  host->setTimeInfoAvailable(false);
  host->setTempo(60.0);
  host->resume();
  EXPECT_EQ(ask(fake::kTempoMilli), 140000);
}

TEST_F(PluginHostExchange, TimePositionFollowsTheProcessedSamples) {
  host->setSampleRate(44100.0f);
  host->setTempo(120.0);
  std::vector<float> left(4410), right(4410);
  for (int block = 0; block < 15; ++block)  // 1.5 s = 3 beats
    host->process(left.data(), right.data(), 4410);
  VstTimeInfo info{};
  ASSERT_EQ(ask(fake::kCallGetTime, kVstPpqPosValid | kVstBarsValid, &info), 1);
  EXPECT_EQ(info.samplePos, 66150.0);
  EXPECT_DOUBLE_EQ(info.ppqPos, 3.0);
  EXPECT_EQ(info.barStartPos, 0.0);
  for (int block = 0; block < 10; ++block) host->process(left.data(), right.data(), 4410);
  ASSERT_EQ(ask(fake::kCallGetTime, kVstPpqPosValid | kVstBarsValid, &info), 1);
  EXPECT_DOUBLE_EQ(info.ppqPos, 5.0);
  EXPECT_EQ(info.barStartPos, 4.0);
}

TEST_F(PluginHostExchange, RecordsAutomationEditsAndHostQueries) {
  EXPECT_EQ(ask(fake::kCallAutomate, 2, nullptr, 0.75f), 1);
  EXPECT_FLOAT_EQ(host->getParameter(2), 0.75f);
  ask(fake::kCallAutomate, 0, nullptr, 0.0f);
  const auto automation = host->log().automation();
  ASSERT_EQ(automation.size(), 2u);
  EXPECT_EQ(automation[0].index, 2);
  EXPECT_EQ(automation[0].value, 0.75f);
  EXPECT_EQ(automation[1].index, 0);
  EXPECT_EQ(automation[1].value, 0.0f);

  ask(fake::kCallEdit, 3);
  const auto edits = host->log().edits();
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_TRUE(edits[0].begin);
  EXPECT_FALSE(edits[1].begin);
  EXPECT_EQ(edits[0].index, 3);
  EXPECT_EQ(edits[1].index, 3);

  char vendor[kVstMaxVendorStrLen];
  std::memset(vendor, 'x', sizeof vendor);
  EXPECT_EQ(ask(fake::kCallHostVendor, 0, vendor), 1);
  EXPECT_STREQ(vendor, PluginHost::kHostName);

  char openText[] = "openFileSelector";
  EXPECT_EQ(ask(fake::kCallCanDo, 0, openText), 0);
  host->setCanDoAnswer("openFileSelector", 1);
  EXPECT_EQ(ask(fake::kCallCanDo, 0, openText), 1);
  EXPECT_EQ(host->log().canDoQueries(), (std::vector<std::string>{"openFileSelector", "openFileSelector"}));
}

// The selector's answer goes into the plug-in's buffer whole, or not at all: a path cut to fit would name
// another file.
TEST_F(PluginHostExchange, FileSelectorNeverCutsAnAnswerToThePlugInsBuffer) {
  const std::string fits(31, 'f'), tooLong(32, 'x');
  host->offerFileSelector({fits, tooLong});
  char buffer[32];
  VstFileSelect select{};
  select.command = kVstFileSave;
  select.returnPath = buffer;
  select.sizeReturnPath = static_cast<int32_t>(sizeof buffer);
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(ask(fake::kCallFileSelector, 0, &select), 1);
  EXPECT_EQ(std::string(buffer), fits);
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(ask(fake::kCallFileSelector, 0, &select), 0);  // as a cancel
  EXPECT_EQ(buffer[0], '#');
  const auto requests = host->fileSelectorRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].refusedAnswer, "");
  EXPECT_EQ(requests[1].refusedAnswer, tooLong);
}

// The plug-in calls the host from the audio thread while another thread reads and changes the host.
TEST_F(PluginHostExchange, CallbackIsSafeAcrossThreads) {
  constexpr int kBlocks = 300;
  std::atomic<bool> done{false};
  std::thread audio([&] {
    std::vector<float> left(64), right(64);
    for (int block = 0; block < kBlocks; ++block) {
      host->sendMidi({{block % 64, 0x90, 60, 100}});
      host->process(left.data(), right.data(), 64);
    }
    done = true;
  });
  int automations = 0;
  while (!done) {
    host->setTempo(100.0 + automations % 50);
    host->log().getTimeCount();
    host->log().automation();
    ask(fake::kCallAutomate, 1, nullptr, 0.5f);
    ++automations;
  }
  audio.join();
  EXPECT_GE(host->log().getTimeCount(), kBlocks);
  EXPECT_EQ(host->log().automation().size(), static_cast<std::size_t>(automations));
}

}  // namespace
