// Sound playback on SDL2_mixer: one WAV at a time from the working directory, started
// asynchronously. No device, a missing file or a bad one all mean silence and nothing else.
// A decoded file is kept and played again while the file on disk stays the same, so an impact
// costs its frame neither a file read nor the decoder's allocations.
#include "sim/sound.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kSampleRate = 44100;   // Hz
constexpr int kOutputChannels = 2;   // stereo
constexpr int kBufferFrames = 1024;  // about 23 ms of latency
constexpr int kSoundChannel = 0;     // the one mixer channel this program plays on
// The scene's sounds last seconds; a file far beyond that would stall a frame while loading.
constexpr off_t kMaxSoundFileBytes = 16 * 1024 * 1024;
constexpr size_t kNameCapacity = 64;
constexpr int kKeptSounds = 4;  // decoded files kept; the scene plays two

enum class Device { kClosed, kOpen, kUnavailable };

using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);

// A decoded file and what identified the file when it was read: a rewritten or replaced file
// differs in one of these and is read again.
struct KeptSound {
  char name[kNameCapacity];
  dev_t device;
  ino_t inode;
  off_t size;
  timespec modified;
  Mix_Chunk* chunk;  // null: slot unused
};

}  // namespace

namespace {

Device device = Device::kClosed;         // kUnavailable: opening failed; silent until shutdown
KeptSound keptSounds[kKeptSounds] = {};  // owned chunks, freed when replaced or at shutdown
int nextKeptSlot = 0;                    // the slot the next newly read file replaces
Mix_Chunk* unkeptChunk = nullptr;  // playing, from a name too long to keep; freed when stopped
int requestCount = 0;              // playSound calls since start
char lastRequest[kNameCapacity] = "";

void discardSdlLog(void*, int, SDL_LogPriority, const char*) {}
void discardAlsaError(const char*, int, const char*, int, const char*, ...) {}

// alsa-lib reports a missing card straight to stderr. When SDL has loaded it, a silent error
// handler keeps those reports (and later underrun notes) off the program's output.
void silenceAlsa() {
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
  if (alsa == nullptr) return;
  auto setHandler =
      reinterpret_cast<int (*)(AlsaErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (setHandler != nullptr) setHandler(discardAlsaError);
  dlclose(alsa);
}

// Sound back-ends may write diagnostics of their own to stderr while a device opens or
// closes; for that moment stderr points at /dev/null. Returns the saved descriptor, or -1.
int muteStderr() {
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved < 0 || null < 0) {
    if (saved >= 0) close(saved);
    if (null >= 0) close(null);
    return -1;
  }
  dup2(null, STDERR_FILENO);
  close(null);
  return saved;
}

void restoreStderr(int saved) {
  if (saved < 0) return;
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
}

bool openDevice() {
  // SDL would otherwise turn SIGINT and SIGTERM into quit events that nobody reads, and the
  // program could no longer be interrupted or terminated.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  silenceAlsa();
  if (Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, kOutputChannels, kBufferFrames) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(1);
  return true;
}

// Only a regular file of sensible size is handed to the loader: a FIFO would block it and a
// huge file would stall the frame.
bool isLoadableFile(const struct stat& info) {
  return S_ISREG(info.st_mode) && info.st_size <= kMaxSoundFileBytes;
}

bool sameFile(const KeptSound& kept, const char* fileName, const struct stat& info) {
  return kept.chunk != nullptr && std::strcmp(kept.name, fileName) == 0 &&
         kept.device == info.st_dev && kept.inode == info.st_ino && kept.size == info.st_size &&
         kept.modified.tv_sec == info.st_mtim.tv_sec &&
         kept.modified.tv_nsec == info.st_mtim.tv_nsec;
}

// Halting guarantees the mixer no longer reads any chunk, so a chunk may then be freed.
void stopPlaying() {
  Mix_HaltChannel(kSoundChannel);
  Mix_FreeChunk(unkeptChunk);
  unkeptChunk = nullptr;
}

void forgetKeptSounds() {
  for (KeptSound& kept : keptSounds) {
    Mix_FreeChunk(kept.chunk);
    kept = {};
  }
  nextKeptSlot = 0;
}

// The decoded sound of the file, read now only when it is not kept already; null when the
// file cannot be played. Must be called with the channel halted.
Mix_Chunk* soundOf(const char* fileName) {
  struct stat info {};
  if (stat(fileName, &info) != 0 || !isLoadableFile(info)) return nullptr;
  for (const KeptSound& kept : keptSounds) {
    if (sameFile(kept, fileName, info)) return kept.chunk;
  }
  if (std::strlen(fileName) >= kNameCapacity) return unkeptChunk = Mix_LoadWAV(fileName);
  Mix_Chunk* chunk = Mix_LoadWAV(fileName);
  if (chunk == nullptr) return nullptr;
  // A slot that still holds an older copy of this file is reused first.
  int slot = nextKeptSlot;
  for (int i = 0; i < kKeptSounds; ++i) {
    if (std::strcmp(keptSounds[i].name, fileName) == 0) slot = i;
  }
  if (slot == nextKeptSlot) nextKeptSlot = (nextKeptSlot + 1) % kKeptSounds;
  KeptSound& kept = keptSounds[slot];
  Mix_FreeChunk(kept.chunk);
  kept = {};
  std::snprintf(kept.name, sizeof kept.name, "%s", fileName);
  kept.device = info.st_dev;
  kept.inode = info.st_ino;
  kept.size = info.st_size;
  kept.modified = info.st_mtim;
  kept.chunk = chunk;
  return chunk;
}

}  // namespace

void initSound() {
  if (device != Device::kClosed) return;
  SDL_LogSetOutputFunction(discardSdlLog, nullptr);
  const int savedStderr = muteStderr();
  device = openDevice() ? Device::kOpen : Device::kUnavailable;
  restoreStderr(savedStderr);
}

void playSound(const char* fileName) {
  ++requestCount;
  std::snprintf(lastRequest, sizeof lastRequest, "%s", fileName != nullptr ? fileName : "");
  if (device != Device::kOpen || fileName == nullptr) return;
  // A new request replaces what is still playing, also when the new file cannot be played.
  stopPlaying();
  Mix_Chunk* next = soundOf(fileName);
  if (next == nullptr) return;
  Mix_PlayChannel(kSoundChannel, next, 0);  // a chunk that did not start stays owned as well
}

void shutdownSound() {
  if (device == Device::kOpen) {
    stopPlaying();
    forgetKeptSounds();  // decoded for this device's format
    const int savedStderr = muteStderr();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    restoreStderr(savedStderr);
  }
  device = Device::kClosed;
}

int soundRequestCount() {
  return requestCount;
}

const char* lastSoundRequested() {
  return lastRequest;
}
