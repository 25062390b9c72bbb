// Result codes of the storage operations and the status-line text the editor shows for each.
#pragma once

#include <cstdint>

namespace tarnwick {

// 0 is success; every other value has a fixed message (storageResultMessage).
using StorageResult = int32_t;

inline constexpr StorageResult kStorageOk = 0;
inline constexpr StorageResult kStorageFileExists = 1;
inline constexpr StorageResult kStorageCannotWrite = 2;
inline constexpr StorageResult kStorageUnknownFormat = 4;
inline constexpr StorageResult kStorageNoWaveChunk = 5;
inline constexpr StorageResult kStorageNoFmtChunk = 6;
inline constexpr StorageResult kStorageNoDataChunk = 7;
inline constexpr StorageResult kStorageNotPcm = 8;
inline constexpr StorageResult kStorageBadBits = 9;
inline constexpr StorageResult kStorageBadRate = 10;
inline constexpr StorageResult kStorageBadChannels = 11;
inline constexpr StorageResult kStorageNoAudioData = 12;
inline constexpr StorageResult kStorageNoAiffChunk = 15;
inline constexpr StorageResult kStorageAifcCompressed = 16;
inline constexpr StorageResult kStorageNoCommChunk = 17;
inline constexpr StorageResult kStorageNotBank = 20;
inline constexpr StorageResult kStorageBankNoWave = 21;
inline constexpr StorageResult kStorageBankVersion = 22;
inline constexpr StorageResult kStorageCannotOpen = 23;
inline constexpr StorageResult kStorageNameTooLong = 24;  // produced by the editor, not by storage
inline constexpr StorageResult kStorageFileError = 26;
inline constexpr StorageResult kStorageOutOfMemory = 40;
// A load stopped through its progress (another load or a session took its place); never shown.
inline constexpr StorageResult kStorageCancelled = 50;

// [any-thread] The exact status-line text for a code; "" for success and for unknown codes.
const char* storageResultMessage(StorageResult result);

}  // namespace tarnwick
