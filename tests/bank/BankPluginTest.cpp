// Bank save and load through an instance: round trips between instances, the overwrite questions,
// and the state each refusal leaves behind (the buffer is never lost to a failed load).
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <utility>

#include "platform/Registry.h"
#include "plugin/aPlug.h"
#include "storage/BankFile.h"
#include "tests/bank/BankTestSupport.h"
#include "tests/plugin/AudioThread.h"
#include "tests/plugin/TestSupport.h"
#include "tests/support/AllocationWatch.h"

namespace {

using namespace tarnwick;
using namespace tarnwick::test;
using Answer = platform::MessageBoxAnswer;

constexpr const char* kAskFile = "Tarnwick - confirm overwrite file|Overwrite existing file ?";
constexpr const char* kAskBuffer =
    "Tarnwick - confirm overwrite buffer|Overwrite audiobuffer ?\n       (buffer is not saved yet)";
constexpr size_t kFloodOffset = chunk::kFlood;
constexpr size_t kFloodWorkOffset = chunk::kFloodWork;

// Records every notification.
struct NoteSink : EditorSink {
  std::vector<int32_t> seen;
  void setParameter(int32_t index, float) override {
    if (index == kEditorRefresh || index == kEditorRedraw) seen.push_back(index);
  }
};

class Bank : public ::testing::Test {
 protected:
  void SetUp() override {
    ScriptedBoxes::install();
    folder_ = freshFolder();
    platform::setRegistryRootForTesting((folder_ / "no-registry").string().c_str());
  }
  void TearDown() override {
    ScriptedBoxes::remove();
    platform::setRegistryRootForTesting(nullptr);
  }

  std::string path(const char* name) const { return (folder_ / name).string(); }

  static std::unique_ptr<aPlug> newPlug() { return std::make_unique<aPlug>(&InProcessHost::callback); }

  std::unique_ptr<aPlug> plugWithAudio(int32_t frames, double freq = 220.0) {
    auto plug = newPlug();
    const std::string wav =
        writeTestWav("bank_" + std::to_string(frames) + "_" + std::to_string(int(freq)) + ".wav", frames, freq);
    EXPECT_EQ(plug->core().loadAudioFile(wav.c_str()), kStorageOk);
    return plug;
  }

  static std::vector<uint8_t> chunkOf(aPlug& plug) {
    void* data = nullptr;
    const int32_t size = plug.getChunk(&data);
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
  }
  // The chunk as it reads once voices were silenced and flood switched off.
  static std::vector<uint8_t> withoutFlood(std::vector<uint8_t> chunk) {
    putF32(chunk, kFloodOffset, 0.0f);
    putI32(chunk, kFloodWorkOffset, 0);
    return chunk;
  }
  static const EngineState& state(aPlug& plug) { return plug.core().modelState(); }
  static const Voice& voice(aPlug& plug, int32_t key) { return plug.core().playingEngineForTesting().voice(key); }
  void hold(aPlug& plug, uint8_t key) { audio_.play(plug, {{0, 0x90, key, 100}}); }
  // One block on the audio thread: the playing engine takes what the user-interface side shipped.
  void render(aPlug& plug) { audio_.play(plug, {}); }
  static void tweak(aPlug& plug) {
    plug.setParameter(kMainLevl, 0.3f);
    plug.setParameter(kEditMode, 0.0f);  // Single Key Edit Mode
    plug.setParameter(kDelay01 + 5, 0.6f);
    plug.setParameter(kKeyMapping, 2.0f);
    plug.setParameter(kBufstart, 0.25f);
  }

  fs::path folder_;
  AudioThread audio_;
};

TEST_F(Bank, RoundTripBetweenInstancesIsExact) {
  auto a = plugWithAudio(44100);
  tweak(*a);
  const std::string file = path("trip.vlb");
  ASSERT_EQ(a->core().saveBank(file.c_str()), kStorageOk);
  EXPECT_EQ(fs::file_size(file), 390996u);

  auto b = newPlug();
  ASSERT_EQ(b->core().loadBank(file.c_str()), kStorageOk);
  EXPECT_TRUE(ScriptedBoxes::shown.empty());
  const BufferView& ab = state(*a).buffer;
  const BufferView& bb = state(*b).buffer;
  ASSERT_EQ(bb.frameCount, 44100);
  EXPECT_EQ(bb.frameCountF, 44100.0f);
  EXPECT_EQ(0, std::memcmp(bb.storedLeft(), ab.storedLeft(), 44100 * 4));
  EXPECT_EQ(0, std::memcmp(bb.storedRight(), ab.storedRight(), 44100 * 4));
  EXPECT_EQ(bb.storedLeft()[44100], bb.storedLeft()[0]);
  EXPECT_EQ(bb.storedRight()[44100], bb.storedRight()[0]);
  EXPECT_EQ(bb.left, bb.storedLeft());
  EXPECT_TRUE(bb.saved);
  EXPECT_FALSE(state(*b).engineBusy);
  EXPECT_EQ(chunkOf(*b), chunkOf(*a));
  for (int r = 0; r < kRowCount; ++r) EXPECT_EQ(state(*b).rows[r].grainLength, state(*a).rows[r].grainLength) << r;

  // Both instances now play alike (rendered on the stand-in audio thread: this thread stays the
  // user-interface thread for the tests that follow in the same process).
  std::vector<float> out[2][2];
  for (int i = 0; i < 2; ++i) {
    audio_.play(i == 0 ? *a : *b, {{0, 0x90, 60, 100}}, 2048);
    out[i][0] = audio_.left;
    out[i][1] = audio_.right;
  }
  EXPECT_EQ(out[0][0], out[1][0]);
  EXPECT_EQ(out[0][1], out[1][1]);
}

TEST_F(Bank, EmptyBufferWritesNoSamplesAndLoadsAsEmpty) {
  auto a = newPlug();
  const std::string file = path("empty.vlb");
  ASSERT_EQ(a->core().saveBank(file.c_str()), kStorageOk);
  EXPECT_EQ(fs::file_size(file), 38196u);

  auto b = plugWithAudio(1000);
  ASSERT_EQ(b->core().loadBank(file.c_str()), kStorageOk);
  EXPECT_EQ(state(*b).buffer.frameCount, 0);
  EXPECT_EQ(state(*b).buffer.left, nullptr);
  EXPECT_TRUE(state(*b).buffer.saved);
}

TEST_F(Bank, SavingOverAFileAsksFirst) {
  auto a = plugWithAudio(500);
  const std::string file = path("exists.vlb");
  writeBytes(file, {'o', 'l', 'd'});
  ScriptedBoxes::answers = {Answer::kNo};
  EXPECT_EQ(a->core().saveBank(file.c_str()), kStorageFileExists);
  ASSERT_EQ(ScriptedBoxes::shown.size(), 1u);
  EXPECT_EQ(ScriptedBoxes::shown[0], kAskFile);
  EXPECT_EQ(readBytes(file), (std::vector<uint8_t>{'o', 'l', 'd'}));

  ScriptedBoxes::answers = {Answer::kYes};
  EXPECT_EQ(a->core().saveBank(file.c_str()), kStorageOk);
  EXPECT_EQ(fs::file_size(file), bankFileSize(500));
  EXPECT_EQ(ScriptedBoxes::shown.size(), 2u);

  EXPECT_EQ(a->core().saveBank(path("fresh.vlb").c_str()), kStorageOk);
  EXPECT_EQ(ScriptedBoxes::shown.size(), 2u);  // a new file needs no question
}

TEST_F(Bank, SaveMarksTheBufferSavedOnlyOnSuccess) {
  auto a = plugWithAudio(300);
  a->core().modelForTesting().state().buffer.saved = false;
  EXPECT_EQ(a->core().saveBank(path("missing/x.vlb").c_str()), kStorageCannotWrite);
  EXPECT_FALSE(state(*a).buffer.saved);
  EXPECT_EQ(a->core().saveBank(path("ok.vlb").c_str()), kStorageOk);
  EXPECT_TRUE(state(*a).buffer.saved);
}

TEST_F(Bank, FloodedInstanceSavesItsStoredSamples) {
  auto a = plugWithAudio(61 * 200);
  a->setParameter(kFlood, 1.0f);
  ASSERT_TRUE(state(*a).buffer.floodOn());
  ASSERT_NE(state(*a).buffer.left, state(*a).buffer.storedLeft());
  const std::string file = path("flood.vlb");
  ASSERT_EQ(a->core().saveBank(file.c_str()), kStorageOk);
  const auto bytes = readBytes(file);
  const int32_t n = state(*a).buffer.frameCount;
  ASSERT_EQ(bytes.size(), bankFileSize(n));
  EXPECT_EQ(0, std::memcmp(&bytes[38196], state(*a).buffer.storedLeft(), 4 * size_t(n)));
  EXPECT_EQ(0, std::memcmp(&bytes[38196 + 4 * size_t(n)], state(*a).buffer.storedRight(), 4 * size_t(n)));
}

// Refusals of the header change nothing at all: the key keeps sounding, flood stays on.
TEST_F(Bank, HeaderRefusalsChangeNothing) {
  auto source = plugWithAudio(200);
  const std::string good = path("good.vlb");
  ASSERT_EQ(source->core().saveBank(good.c_str()), kStorageOk);
  const auto bytes = readBytes(good);

  auto plug = plugWithAudio(61 * 100, 440.0);
  plug->setParameter(kFlood, 1.0f);
  hold(*plug, 60);
  ASSERT_EQ(voice(*plug, 60).keyState, kHeld);
  const auto before = chunkOf(*plug);
  const float* left = state(*plug).buffer.storedLeft();

  std::vector<std::pair<std::vector<uint8_t>, StorageResult>> files;
  auto v = bytes;
  v[0] = 'X';
  files.emplace_back(v, kStorageNotBank);
  v = bytes;
  putI16(v, 6, 11);
  files.emplace_back(v, kStorageBankVersion);
  v = bytes;
  putI32(v, 12, -5);
  files.emplace_back(v, kStorageNotBank);
  for (const auto& [content, code] : files) {
    writeBytes(path("bad.vlb"), content);
    EXPECT_EQ(plug->core().loadBank(path("bad.vlb").c_str()), code);
  }
  EXPECT_EQ(plug->core().loadBank(path("none.vlb").c_str()), kStorageCannotOpen);
  EXPECT_EQ(plug->core().loadBank(nullptr), kStorageCannotOpen);
  EXPECT_EQ(chunkOf(*plug), before);
  EXPECT_EQ(state(*plug).buffer.storedLeft(), left);
  EXPECT_TRUE(state(*plug).buffer.floodOn());
  EXPECT_EQ(voice(*plug, 60).keyState, kHeld);
  EXPECT_TRUE(ScriptedBoxes::shown.empty());
}

// Failures past the header silence the keys and switch flood off, but keep the rows, the
// parameters and the buffer.
TEST_F(Bank, LaterFailuresKeepRowsParametersAndBuffer) {
  auto source = plugWithAudio(44100, 330.0);
  tweak(*source);
  const std::string good = path("good.vlb");
  ASSERT_EQ(source->core().saveBank(good.c_str()), kStorageOk);
  const auto bytes = readBytes(good);

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    StorageResult code;
    size_t failAllocationsFrom = ~size_t(0);
  };
  std::vector<Case> cases;
  cases.push_back({"record cut short", {bytes.begin(), bytes.begin() + 20000}, kStorageFileError});
  cases.push_back({"record not allocated", bytes, kStorageOutOfMemory, kChunkSize});
  auto v = bytes;
  std::memcpy(&v[38188], "EVAW", 4);
  cases.push_back({"wrong tag", v, kStorageBankNoWave});
  cases.push_back({"no tag", {bytes.begin(), bytes.begin() + 38188}, kStorageBankNoWave});
  cases.push_back({"samples cut short", {bytes.begin(), bytes.end() - 4}, kStorageFileError});
  v = bytes;
  putI32(v, 38192, -44100);
  cases.push_back({"negative count", v, kStorageFileError});
  v = bytes;
  putI32(v, 38192, std::numeric_limits<int32_t>::max());
  cases.push_back({"count beyond the file", v, kStorageFileError});
  cases.push_back({"samples not allocated", bytes, kStorageOutOfMemory, 100000});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto plug = plugWithAudio(61 * 100, 440.0);
    plug->setParameter(kFlood, 1.0f);
    hold(*plug, 60);
    ASSERT_EQ(voice(*plug, 60).keyState, kHeld);
    const auto before = chunkOf(*plug);
    const float* left = state(*plug).buffer.storedLeft();
    NoteSink sink;
    plug->core().setEditor(&sink);
    writeBytes(path("bad.vlb"), c.bytes);
    StorageResult result;
    {
      AllocationWatch watch(c.failAllocationsFrom);
      result = plug->core().loadBank(path("bad.vlb").c_str());
    }
    plug->core().setEditor(nullptr);
    EXPECT_EQ(result, c.code);
    EXPECT_EQ(chunkOf(*plug), withoutFlood(before));
    EXPECT_EQ(state(*plug).buffer.storedLeft(), left);
    EXPECT_EQ(state(*plug).buffer.left, left);
    EXPECT_EQ(state(*plug).buffer.frameCount, 61 * 100);
    EXPECT_TRUE(state(*plug).buffer.saved);
    EXPECT_FALSE(state(*plug).buffer.floodOn());
    render(*plug);
    EXPECT_EQ(voice(*plug, 60).keyState, kIdle);
    EXPECT_FALSE(state(*plug).engineBusy);
    for (int32_t note : sink.seen) EXPECT_NE(note, kEditorRefresh);
  }
  EXPECT_TRUE(ScriptedBoxes::shown.empty());
}

TEST_F(Bank, UnsavedBufferAsksBeforeItIsReplaced) {
  auto source = plugWithAudio(2000, 330.0);
  tweak(*source);
  const std::string file = path("asks.vlb");
  ASSERT_EQ(source->core().saveBank(file.c_str()), kStorageOk);
  const auto sourceChunk = chunkOf(*source);

  // No: the old samples stay, everything else comes from the bank, the path included.
  auto plug = plugWithAudio(700, 440.0);
  plug->core().modelForTesting().state().buffer.saved = false;
  const float* left = state(*plug).buffer.storedLeft();
  ScriptedBoxes::answers = {Answer::kNo};
  ASSERT_EQ(plug->core().loadBank(file.c_str()), kStorageOk);
  ASSERT_EQ(ScriptedBoxes::shown.size(), 1u);
  EXPECT_EQ(ScriptedBoxes::shown[0], kAskBuffer);
  EXPECT_EQ(state(*plug).buffer.storedLeft(), left);
  EXPECT_EQ(state(*plug).buffer.frameCount, 700);
  EXPECT_FALSE(state(*plug).buffer.saved);
  EXPECT_STREQ(state(*plug).program.audioFileName, state(*source).program.audioFileName);
  EXPECT_FLOAT_EQ(plug->getParameter(kMainLevl), 0.3f);
  EXPECT_EQ(chunkOf(*plug), sourceChunk);

  // Yes: the bank's samples replace them.
  ScriptedBoxes::answers = {Answer::kYes};
  ASSERT_EQ(plug->core().loadBank(file.c_str()), kStorageOk);
  EXPECT_EQ(ScriptedBoxes::shown.size(), 2u);
  EXPECT_EQ(state(*plug).buffer.frameCount, 2000);
  EXPECT_TRUE(state(*plug).buffer.saved);
}

TEST_F(Bank, NoWaveRecordRestoresStateWithoutTouchingTheBuffer) {
  auto source = plugWithAudio(900, 330.0);
  tweak(*source);
  const std::string file = path("state-only.vlb");
  ASSERT_EQ(source->core().saveBank(file.c_str()), kStorageOk);
  auto bytes = readBytes(file);
  putI32(bytes, 12, 0);
  bytes.resize(38188);  // nothing needs to follow the record
  writeBytes(file, bytes);

  auto plug = plugWithAudio(700, 440.0);
  plug->core().modelForTesting().state().buffer.saved = false;
  const float* left = state(*plug).buffer.storedLeft();
  ASSERT_EQ(plug->core().loadBank(file.c_str()), kStorageOk);
  EXPECT_TRUE(ScriptedBoxes::shown.empty());
  EXPECT_EQ(state(*plug).buffer.storedLeft(), left);
  EXPECT_FALSE(state(*plug).buffer.saved);
  EXPECT_FLOAT_EQ(plug->getParameter(kMainLevl), 0.3f);
}

TEST_F(Bank, SeveralWaveRecordsLoadTheFirst) {
  auto source = plugWithAudio(400);
  const std::string file = path("two.vlb");
  ASSERT_EQ(source->core().saveBank(file.c_str()), kStorageOk);
  auto bytes = readBytes(file);
  putI32(bytes, 12, 2);
  const std::vector<uint8_t> second = {'W', 'A', 'V', 'E', 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  bytes.insert(bytes.end(), second.begin(), second.end());
  writeBytes(file, bytes);
  auto plug = newPlug();
  ASSERT_EQ(plug->core().loadBank(file.c_str()), kStorageOk);
  EXPECT_EQ(state(*plug).buffer.frameCount, 400);
  EXPECT_EQ(0, std::memcmp(state(*plug).buffer.storedRight(), state(*source).buffer.storedRight(), 400 * 4));
}

TEST_F(Bank, LoadNotifiesTheEditor) {
  auto source = plugWithAudio(600);
  const std::string file = path("notify.vlb");
  ASSERT_EQ(source->core().saveBank(file.c_str()), kStorageOk);
  auto plug = newPlug();
  NoteSink sink;
  plug->core().setEditor(&sink);
  ASSERT_EQ(plug->core().loadBank(file.c_str()), kStorageOk);
  plug->core().setEditor(nullptr);
  ASSERT_GE(sink.seen.size(), 3u);
  // The swap tells the editor to re-read the buffer; the load ends with a refresh and then a redraw.
  EXPECT_EQ(sink.seen.front(), kEditorRefresh);
  const size_t n = sink.seen.size();
  EXPECT_EQ(sink.seen[n - 2], kEditorRefresh);
  EXPECT_EQ(sink.seen[n - 1], kEditorRedraw);
  EXPECT_FALSE(state(*plug).engineBusy);
}

TEST_F(Bank, RecordIsAppliedWithoutVersionCheckOrReload) {
  auto source = newPlug();
  tweak(*source);
  auto record = chunkOf(*source);
  putI32(record, chunk::kVersion, 11);
  putI32(record, chunk::kRevision, 5);
  std::memset(record.data(), 0, chunk::kPathBytes);
  std::memcpy(record.data(), "/no/such/file.wav", 17);

  auto plug = plugWithAudio(800);
  const float* left = state(*plug).buffer.storedLeft();
  EXPECT_EQ(plug->core().applyChunkRecord(record.data(), record.size() - 1), 0);
  EXPECT_EQ(plug->core().applyChunkRecord(nullptr, record.size()), 0);
  EXPECT_NE(plug->getParameter(kMainLevl), 0.3f);
  EXPECT_EQ(plug->core().applyChunkRecord(record.data(), record.size()), 1);
  EXPECT_FLOAT_EQ(plug->getParameter(kMainLevl), 0.3f);
  EXPECT_STREQ(state(*plug).program.audioFileName, "/no/such/file.wav");
  EXPECT_EQ(state(*plug).buffer.storedLeft(), left);  // never reloaded from the path
  EXPECT_TRUE(ScriptedBoxes::shown.empty());

  // A path of 1024 characters is not copied, and no box says so.
  std::memset(record.data(), 'q', 1024);
  EXPECT_EQ(plug->core().applyChunkRecord(record.data(), record.size()), 1);
  EXPECT_STREQ(state(*plug).program.audioFileName, "/no/such/file.wav");
  EXPECT_TRUE(ScriptedBoxes::shown.empty());
}

TEST_F(Bank, BankLoadTakesTheStoredPathAndHardensTheRecord) {
  auto source = plugWithAudio(300);
  const std::string file = path("hostile.vlb");
  ASSERT_EQ(source->core().saveBank(file.c_str()), kStorageOk);
  auto bytes = readBytes(file);
  putF32(bytes, kBankRecordOffset + chunk::kMainLevl, std::numeric_limits<float>::infinity());
  putI32(bytes, kBankRecordOffset + chunk::kEditRow, -9);
  putI32(bytes, kBankRecordOffset + chunk::kLastKey, 1 << 30);
  writeBytes(file, bytes);
  auto plug = newPlug();
  ASSERT_EQ(plug->core().loadBank(file.c_str()), kStorageOk);
  EXPECT_EQ(plug->getParameter(kMainLevl), 0.0f);
  EXPECT_EQ(state(*plug).lastSelectedKey, 127);
  EXPECT_STREQ(state(*plug).program.audioFileName, state(*source).program.audioFileName);
}

TEST_F(Bank, BankFileNameStartsWithTheProductLine) {
  auto plug = newPlug();
  EXPECT_STREQ(plug->core().bankFileName(), "Tarnwick VSTi V1.0");
  plug->core().setBankFileName("/banks/a.vlb");
  EXPECT_STREQ(plug->core().bankFileName(), "/banks/a.vlb");
  const std::string longName(1500, 'n');
  plug->core().setBankFileName(longName.c_str());
  EXPECT_EQ(std::strlen(plug->core().bankFileName()), 1023u);
}

}  // namespace
