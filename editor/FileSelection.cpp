// The ways a file is chosen, and the dialogs' titles and file types.
#include "editor/FileSelection.h"

#include <cstring>

#include "editor/EditorActions.h"
#include "vst/VstInterface.h"

namespace tarnwick {

namespace {

constexpr size_t kResultCapacity = 1024;  // the editor's result buffer for the host's selector

// Copies at most capacity - 1 characters and the terminator.
template <size_t N>
void copyField(char (&field)[N], const char* text) {
  size_t n = 0;
  for (; text != nullptr && n + 1 < N && text[n] != '\0'; ++n) field[n] = text[n];
  field[n] = '\0';
}

// The host's selector: the host runs its dialog as it likes and returns with the result.
class HostSelection final : public FileSelection {
 public:
  HostSelection(const FileSelectSpec& spec, EditorActions& actions) {
    std::vector<VstFileType> types(spec.types.size());
    for (size_t i = 0; i < spec.types.size(); ++i) {
      const FileTypeSpec& t = spec.types[i];
      VstFileType& v = types[i];
      copyField(v.name, t.name);
      copyField(v.macType, t.macType);
      copyField(v.dosType, t.dosType);
      copyField(v.unixType, t.unixType);
      copyField(v.mimeType1, t.mimeType1);
      copyField(v.mimeType2, t.mimeType2);
    }
    auto select = std::make_unique<VstFileSelect>();
    *select = VstFileSelect{};
    select->command = spec.save ? kVstFileSave : kVstFileLoad;
    select->type = kVstFileType;
    select->nbFileTypes = static_cast<int32_t>(types.size());
    select->fileTypes = types.data();
    copyField(select->title, spec.title);
    std::vector<char> result(kResultCapacity, '\0');
    select->returnPath = result.data();
    select->sizeReturnPath = static_cast<int32_t>(result.size());
    chosen_ = actions.runHostFileSelector(*select, path_);
  }
  Status poll(std::string& path) override {
    if (!chosen_) return Status::kCancelled;
    path = path_;
    return Status::kChosen;
  }

 private:
  bool chosen_ = false;
  std::string path_;
};

class CancelledSelection final : public FileSelection {
 public:
  Status poll(std::string&) override { return Status::kCancelled; }
};

const FileTypeSpec kBankType = {"Tarnwick fxBank", ".vlb", "vlb", "vlb", "preset-bank", "audio/preset-bank"};

}  // namespace

std::unique_ptr<FileSelection> FileSelection::start(const FileSelectSpec& spec, EditorActions& actions,
                                                    gui::CFrame* /*frame*/) {
  if (actions.hostHasFileSelector()) return std::make_unique<HostSelection>(spec, actions);
  return std::make_unique<CancelledSelection>();
}

FileSelectSpec loadAudioSpec() {
  FileSelectSpec spec;
  spec.title = "Load Audio File";
  spec.types = {{"WAVE File", ".WAV", "wav", "wav", "audio/wav", "audio/x-wav"},
                {"AIFF File", ".AIFF", "aiff", "aiff", "audio/aiff", "audio/x-aiff"},
                {"AIF File", ".AIF", "aif", "aif", "audio/aif", "audio/x-aif"},
                {"All Files", ".*", "*", "", "", ""}};
  return spec;
}

FileSelectSpec loadBankSpec() {
  FileSelectSpec spec;
  spec.title = "Load Bank";
  spec.types = {kBankType};
  return spec;
}

FileSelectSpec saveBankSpec() {
  FileSelectSpec spec;
  spec.save = true;
  spec.title = "Save Bank to";
  spec.types = {kBankType};
  return spec;
}

}  // namespace tarnwick
