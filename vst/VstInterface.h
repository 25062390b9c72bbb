// The VST 2.4 binary interface shared by the plug-in and the hosts that load it: records, opcodes and flags.
#pragma once

#include <cstddef>
#include <cstdint>

// Calling convention of every function crossing the interface: cdecl on 32-bit Windows, the default elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

// The interface's records are laid out with 8-byte packing on every platform.
#pragma pack(push, 8)

// Four-character code with the first character in the most significant byte.
constexpr int32_t fourCharCode(char a, char b, char c, char d) {
  return static_cast<int32_t>(
      (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
      (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

constexpr int32_t kEffectMagic = fourCharCode('V', 's', 't', 'P');
constexpr int32_t kVstVersion = 2400;

struct AEffect;

typedef intptr_t(VSTCALLBACK* audioMasterCallback)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                                   void* ptr, float opt);
typedef intptr_t(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                                     void* ptr, float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs,
                                                    int32_t sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, int32_t index, float parameter);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, int32_t index);

// The effect record a plug-in hands to its host.
struct AEffect {
  int32_t magic;  // kEffectMagic
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;  // accumulating; deprecated
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  int32_t numPrograms;
  int32_t numParams;
  int32_t numInputs;
  int32_t numOutputs;
  int32_t flags;    // VstEffectFlags
  intptr_t resvd1;  // reserved for the host
  intptr_t resvd2;  // reserved for the host
  int32_t initialDelay;
  int32_t realQualities;  // deprecated
  int32_t offQualities;   // deprecated
  float ioRatio;          // deprecated
  void* object;           // the plug-in's own instance
  void* user;             // free for the plug-in's use
  int32_t uniqueID;
  int32_t version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

enum VstEffectFlags : int32_t {
  effFlagsHasEditor = 1 << 0,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsCanDoubleReplacing = 1 << 12,
};

// Requests from the host to the plug-in (the dispatcher's opcode argument).
enum VstEffectOpcode : int32_t {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effGetVu = 9,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditDraw = 16,
  effEditMouse = 17,
  effEditKey = 18,
  effEditIdle = 19,
  effEditTop = 20,
  effEditSleep = 21,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetNumProgramCategories = 28,
  effGetProgramNameIndexed = 29,
  effCopyProgram = 30,
  effConnectInput = 31,
  effConnectOutput = 32,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effGetCurrentPosition = 36,
  effGetDestinationBuffer = 37,
  effOfflineNotify = 38,
  effOfflinePrepare = 39,
  effOfflineRun = 40,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBlockSizeAndSampleRate = 43,
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetErrorText = 46,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,
  effGetIcon = 54,
  effSetViewPosition = 55,
  effGetParameterProperties = 56,
  effKeysRequired = 57,
  effGetVstVersion = 58,
  effEditKeyDown = 59,
  effEditKeyUp = 60,
  effSetEditKnobMode = 61,
  effGetMidiProgramName = 62,
  effGetCurrentMidiProgram = 63,
  effGetMidiProgramCategory = 64,
  effHasMidiProgramsChanged = 65,
  effGetMidiKeyName = 66,
  effBeginSetProgram = 67,
  effEndSetProgram = 68,
  effGetSpeakerArrangement = 69,
  effShellGetNextPlugin = 70,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetTotalSampleToProcess = 73,
  effSetPanLaw = 74,
  effBeginLoadBank = 75,
  effBeginLoadProgram = 76,
  effSetProcessPrecision = 77,
  effGetNumMidiInputChannels = 78,
  effGetNumMidiOutputChannels = 79,
};

// The content scale request of high-resolution hosts: effVendorSpecific with this index and value, the
// scale factor (1.0 = 100 %) in opt; the editor answers 1 when it takes it.
inline constexpr int32_t kContentScaleIndex = 0x50726553;   // 'PreS'
inline constexpr intptr_t kContentScaleValue = 0x41654373;  // 'AeCs'

// Requests from the plug-in to the host (the host callback's opcode argument).
enum VstHostOpcode : int32_t {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterPinConnected = 4,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterSetTime = 9,
  audioMasterTempoAt = 10,
  audioMasterGetNumAutomatableParameters = 11,
  audioMasterGetParameterQuantization = 12,
  audioMasterIOChanged = 13,
  audioMasterNeedIdle = 14,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetInputLatency = 18,
  audioMasterGetOutputLatency = 19,
  audioMasterGetPreviousPlug = 20,
  audioMasterGetNextPlug = 21,
  audioMasterWillReplaceOrAccumulate = 22,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetAutomationState = 24,
  audioMasterOfflineStart = 25,
  audioMasterOfflineRead = 26,
  audioMasterOfflineWrite = 27,
  audioMasterOfflineGetCurrentPass = 28,
  audioMasterOfflineGetCurrentMetaPass = 29,
  audioMasterSetOutputSampleRate = 30,
  audioMasterGetOutputSpeakerArrangement = 31,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterVendorSpecific = 35,
  audioMasterSetIcon = 36,
  audioMasterCanDo = 37,
  audioMasterGetLanguage = 38,
  audioMasterOpenWindow = 39,
  audioMasterCloseWindow = 40,
  audioMasterGetDirectory = 41,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
  audioMasterOpenFileSelector = 45,
  audioMasterCloseFileSelector = 46,
};

// Buffer sizes (terminator included) for the texts exchanged through the dispatcher.
enum VstStringLimits : int32_t {
  kVstMaxParamStrLen = 8,
  kVstMaxProgNameLen = 24,
  kVstMaxEffectNameLen = 32,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxLabelLen = 64,
  kVstMaxShortLabelLen = 8,
};

enum VstPlugCategory : int32_t {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
  kPlugCategAnalysis = 3,
  kPlugCategMastering = 4,
  kPlugCategSpacializer = 5,
  kPlugCategRoomFx = 6,
  kPlugSurroundFx = 7,
  kPlugCategRestoration = 8,
  kPlugCategOfflineProcess = 9,
  kPlugCategShell = 10,
  kPlugCategGenerator = 11,
};

// One event of a VstEvents list; byteSize counts the bytes after the first two fields.
struct VstEvent {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;  // sample offset into the coming block
  int32_t flags;
  char data[16];
};

enum VstEventType : int32_t {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

enum VstMidiEventFlags : int32_t {
  kVstMidiEventIsRealtime = 1,
};

struct VstMidiEvent {
  int32_t type;  // kVstMidiType
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;  // VstMidiEventFlags
  int32_t noteLength;
  int32_t noteOffset;
  char midiData[4];  // status, data1, data2, unused
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

// A list of events; the events array really holds numEvents pointers (allocated to size by the sender).
struct VstEvents {
  int32_t numEvents;
  intptr_t reserved;
  VstEvent* events[2];
};

struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  int32_t timeSigNumerator;
  int32_t timeSigDenominator;
  int32_t smpteOffset;
  int32_t smpteFrameRate;
  int32_t samplesToNextClock;
  int32_t flags;  // VstTimeInfoFlags
};

// Flags of VstTimeInfo; the "valid" bits double as the request mask of audioMasterGetTime.
enum VstTimeInfoFlags : int32_t {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstAutomationWriting = 1 << 6,
  kVstAutomationReading = 1 << 7,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

struct VstPinProperties {
  char label[kVstMaxLabelLen];
  int32_t flags;  // VstPinPropertiesFlags
  int32_t arrangementType;
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

enum VstPinPropertiesFlags : int32_t {
  kVstPinIsActive = 1 << 0,
  kVstPinIsStereo = 1 << 1,
  kVstPinUseSpeaker = 1 << 2,
};

// Editor rectangle in pixels.
struct ERect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};

struct VstFileType {
  char name[128];
  char macType[8];
  char dosType[8];
  char unixType[8];
  char mimeType1[128];
  char mimeType2[128];
};

struct VstFileSelect {
  int32_t command;  // VstFileSelectCommand
  int32_t type;     // VstFileSelectType
  int32_t macCreator;
  int32_t nbFileTypes;
  VstFileType* fileTypes;
  char title[1024];
  char* initialPath;
  char* returnPath;  // null: the host allocates, and the plug-in must close the selector to free it
  int32_t sizeReturnPath;
  char** returnMultiplePaths;
  int32_t nbReturnPath;
  intptr_t reserved;  // the host's own
  char future[116];
};

enum VstFileSelectCommand : int32_t {
  kVstFileLoad = 0,
  kVstFileSave = 1,
  kVstMultipleFilesLoad = 2,
  kVstDirectorySelect = 3,
};

enum VstFileSelectType : int32_t {
  kVstFileType = 0,
};

#pragma pack(pop)

// The exported entry's signature: `VSTPluginMain` (also exported as `main`).
typedef AEffect*(VSTCALLBACK* VstPluginMainProc)(audioMasterCallback host);

// Layout checks: the records cross a binary boundary, so their sizes and offsets are fixed per platform.
// Pointer-sized fields make 32-bit and 64-bit differ. No record holds a double after a 32-bit field, so
// 32-bit Windows (doubles 8-aligned) and 32-bit Linux (doubles 4-aligned) agree.
namespace vst_layout {
constexpr bool kWide = sizeof(void*) == 8;
constexpr std::size_t pick(std::size_t narrow, std::size_t wide) { return kWide ? wide : narrow; }
}  // namespace vst_layout

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "only 32-bit and 64-bit targets are laid out");
static_assert(sizeof(float) == 4 && sizeof(double) == 8, "the interface needs IEEE single and double floats");

static_assert(offsetof(AEffect, magic) == 0);
static_assert(offsetof(AEffect, dispatcher) == vst_layout::pick(4, 8));
static_assert(offsetof(AEffect, process) == vst_layout::pick(8, 16));
static_assert(offsetof(AEffect, setParameter) == vst_layout::pick(12, 24));
static_assert(offsetof(AEffect, getParameter) == vst_layout::pick(16, 32));
static_assert(offsetof(AEffect, numPrograms) == vst_layout::pick(20, 40));
static_assert(offsetof(AEffect, numParams) == vst_layout::pick(24, 44));
static_assert(offsetof(AEffect, numInputs) == vst_layout::pick(28, 48));
static_assert(offsetof(AEffect, numOutputs) == vst_layout::pick(32, 52));
static_assert(offsetof(AEffect, flags) == vst_layout::pick(36, 56));
static_assert(offsetof(AEffect, resvd1) == vst_layout::pick(40, 64));
static_assert(offsetof(AEffect, resvd2) == vst_layout::pick(44, 72));
static_assert(offsetof(AEffect, initialDelay) == vst_layout::pick(48, 80));
static_assert(offsetof(AEffect, realQualities) == vst_layout::pick(52, 84));
static_assert(offsetof(AEffect, offQualities) == vst_layout::pick(56, 88));
static_assert(offsetof(AEffect, ioRatio) == vst_layout::pick(60, 92));
static_assert(offsetof(AEffect, object) == vst_layout::pick(64, 96));
static_assert(offsetof(AEffect, user) == vst_layout::pick(68, 104));
static_assert(offsetof(AEffect, uniqueID) == vst_layout::pick(72, 112));
static_assert(offsetof(AEffect, version) == vst_layout::pick(76, 116));
static_assert(offsetof(AEffect, processReplacing) == vst_layout::pick(80, 120));
static_assert(offsetof(AEffect, processDoubleReplacing) == vst_layout::pick(84, 128));
static_assert(offsetof(AEffect, future) == vst_layout::pick(88, 136));
static_assert(sizeof(AEffect) == vst_layout::pick(144, 192));

static_assert(offsetof(VstEvent, deltaFrames) == 8);
static_assert(offsetof(VstEvent, data) == 16);
static_assert(sizeof(VstEvent) == 32);

static_assert(offsetof(VstMidiEvent, type) == 0);
static_assert(offsetof(VstMidiEvent, byteSize) == 4);
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8);
static_assert(offsetof(VstMidiEvent, flags) == 12);
static_assert(offsetof(VstMidiEvent, noteLength) == 16);
static_assert(offsetof(VstMidiEvent, noteOffset) == 20);
static_assert(offsetof(VstMidiEvent, midiData) == 24);
static_assert(offsetof(VstMidiEvent, detune) == 28);
static_assert(offsetof(VstMidiEvent, noteOffVelocity) == 29);
static_assert(offsetof(VstMidiEvent, reserved1) == 30);
static_assert(offsetof(VstMidiEvent, reserved2) == 31);
static_assert(sizeof(VstMidiEvent) == sizeof(VstEvent));

static_assert(offsetof(VstEvents, numEvents) == 0);
static_assert(offsetof(VstEvents, reserved) == vst_layout::pick(4, 8));
static_assert(offsetof(VstEvents, events) == vst_layout::pick(8, 16));
static_assert(sizeof(VstEvents) == vst_layout::pick(16, 32));

static_assert(offsetof(VstTimeInfo, samplePos) == 0);
static_assert(offsetof(VstTimeInfo, sampleRate) == 8);
static_assert(offsetof(VstTimeInfo, nanoSeconds) == 16);
static_assert(offsetof(VstTimeInfo, ppqPos) == 24);
static_assert(offsetof(VstTimeInfo, tempo) == 32);
static_assert(offsetof(VstTimeInfo, barStartPos) == 40);
static_assert(offsetof(VstTimeInfo, cycleStartPos) == 48);
static_assert(offsetof(VstTimeInfo, cycleEndPos) == 56);
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64);
static_assert(offsetof(VstTimeInfo, timeSigDenominator) == 68);
static_assert(offsetof(VstTimeInfo, smpteOffset) == 72);
static_assert(offsetof(VstTimeInfo, smpteFrameRate) == 76);
static_assert(offsetof(VstTimeInfo, samplesToNextClock) == 80);
static_assert(offsetof(VstTimeInfo, flags) == 84);
static_assert(sizeof(VstTimeInfo) == 88);

static_assert(offsetof(VstPinProperties, label) == 0);
static_assert(offsetof(VstPinProperties, flags) == 64);
static_assert(offsetof(VstPinProperties, arrangementType) == 68);
static_assert(offsetof(VstPinProperties, shortLabel) == 72);
static_assert(offsetof(VstPinProperties, future) == 80);
static_assert(sizeof(VstPinProperties) == 128);

static_assert(offsetof(ERect, top) == 0 && offsetof(ERect, left) == 2);
static_assert(offsetof(ERect, bottom) == 4 && offsetof(ERect, right) == 6);
static_assert(sizeof(ERect) == 8);

static_assert(offsetof(VstFileType, macType) == 128);
static_assert(offsetof(VstFileType, dosType) == 136);
static_assert(offsetof(VstFileType, unixType) == 144);
static_assert(offsetof(VstFileType, mimeType1) == 152);
static_assert(offsetof(VstFileType, mimeType2) == 280);
static_assert(sizeof(VstFileType) == 408);

static_assert(offsetof(VstFileSelect, command) == 0);
static_assert(offsetof(VstFileSelect, type) == 4);
static_assert(offsetof(VstFileSelect, macCreator) == 8);
static_assert(offsetof(VstFileSelect, nbFileTypes) == 12);
static_assert(offsetof(VstFileSelect, fileTypes) == 16);
static_assert(offsetof(VstFileSelect, title) == vst_layout::pick(20, 24));
static_assert(offsetof(VstFileSelect, initialPath) == vst_layout::pick(1044, 1048));
static_assert(offsetof(VstFileSelect, returnPath) == vst_layout::pick(1048, 1056));
static_assert(offsetof(VstFileSelect, sizeReturnPath) == vst_layout::pick(1052, 1064));
static_assert(offsetof(VstFileSelect, returnMultiplePaths) == vst_layout::pick(1056, 1072));
static_assert(offsetof(VstFileSelect, nbReturnPath) == vst_layout::pick(1060, 1080));
static_assert(offsetof(VstFileSelect, reserved) == vst_layout::pick(1064, 1088));
static_assert(offsetof(VstFileSelect, future) == vst_layout::pick(1068, 1096));
static_assert(sizeof(VstFileSelect) == vst_layout::pick(1184, 1216));

static_assert(fourCharCode('V', 's', 't', 'P') == 0x56737450);
