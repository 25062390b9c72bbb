// The LV2 plug-in as a host runs it (through lilv): the same recording, parameters and MIDI sound the same
// as through the VST plug-in, its state is the VST chunk's record with the recording's path mapped for the
// host, and a state restored into another instance, with the recording moved, sounds the same again.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/lv2/PortLayout.h"
#include "storage/ChunkRecord.h"
#include "tests/plugin/TestSupport.h"
#include "tools/host/SessionChunk.h"
#include "tools/hostlib/HostedInstrument.h"
#include "tools/hostlib/Lv2Host.h"
#include "tools/hostlib/PluginHost.h"

namespace tarnwick::lv2 {
namespace {

constexpr int32_t kBlock = 256;
constexpr int32_t kBlocks = 240;

struct Note {
  int32_t block, frame;
  uint8_t status, key, velocity;
};
const std::vector<Note> kNotes = {{0, 10, 0x90, 60, 100},
                                  {40, 100, 0x90, 67, 90},
                                  {120, 5, 0x80, 60, 0},
                                  {150, 255, 0x90, 72, 127},
                                  {200, 0, 0x80, 67, 0}};
// Host parameters set before the render, as (index, value).
const std::vector<std::pair<int32_t, float>> kParams = {{kMainLevl, 0.4f}, {kDelay01 + 2, 0.3f}, {kMove, 1.0f}};

// The host's URI map, and the map-path feature that stores paths relative to a session folder.
class Features {
 public:
  Features() {
    map_.handle = this;
    map_.map = [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<Features*>(h)->id(uri); };
    unmap_.handle = this;
    unmap_.unmap = [](LV2_URID_Unmap_Handle h, LV2_URID urid) { return static_cast<Features*>(h)->uri(urid); };
    mapPath_.handle = this;
    mapPath_.abstract_path = [](LV2_State_Map_Path_Handle h, const char* path) {
      const std::string folder = static_cast<Features*>(h)->sessionFolder + "/";
      const std::string p = path;
      return strdup(p.rfind(folder, 0) == 0 ? p.substr(folder.size()).c_str() : path);
    };
    mapPath_.absolute_path = [](LV2_State_Map_Path_Handle h, const char* path) {
      const std::string p = path;
      return strdup(p.empty() || p[0] == '/' ? path : (static_cast<Features*>(h)->sessionFolder + "/" + p).c_str());
    };
  }
  LV2_URID id(const char* uri) {
    const auto found = std::find(uris_.begin(), uris_.end(), uri);
    if (found != uris_.end()) return static_cast<LV2_URID>(found - uris_.begin() + 1);
    uris_.push_back(uri);
    return static_cast<LV2_URID>(uris_.size());
  }
  const char* uri(LV2_URID urid) const { return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1].c_str() : nullptr; }
  const LV2_Feature* const* instantiation() { return list_; }
  const LV2_Feature* const* state() { return stateList_; }
  LV2_URID_Map* map() { return &map_; }
  LV2_URID_Unmap* unmap() { return &unmap_; }

  std::string sessionFolder;

 private:
  std::vector<std::string> uris_;
  LV2_URID_Map map_{};
  LV2_URID_Unmap unmap_{};
  LV2_State_Map_Path mapPath_{};
  LV2_Feature mapFeature_{LV2_URID__map, &map_};
  LV2_Feature unmapFeature_{LV2_URID__unmap, &unmap_};
  LV2_Feature mapPathFeature_{LV2_STATE__mapPath, &mapPath_};
  const LV2_Feature* list_[3] = {&mapFeature_, &unmapFeature_, nullptr};
  const LV2_Feature* stateList_[4] = {&mapFeature_, &unmapFeature_, &mapPathFeature_, nullptr};
};

// What a host keeps of a saved state: each property's bytes and type.
using Properties = std::map<uint32_t, std::pair<std::vector<uint8_t>, uint32_t>>;

class Lv2Rig {
 public:
  explicit Lv2Rig(Features& features) : features_(features), world_(lilv_world_new()) {
    LilvNode* folder = lilv_new_file_uri(world_, nullptr, TARNWICK_LV2_BUNDLE "/");
    lilv_world_load_bundle(world_, folder);
    lilv_node_free(folder);
    LilvNode* uri = lilv_new_uri(world_, kPluginUri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
    lilv_node_free(uri);
    if (plugin == nullptr) return;
    std::vector<float> defaults(kPortCount);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    std::copy_n(defaults.begin(), kHostParamCount, controls_);
    instance_ = lilv_plugin_instantiate(plugin, 44100.0, features.instantiation());
    if (instance_ == nullptr) return;
    for (uint32_t i = 0; i < kHostParamCount; ++i) lilv_instance_connect_port(instance_, i, &controls_[i]);
    lilv_instance_connect_port(instance_, kControlIn, sequence_.data());
    lilv_instance_connect_port(instance_, kAudioOutLeft, left.data());
    lilv_instance_connect_port(instance_, kAudioOutRight, right.data());
    lilv_instance_connect_port(instance_, kPeakOut, &peak_);
    state_ = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    lilv_instance_activate(instance_);
  }
  ~Lv2Rig() {
    if (instance_) {
      lilv_instance_deactivate(instance_);
      lilv_instance_free(instance_);
    }
    lilv_world_free(world_);
  }
  Lv2Rig(const Lv2Rig&) = delete;
  Lv2Rig& operator=(const Lv2Rig&) = delete;

  bool ready() const { return instance_ != nullptr && state_ != nullptr; }
  void set(int32_t index, float value) { controls_[index] = value; }

  // One block with the MIDI events given as (frame, status, key, velocity).
  void run(const std::vector<Note>& notes) {
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(sequence_.data());
    seq->atom.type = features_.id(LV2_ATOM__Sequence);
    seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
    seq->body.unit = 0;
    seq->body.pad = 0;
    for (const Note& n : notes) {
      auto* ev = reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<uint8_t*>(&seq->body) + seq->atom.size);
      ev->time.frames = n.frame;
      ev->body.type = features_.id(LV2_MIDI__MidiEvent);
      ev->body.size = 3;
      auto* bytes = reinterpret_cast<uint8_t*>(ev + 1);
      bytes[0] = n.status;
      bytes[1] = n.key;
      bytes[2] = n.velocity;
      seq->atom.size += static_cast<uint32_t>(lv2_atom_pad_size(sizeof(LV2_Atom_Event) + 3));
    }
    lilv_instance_run(instance_, kBlock);
  }

  Properties save() {
    Properties saved;
    state_->save(
        lilv_instance_get_handle(instance_),
        [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t) {
          const auto* bytes = static_cast<const uint8_t*>(value);
          (*static_cast<Properties*>(h))[key] = {std::vector<uint8_t>(bytes, bytes + size), type};
          return LV2_STATE_SUCCESS;
        },
        &saved, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features_.state());
    return saved;
  }
  LV2_State_Status restore(Properties& saved) {
    return state_->restore(
        lilv_instance_get_handle(instance_),
        [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
          auto& properties = *static_cast<Properties*>(h);
          const auto found = properties.find(key);
          if (found == properties.end()) return nullptr;
          *size = found->second.first.size();
          *type = found->second.second;
          *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
          return found->second.first.data();
        },
        &saved, 0, features_.state());
  }

  std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);

 private:
  Features& features_;
  LilvWorld* world_;
  LilvInstance* instance_ = nullptr;
  const LV2_State_Interface* state_ = nullptr;
  float controls_[kHostParamCount] = {};
  float peak_ = 0.0f;
  std::vector<uint64_t> sequence_ = std::vector<uint64_t>(1024);  // 8 KiB, aligned for atoms
};

// Renders kBlocks blocks of kNotes, both channels interleaved per block.
std::vector<float> renderLv2(Lv2Rig& rig) {
  std::vector<float> out;
  for (int32_t b = 0; b < kBlocks; ++b) {
    std::vector<Note> notes;
    for (const Note& n : kNotes)
      if (n.block == b) notes.push_back(n);
    rig.run(notes);
    out.insert(out.end(), rig.left.begin(), rig.left.end());
    out.insert(out.end(), rig.right.begin(), rig.right.end());
  }
  return out;
}

std::vector<float> renderVst(host::PluginHost& plug) {
  std::vector<float> out, left(kBlock), right(kBlock);
  for (int32_t b = 0; b < kBlocks; ++b) {
    std::vector<host::MidiMessage> midi;
    for (const Note& n : kNotes)
      if (n.block == b) midi.push_back({n.frame, n.status, n.key, n.velocity});
    if (!midi.empty()) plug.sendMidi(midi);
    plug.process(left.data(), right.data(), kBlock);
    out.insert(out.end(), left.begin(), left.end());
    out.insert(out.end(), right.begin(), right.end());
  }
  return out;
}

float largestDifference(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return INFINITY;
  float largest = 0.0f;
  for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::fabs(a[i] - b[i]));
  return largest;
}

class Lv2Instance : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    vst_ = host::PluginHost::load(TARNWICK_PLUGIN_PATH, &error);
    ASSERT_TRUE(vst_) << error;
    vst_->setSampleRate(44100.0f);
    vst_->resume();
    wav_ = test::writeTestWav("lv2-instance.wav", 44100);
    // The session record with the recording: the VST chunk with its path.
    record_ = vst_->getChunk(false);
    std::memset(record_.data() + chunk::kPath, 0, chunk::kPathBytes);
    std::memcpy(record_.data() + chunk::kPath, wav_.c_str(), wav_.size());
    ASSERT_EQ(vst_->setChunk(record_, false), 1);
    for (const auto& [index, value] : kParams) vst_->setParameter(index, value);
  }
  // A state that holds the record alone, as a host that knows nothing of paths would keep it.
  Properties recordOnly() {
    Properties p;
    p[features_.id(kStateRecordUri)] = {record_, features_.id(LV2_ATOM__Chunk)};
    return p;
  }

  Features features_;
  std::unique_ptr<host::PluginHost> vst_;
  std::string wav_;
  std::vector<uint8_t> record_;
};

TEST_F(Lv2Instance, SoundsAsTheVstPluginWithTheSameRecordingParametersAndMidi) {
  Lv2Rig lv2(features_);
  ASSERT_TRUE(lv2.ready());
  Properties state = recordOnly();
  ASSERT_EQ(lv2.restore(state), LV2_STATE_SUCCESS);
  for (const auto& [index, value] : kParams) lv2.set(index, value);
  const std::vector<float> viaLv2 = renderLv2(lv2);
  const std::vector<float> viaVst = renderVst(*vst_);
  EXPECT_GT(*std::max_element(viaVst.begin(), viaVst.end()), 0.01f);  // the notes sound
  EXPECT_LE(largestDifference(viaLv2, viaVst), 1e-6f);
}

TEST_F(Lv2Instance, StateIsTheSessionRecordWithAMappedPathAndRestoresWhereTheHostMovedTheRecording) {
  namespace fs = std::filesystem;
  const fs::path session = fs::temp_directory_path() / "tarnwick-lv2-session";
  const fs::path moved = fs::temp_directory_path() / "tarnwick-lv2-moved";
  fs::remove_all(session);
  fs::remove_all(moved);
  fs::create_directories(session);
  fs::create_directories(moved);
  const fs::path inSession = session / "take.wav";
  fs::copy_file(wav_, inSession);
  std::memset(record_.data() + chunk::kPath, 0, chunk::kPathBytes);
  std::memcpy(record_.data() + chunk::kPath, inSession.c_str(), inSession.string().size());

  features_.sessionFolder = session.string();
  Lv2Rig a(features_);
  ASSERT_TRUE(a.ready());
  Properties state = recordOnly();
  ASSERT_EQ(a.restore(state), LV2_STATE_SUCCESS);
  for (const auto& [index, value] : kParams) a.set(index, value);
  a.run({});  // the ports' values take effect
  Properties saved = a.save();
  const auto& record = saved[features_.id(kStateRecordUri)];
  ASSERT_EQ(record.first.size(), kChunkSize);
  EXPECT_EQ(record.second, features_.id(LV2_ATOM__Chunk));
  const auto& path = saved[features_.id(kStateRecordingUri)];
  EXPECT_EQ(path.second, features_.id(LV2_ATOM__Path));
  EXPECT_STREQ(reinterpret_cast<const char*>(path.first.data()), "take.wav");  // relative to the session

  // The host moves the session: the recording is found where the map says, and the instance sounds as
  // the first one.
  fs::rename(inSession, moved / "take.wav");
  features_.sessionFolder = moved.string();
  Lv2Rig b(features_);
  ASSERT_TRUE(b.ready());
  ASSERT_EQ(b.restore(saved), LV2_STATE_SUCCESS);
  for (const auto& [index, value] : kParams) b.set(index, value);
  features_.sessionFolder = session.string();
  Lv2Rig c(features_);  // the first state again, for comparison (the file is back in place below)
  fs::copy_file(moved / "take.wav", inSession);
  ASSERT_TRUE(c.ready());
  ASSERT_EQ(c.restore(saved), LV2_STATE_SUCCESS);
  for (const auto& [index, value] : kParams) c.set(index, value);
  const std::vector<float> restored = renderLv2(b);
  EXPECT_GT(*std::max_element(restored.begin(), restored.end()), 0.01f);
  EXPECT_LE(largestDifference(restored, renderLv2(c)), 1e-6f);
  fs::remove_all(session);
  fs::remove_all(moved);
}

}  // namespace
}  // namespace tarnwick::lv2

namespace tarnwick::host {
namespace {

// Renders half a second of key 60 from the start; the largest sample.
float playNote(HostedInstrument& instrument) {
  std::vector<float> left(256), right(256);
  instrument.sendMidi({{0, 0x90, 60, 100}});
  float largest = 0.0f;
  for (int block = 0; block < 86; ++block) {
    instrument.process(left.data(), right.data(), 256);
    for (float v : left) largest = std::max(largest, std::fabs(v));
  }
  return largest;
}

// The recording as a file property: a patch:Set on the control input is loaded by the worker between
// blocks, the session then holds it and a note sounds; a path that cannot be read is told in the host's
// log and the session keeps its recording.
TEST(Lv2Host, APatchSetOfTheRecordingLoadsItThroughTheWorker) {
  std::string error;
  auto lv2 = Lv2Host::load(TARNWICK_LV2_BUNDLE, &error);
  ASSERT_TRUE(lv2) << error;
  lv2->setSampleRate(44100.0f);
  lv2->setBlockSize(256);
  lv2->resume();
  const std::string wav = test::writeTestWav("lv2-patch-set.wav", 44100);
  std::vector<float> left(256), right(256);
  lv2->setPathProperty(lv2::kStateRecordingUri, wav);
  lv2->process(left.data(), right.data(), 256);
  EXPECT_EQ(chunkPath(lv2->getChunk()), wav);
  EXPECT_GT(playNote(*lv2), 0.01f);

  lv2->setPathProperty(lv2::kStateRecordingUri, "/no/such/take.wav");
  lv2->process(left.data(), right.data(), 256);
  EXPECT_EQ(chunkPath(lv2->getChunk()), wav);
  ASSERT_FALSE(lv2->logLines().empty());
  EXPECT_NE(lv2->logLines().back().find("/no/such/take.wav"), std::string::npos);
  bool attempted = false;
  int32_t result = 0;
  std::string message;
  ASSERT_TRUE(lv2->recordingResult(attempted, result, message));
  EXPECT_TRUE(attempted);
  EXPECT_NE(result, 0);
  EXPECT_FALSE(message.empty());
}

// tarnwick-host's two formats through one interface: the same session record and parameters give the
// same samples, and the LV2 instance's editor answers the probe at the host's scale.
TEST(Lv2Host, TheHostsTwoFormatsSoundAlikeAndTheEditorProbeReachesTheInstance) {
  std::string error;
  auto vst = loadInstrument(TARNWICK_PLUGIN_PATH, &error);
  auto lv2 = loadInstrument(TARNWICK_LV2_BUNDLE, &error);
  ASSERT_TRUE(vst && lv2) << error;
  const std::string wav = test::writeTestWav("lv2-host-formats.wav", 44100);
  std::vector<float> sums;
  for (HostedInstrument* instrument : {vst.get(), lv2.get()}) {
    instrument->setSampleRate(44100.0f);
    instrument->setBlockSize(256);
    instrument->resume();
    std::vector<uint8_t> record = instrument->getChunk();
    ASSERT_TRUE(writeChunkPath(record, wav, &error)) << error;
    ASSERT_TRUE(instrument->setChunk(record));
    ASSERT_TRUE(recordingLoaded(*instrument, &error)) << error;
    instrument->setParameter(kMainLevl, 0.3f);
    sums.push_back(playNote(*instrument));
  }
  EXPECT_GT(sums[0], 0.01f);
  EXPECT_EQ(sums[0], sums[1]);

  ASSERT_TRUE(lv2->setContentScale(2.0));
  EditorProbeRecord opened;
  ASSERT_EQ(lv2->probeEditor(kProbeOpen, opened), 1);
  EXPECT_EQ(opened.width, 1108);
  EXPECT_EQ(opened.height, 712);
  EditorProbeRecord closing;
  EXPECT_EQ(lv2->probeEditor(kProbeClose, closing), 1);
}

}  // namespace
}  // namespace tarnwick::host
