// Loading and closing a plug-in, and the host callback that answers its requests.
#include "tools/hostlib/PluginHost.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tarnwick::host {

namespace {

// The host being loaded on this thread: the entry may call back before the host can mark the effect.
thread_local PluginHost* tLoadingHost = nullptr;

// One time record per calling thread, so that the audio and user-interface threads never share one.
thread_local VstTimeInfo tTimeInfo;

// Upper bound on events read from one audioMasterProcessEvents list.
constexpr int32_t kMaxEventsPerList = 4096;

// Length of a text the plug-in passed, bounded in case it lacks a terminator.
std::string boundedText(const void* ptr, std::size_t limit) {
  if (!ptr) return {};
  const char* text = static_cast<const char*>(ptr);
  const void* end = std::memchr(text, 0, limit);
  return std::string(text, end ? static_cast<const char*>(end) - text : limit);
}

void copyText(void* ptr, const char* text, std::size_t capacity) {
  if (!ptr || capacity == 0) return;
  std::size_t length = std::min(std::strlen(text), capacity - 1);
  std::memcpy(ptr, text, length);
  static_cast<char*>(ptr)[length] = '\0';
}

class LoadingScope {
 public:
  explicit LoadingScope(PluginHost* host) : previous_(tLoadingHost) { tLoadingHost = host; }
  ~LoadingScope() { tLoadingHost = previous_; }
  LoadingScope(const LoadingScope&) = delete;
  LoadingScope& operator=(const LoadingScope&) = delete;

 private:
  PluginHost* previous_;
};

}  // namespace

PluginHost::PluginHost(int32_t versionAnswer) : versionAnswer_(versionAnswer) {}

PluginHost::~PluginHost() { close(); }

std::unique_ptr<PluginHost> PluginHost::load(const std::string& soPath, std::string* error, int32_t versionAnswer) {
  auto fail = [&](const std::string& text) {
    if (error) *error = text;
    return std::unique_ptr<PluginHost>();
  };

  // Nobody sits at a headless host to answer a message box: the plug-in reports them on standard error,
  // unless the caller asked for something else.
#if defined(_WIN32)
  if (std::getenv("TARNWICK_MESSAGE_BOXES") == nullptr) _putenv_s("TARNWICK_MESSAGE_BOXES", "stderr");
#else
  setenv("TARNWICK_MESSAGE_BOXES", "stderr", 0);
#endif
  std::unique_ptr<PluginHost> host(new PluginHost(versionAnswer));
  if (!host->library_.open(soPath)) return fail("cannot load " + soPath + ": " + host->library_.error());

  void* entryAddress = host->library_.symbol("VSTPluginMain");
  if (!entryAddress) entryAddress = host->library_.symbol("main");
  if (!entryAddress) return fail(soPath + " exports neither VSTPluginMain nor main");
  auto entry = reinterpret_cast<VstPluginMainProc>(entryAddress);

  AEffect* effect = nullptr;
  {
    LoadingScope scope(host.get());
    effect = entry(&PluginHost::hostCallback);
  }
  if (!effect) return fail(soPath + ": the plug-in returned no effect");
  if (effect->magic != kEffectMagic) return fail(soPath + ": the effect record has a wrong magic number");

  // Hosts keep their own pointer in resvd1; the callback finds the host through it from now on.
  effect->resvd1 = reinterpret_cast<intptr_t>(host.get());
  host->effect_ = effect;
  host->dispatch(effOpen);
  if (error) error->clear();
  return host;
}

void PluginHost::close() {
  if (effect_) dispatch(effClose);
  library_.close();
}

intptr_t PluginHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (!effect_ || !effect_->dispatcher) return 0;
  AEffect* effect = effect_;
  if (opcode == effClose) effect_ = nullptr;  // the instance and its record are gone once effClose returns
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void PluginHost::setCanDoAnswer(const std::string& text, int32_t answer) {
  std::lock_guard lock(canDoMutex_);
  canDoAnswers_[text] = answer;
}

void PluginHost::offerFileSelector(std::vector<std::string> answers) {
  {
    std::lock_guard lock(selectorMutex_);
    selectorOffered_ = true;
    selectorAnswers_ = std::move(answers);
  }
  setCanDoAnswer("openFileSelector", 1);
  setCanDoAnswer("closeFileSelector", 1);
}

std::vector<PluginHost::FileSelectorRequest> PluginHost::fileSelectorRequests() const {
  std::lock_guard lock(selectorMutex_);
  return selectorRequests_;
}

intptr_t PluginHost::openFileSelector(VstFileSelect* select) {
  if (!select) return 0;
  std::lock_guard lock(selectorMutex_);
  if (!selectorOffered_) return 0;
  FileSelectorRequest request;
  request.command = select->command;
  request.title = std::string(select->title, strnlen(select->title, sizeof select->title));
  for (int32_t i = 0; i < select->nbFileTypes && i < 64 && select->fileTypes; ++i) {
    const VstFileType& t = select->fileTypes[i];
    request.fileTypes.push_back(std::string(t.name, strnlen(t.name, sizeof t.name)) + "|" +
                                std::string(t.dosType, strnlen(t.dosType, sizeof t.dosType)));
  }
  selectorRequests_.push_back(std::move(request));
  if (selectorAnswers_.empty()) return 0;  // the user cancelled
  const std::string path = selectorAnswers_.front();
  selectorAnswers_.erase(selectorAnswers_.begin());
  if (select->returnPath && select->sizeReturnPath > 0) {
    // The plug-in's buffer. A path it cannot hold is never cut to fit (that would name another file): the
    // selection is refused, and the request records why.
    if (path.size() >= static_cast<size_t>(select->sizeReturnPath)) {
      selectorRequests_.back().refusedAnswer = path;
      return 0;
    }
    std::memcpy(select->returnPath, path.c_str(), path.size() + 1);
  } else {
    auto buffer = std::make_unique<char[]>(path.size() + 1);
    std::memcpy(buffer.get(), path.c_str(), path.size() + 1);
    select->returnPath = buffer.get();
    select->sizeReturnPath = static_cast<int32_t>(path.size() + 1);
    selectorPaths_.push_back(std::move(buffer));
  }
  select->nbReturnPath = 1;
  return 1;
}

intptr_t PluginHost::closeFileSelector(VstFileSelect* select) {
  if (!select) return 0;
  std::lock_guard lock(selectorMutex_);
  std::erase_if(selectorPaths_, [&](const std::unique_ptr<char[]>& p) { return p.get() == select->returnPath; });
  return 1;
}

int32_t PluginHost::canDoAnswer(const std::string& text) const {
  std::lock_guard lock(canDoMutex_);
  auto found = canDoAnswers_.find(text);
  return found == canDoAnswers_.end() ? 0 : found->second;
}

// [any-thread]
intptr_t VSTCALLBACK PluginHost::hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                              float opt) {
  PluginHost* host = nullptr;
  if (effect && effect->resvd1)
    host = reinterpret_cast<PluginHost*>(effect->resvd1);
  else
    host = tLoadingHost;
  if (!host) return 0;
  return host->answer(effect, opcode, index, value, ptr, opt);
}

intptr_t PluginHost::answer(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  switch (opcode) {
    case audioMasterVersion: return versionAnswer_;
    case audioMasterCurrentId: return effect ? effect->uniqueID : 0;
    case audioMasterIdle: log_.noteIdle(); return 1;
    case audioMasterWantMidi: log_.noteWantMidi(); return 1;
    case audioMasterGetTime: return answerTime(static_cast<int32_t>(value));
    case audioMasterAutomate: log_.noteAutomate(index, opt); return 0;
    case audioMasterBeginEdit:
    case audioMasterEndEdit: log_.noteEdit(index, opcode == audioMasterBeginEdit); return 0;
    case audioMasterProcessEvents: recordEvents(static_cast<const VstEvents*>(ptr)); return 1;
    case audioMasterGetSampleRate: return static_cast<intptr_t>(sampleRate_.load());
    case audioMasterGetBlockSize: return blockSize_.load();
    case audioMasterCanDo: {
      std::string text = boundedText(ptr, kStringBufferSize);
      log_.noteCanDo(text);
      return canDoAnswer(text);
    }
    case audioMasterOpenFileSelector: return openFileSelector(static_cast<VstFileSelect*>(ptr));
    case audioMasterCloseFileSelector: return closeFileSelector(static_cast<VstFileSelect*>(ptr));
    case audioMasterGetVendorString:
    case audioMasterGetProductString: copyText(ptr, kHostName, kVstMaxVendorStrLen); return ptr ? 1 : 0;
    default: return 0;
  }
}

intptr_t PluginHost::answerTime(int32_t mask) {
  log_.noteGetTime(mask);
  if (!timeInfoAvailable_.load()) return 0;

  // A steady 4/4 transport whose position is the number of samples processed so far.
  const double rate = sampleRate_.load();
  const double bpm = tempo_.load();
  const double samples = static_cast<double>(samplePosition_.load());
  VstTimeInfo& info = tTimeInfo;
  info = VstTimeInfo{};
  info.samplePos = samples;
  info.sampleRate = rate;
  info.tempo = bpm;
  info.ppqPos = rate > 0.0 ? samples / rate * bpm / 60.0 : 0.0;
  info.barStartPos = std::floor(info.ppqPos / 4.0) * 4.0;
  info.timeSigNumerator = 4;
  info.timeSigDenominator = 4;
  info.flags = kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid;
  return reinterpret_cast<intptr_t>(&info);
}

void PluginHost::recordEvents(const VstEvents* events) {
  if (!events || events->numEvents <= 0) return;
  const int32_t count = std::min(events->numEvents, kMaxEventsPerList);
  // The pointer array runs past its declared two entries; address it as the raw array it is.
  auto* slots = reinterpret_cast<VstEvent* const*>(reinterpret_cast<const char*>(events) + offsetof(VstEvents, events));
  for (int32_t i = 0; i < count; ++i) {
    const VstEvent* event = slots[i];
    if (!event || event->type != kVstMidiType) continue;
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    log_.noteMidi({midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]), static_cast<uint8_t>(midi->midiData[1]),
                   static_cast<uint8_t>(midi->midiData[2])});
  }
}

}  // namespace tarnwick::host
