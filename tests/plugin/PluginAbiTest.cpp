// The built Tarnwick.so driven through the VST interface exactly as a host drives it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "storage/ChunkRecord.h"
#include "tests/plugin/TestSupport.h"
#include "tests/support/BuiltPlugin.h"
#include "tools/hostlib/PluginHost.h"

using tarnwick::host::MidiMessage;
using tarnwick::host::PluginHost;

namespace {

using tarnwick::test::loadPlugin;

TEST(PluginEntry, RefusesHostWithoutVersionAndLoadsOtherwise) {
  std::string error;
  EXPECT_FALSE(PluginHost::load(TARNWICK_PLUGIN_PATH, &error, 0));
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  const AEffect* e = host->effect();
  EXPECT_EQ(e->magic, kEffectMagic);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->numParams, 40);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_FLOAT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->uniqueID, fourCharCode('Q', 'Z', '3', '8'));
  EXPECT_EQ(e->version, 1);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_GE(host->log().wantMidiCount(), 1);  // the construction's resume asks for MIDI
}

TEST(PluginEntry, CloseAnswersOneAndDestroysTheInstance) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  EXPECT_EQ(host->dispatch(effClose), 1);
  EXPECT_FALSE(host->isOpen());
}

TEST(PluginEntry, UnloadsCompletelyAfterTheLastInstanceCloses) {
  // Hosts scan plug-ins by loading and unloading them: nothing may keep the library resident.
  const std::string wav = tarnwick::test::writeTestWav("abi_unload.wav", 8000);
  {
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    std::vector<uint8_t> chunk = host->getChunk(false);
    std::memcpy(chunk.data(), wav.c_str(), wav.size() + 1);
    host->setChunk(chunk, false);
    host->setParameter(6, 1.0f);  // morph: the transform tables come into play
    host->sendMidi({MidiMessage{0, 0x90, 60, 100}});
    std::vector<float> left(512), right(512);
    host->process(left.data(), right.data(), 512);
    EXPECT_TRUE(tarnwick::platform::DynamicLibrary::isLoaded(TARNWICK_PLUGIN_PATH));
  }
  EXPECT_FALSE(tarnwick::platform::DynamicLibrary::isLoaded(TARNWICK_PLUGIN_PATH));
}

TEST(PluginIdentity, FixedAnswers) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  EXPECT_EQ(host->effectName(), "Tarnwick");
  EXPECT_EQ(host->vendorString(), "pemberlo audio");
  EXPECT_EQ(host->productString(), "Tarnwick VSTi");
  EXPECT_EQ(host->dispatch(effGetVendorVersion), 1);
  EXPECT_EQ(host->dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(host->dispatch(effGetPlugCategory), 2);
  EXPECT_EQ(host->dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(host->dispatch(effGetCurrentMidiProgram), -1);
  EXPECT_EQ(host->dispatch(effGetNumMidiInputChannels), 1);
  EXPECT_EQ(host->dispatch(effGetNumMidiOutputChannels), 1);
  EXPECT_EQ(host->dispatch(effSetTotalSampleToProcess, 0, 4321), 4321);
  for (int32_t op :
       {effSetBypass, effGetTailSize, effGetParameterProperties, effString2Parameter, effGetMidiProgramName,
        effGetMidiProgramCategory, effHasMidiProgramsChanged, effGetMidiKeyName, effBeginSetProgram, effEndSetProgram,
        effEditGetRect, effEditOpen, effEditIdle, effEditKeyDown, effEditKeyUp, effStartProcess, effStopProcess}) {
    EXPECT_EQ(host->dispatch(op, 0, 1), 0) << "opcode " << op;
  }
  void* arrangements[2] = {&arrangements, &arrangements};
  EXPECT_EQ(host->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&arrangements[0]), &arrangements[1]),
            0);
  EXPECT_EQ(arrangements[0], nullptr);
  EXPECT_EQ(arrangements[1], nullptr);
}

TEST(PluginIdentity, CapabilitiesAndPins) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  EXPECT_EQ(host->canDo("bypass"), 1);
  EXPECT_EQ(host->canDo("Bypass"), 0);
  EXPECT_EQ(host->canDo(""), 0);
  EXPECT_EQ(host->canDo("2in2out"), 1);
  EXPECT_EQ(host->canDo("1in2out"), 1);
  for (const char* text : {"1in1out", "2in1out", "2in4out", "4in2out", "4in4out", "4in8out", "8in4out", "8in8out",
                           "sendVstTimeInfo", "mixDryWet", "noRealTime", "midiProgramNames"}) {
    EXPECT_EQ(host->canDo(text), -1) << text;
  }
  for (const char* text : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
                           "receiveVstTimeInfo", "plugAsChannelInsert", "plugAsSend"}) {
    EXPECT_EQ(host->canDo(text), 1) << text;
  }
  for (const char* text : {"offline", "multipass", "metapass", "conformsToWindowRules", "sendVstEventsX"}) {
    EXPECT_EQ(host->canDo(text), 0) << text;
  }

  VstPinProperties pin;
  for (int32_t i : {0, 1}) {
    std::memset(&pin, 0x5A, sizeof pin);
    ASSERT_TRUE(host->pinProperties(false, i, pin));
    EXPECT_STREQ(pin.label, "Tarnwick In");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(static_cast<unsigned char>(pin.shortLabel[0]), 0x5A);  // other fields left alone
  }
  ASSERT_TRUE(host->pinProperties(true, 0, pin));
  EXPECT_STREQ(pin.label, "Tarnwick Out 01");
  EXPECT_EQ(pin.flags, 3);
  ASSERT_TRUE(host->pinProperties(true, 1, pin));
  EXPECT_STREQ(pin.label, "Tarnwick Out 02");
  EXPECT_EQ(pin.flags, 1);
  std::memset(&pin, 0x5A, sizeof pin);
  EXPECT_FALSE(host->pinProperties(true, 2, pin));
  EXPECT_FALSE(host->pinProperties(false, 2, pin));
  EXPECT_EQ(static_cast<unsigned char>(pin.label[0]), 0x5A);
}

TEST(PluginPrograms, NamesAndProgramSwitch) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  EXPECT_EQ(host->programName(), "Init 1");
  EXPECT_EQ(host->dispatchString(effGetProgramNameIndexed, 0, "x"), "Init");
  EXPECT_EQ(host->dispatch(effGetProgramNameIndexed, 1, 0, nullptr), 0);
  host->dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(host->dispatch(effGetProgram), 0);

  char name[64] = "Grainfield";
  host->dispatch(effSetProgramName, 0, 0, name);
  EXPECT_EQ(host->programName(), "Grainfield");
  // A name longer than 23 characters is cut, and never overruns the host's buffer.
  char longName[80];
  std::memset(longName, 'a', sizeof longName - 1);
  longName[sizeof longName - 1] = '\0';
  host->dispatch(effSetProgramName, 0, 0, longName);
  EXPECT_EQ(host->programName(), std::string(23, 'a'));
}

TEST(PluginParameters, TextsThroughTheInterface) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  EXPECT_EQ(host->dispatch(effCanBeAutomated, 39), 1);
  EXPECT_EQ(host->dispatch(effCanBeAutomated, 40), 0);
  EXPECT_EQ(host->dispatch(effCanBeAutomated, 263), 0);
  EXPECT_EQ(host->parameterName(0), "mainLevl");
  EXPECT_EQ(host->parameterDisplay(0), "-6 dB");
  EXPECT_EQ(host->parameterName(8), "delay01");
  EXPECT_EQ(host->parameterName(39), "delay32");
  EXPECT_EQ(host->parameterName(40), PluginHost::kUntouched);
  EXPECT_EQ(host->parameterLabel(3), "sustain");
  EXPECT_EQ(host->parameterDisplay(3), " 5 %");

  // Every text stays within 8 characters and its terminator, even for extreme values.
  for (float v : {1e-30f, -1e30f, 1e30f, 0.5f, -0.0f}) {
    for (int32_t i = 0; i < 40; ++i) {
      host->setParameter(i, v);
      for (int32_t op : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
        int32_t written = 0;
        const std::string text = host->dispatchString(op, i, std::string(200, '#'), &written);
        EXPECT_LE(written, 9) << "opcode " << op << " index " << i << " value " << v;
        EXPECT_LE(text.size(), 8u);
      }
    }
  }
}

TEST(PluginParameters, NanChangesNothing) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  std::vector<float> before;
  for (int32_t i = 0; i < 40; ++i) before.push_back(host->getParameter(i));
  for (int32_t i = 0; i < 300; ++i) host->setParameter(i, std::nanf(""));
  for (int32_t i = 0; i < 40; ++i) EXPECT_EQ(host->getParameter(i), before[i]) << i;
}

TEST(PluginChunk, SizeRoundTripAndPresetFlagIgnored) {
  auto a = loadPlugin();
  ASSERT_TRUE(a);
  a->setParameter(0, 0.8f);
  a->setParameter(8, 0.33f);
  a->setParameter(265, 3.0f);
  a->setParameter(109, 0.0f);  // Single Key Edit Mode, edit row = lowKey 36
  a->setParameter(2, 0.25f);
  const std::vector<uint8_t> bank = a->getChunk(false);
  const std::vector<uint8_t> preset = a->getChunk(true);
  ASSERT_EQ(bank.size(), 38168u);
  EXPECT_EQ(bank, preset);

  auto b = loadPlugin();
  ASSERT_TRUE(b);
  EXPECT_EQ(b->setChunk(bank, false), 1);
  EXPECT_EQ(b->getChunk(false), bank);
  EXPECT_FLOAT_EQ(b->getParameter(0), 0.8f);
  EXPECT_FLOAT_EQ(b->getParameter(2), 0.25f);
  EXPECT_EQ(b->parameterLabel(8), "note");
  EXPECT_EQ(b->getParameter(109), 0.0f);
}

TEST(PluginChunk, ForeignBlocksChangeNothing) {
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  host->setParameter(0, 0.9f);
  const std::vector<uint8_t> good = host->getChunk(false);
  ASSERT_EQ(good.size(), 38168u);
  std::vector<uint8_t> other = good;
  uint8_t* bytes = other.data();
  std::memset(bytes + tarnwick::chunk::delay(tarnwick::kMasterRow, 0), 0, 4 * 32);  // master row delays all 0 ...
  std::memset(bytes + tarnwick::chunk::kMainLevl, 0, 4);                            // ... and mainLevl 0

  EXPECT_EQ(host->setChunk(bytes, other.size() - 1, false), 1);
  bytes[2048] = 11;
  EXPECT_EQ(host->setChunk(bytes, other.size(), false), 1);
  EXPECT_EQ(host->setChunk(nullptr, tarnwick::kChunkSize, false), 1);
  EXPECT_EQ(host->setChunk(nullptr, 0, false), 1);  // zero length: no state
  EXPECT_EQ(host->getChunk(false), good);
}

TEST(PluginSound, RestoredSessionPlaysItsRecording) {
  const std::string wav = tarnwick::test::writeTestWav("abi_sound.wav", 44100);
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  host->setSampleRate(44100.0f);
  host->setBlockSize(1024);
  host->resume();
  std::vector<uint8_t> chunk = host->getChunk(false);
  std::memset(chunk.data(), 0, 2048);
  std::memcpy(chunk.data(), wav.c_str(), wav.size());
  ASSERT_EQ(host->setChunk(chunk, false), 1);

  std::vector<float> left(1024), right(1024);
  host->sendMidi({MidiMessage{32, 0x90, 60, 100}});
  float peak = 0.0f;
  // A host may hand over fewer frames than the block size it announced.
  for (int32_t frames : {752, 272, 1024, 1024, 1024, 1024}) {
    host->process(left.data(), right.data(), frames);
    for (int32_t i = 0; i < frames; ++i) {
      ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i]));
      peak = std::max(peak, std::fabs(left[i]));
    }
  }
  EXPECT_GT(peak, 0.01f);
  EXPECT_GT(host->getParameter(258), 0.0f);
  EXPECT_EQ(host->getParameter(258), 0.0f);  // read and cleared
}

TEST(PluginSound, QuantizedRangeAsksForTheTempoEveryBlock) {
  const std::string wav = tarnwick::test::writeTestWav("abi_tempo.wav", 22050);
  auto host = loadPlugin();
  ASSERT_TRUE(host);
  std::vector<uint8_t> chunk = host->getChunk(false);
  std::memcpy(chunk.data(), wav.c_str(), wav.size() + 1);
  host->setChunk(chunk, false);
  host->log().clear();
  host->resume();
  EXPECT_EQ(host->log().lastTimeMask(), 0x2E00);
  host->setParameter(265, 3.0f);
  std::vector<float> left(256), right(256);
  const int32_t before = host->log().getTimeCount();
  for (int i = 0; i < 4; ++i) host->process(left.data(), right.data(), 256);
  EXPECT_EQ(host->log().getTimeCount() - before, 4);
  EXPECT_EQ(host->log().lastTimeMask(), 0x400);
}

}  // namespace
