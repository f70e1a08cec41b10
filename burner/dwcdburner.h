// Running an image out: the cache thread reads it in 64 KiB chunks, the write thread sends them
// to a sink (an image file here; a drive is the other sink).
#pragma once

#include "dwtreetypes.h"

#include <string>

namespace dw {

// Writes the prepared tree into an image file. True when both threads run; completion arrives
// through the write-done handler stored in `files`.
bool BuildISOImage(TCDFiles& files, const std::string& imageFile);
// Runs a prepared tree into any sink from block 0 (the shared part of every session start).
bool StartSession(TCDFiles& files, std::unique_ptr<TImageSink> sink);

void AbortBurn(TCDFiles& files);
void SetCacheSize(TCDFiles& files, uint32_t bytes);
uint32_t GetCacheSize(const TCDFiles& files);
uint64_t GetCachePosition(const TCDFiles& files);
// The last error, cleared by reading; falls back to the device's last error.
uint32_t GetErrorNumber(TCDFiles& files, TSCSIDevice& device);
// True while a session's threads are running.
bool IsBusy(const TCDFiles& files);
// Waits for the threads of the last session to end (not from inside them).
void WaitForSession(TCDFiles& files);

// Hand-off to the writer: bytes of the chunk taken (ownership passes to the caller), 0 when the
// image is complete or aborted, -1 when the queue is momentarily empty.
int64_t GetFirst(TCDFiles& files, TChunk& chunk);
void ReleaseChunk(TCDFiles& files, uint8_t* data);

// Thread bodies.
void CacheThreadExecute(TCDFiles& files);
void WriteThreadExecute(TCDFiles& files);

} // namespace dw
