// Status-line texts of the storage result codes.
#include "storage/StorageResult.h"

namespace tarnwick {

const char* storageResultMessage(StorageResult result) {
  switch (result) {
    case kStorageFileExists: return "File already exists";
    case kStorageCannotWrite: return "Could not open in write mode.";
    case kStorageUnknownFormat: return "Unknown File Format";
    case kStorageNoWaveChunk: return "No WAVE chunk found";
    case kStorageNoFmtChunk: return "No FMT chunk found";
    case kStorageNoDataChunk: return "No DATA chunk found";
    case kStorageNotPcm: return "No PCM Data (maybe compressed audio)";
    case kStorageBadBits: return "Only 8/16/24 bit allowed";
    case kStorageBadRate: return "Only 44.1k Samplingrate allowed";
    case kStorageBadChannels: return "Only Mono/Stereo allowed.";
    case kStorageNoAudioData: return "No Audiodata found";
    case kStorageNoAiffChunk: return "No AIFF chunk found";
    case kStorageAifcCompressed: return "Cant read AIF-C compressed audio";
    case kStorageNoCommChunk: return "No COMM chunk found";
    case kStorageNotBank: return "No valid VLB file.";
    case kStorageBankNoWave: return "No WAVE chunk found";
    case kStorageBankVersion: return "Version number does not match";
    case kStorageCannotOpen: return "Could not open file.";
    case kStorageNameTooLong: return "Filename too long";
    case kStorageFileError: return "File operation error";
    case kStorageOutOfMemory: return " Memory allocation failed";
    default: return "";
  }
}

}  // namespace tarnwick
