// Sound playback on SDL2_mixer: one WAV at a time from the working directory, started
// asynchronously. No device, a missing file or a bad one all mean silence and nothing else.
#include "sim/sound.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

constexpr int kSampleRate = 44100;   // Hz
constexpr int kOutputChannels = 2;   // stereo
constexpr int kBufferFrames = 1024;  // about 23 ms of latency
constexpr int kSoundChannel = 0;     // the one mixer channel this program plays on
// The scene's sounds last seconds; a file far beyond that would stall a frame while loading.
constexpr off_t kMaxSoundFileBytes = 16 * 1024 * 1024;
constexpr size_t kNameCapacity = 64;

enum class Device { kClosed, kOpen, kUnavailable };

using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);

}  // namespace

namespace {

Device device = Device::kClosed;    // kUnavailable: opening failed; silent until shutdown
Mix_Chunk* playingChunk = nullptr;  // the chunk started on kSoundChannel; null when none
int requestCount = 0;               // playSound calls since start
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
bool isLoadableFile(const char* fileName) {
  struct stat info {};
  if (stat(fileName, &info) != 0) return false;
  return S_ISREG(info.st_mode) && info.st_size <= kMaxSoundFileBytes;
}

// Halting first guarantees the mixer no longer reads the chunk when it is freed.
void stopPlaying() {
  Mix_HaltChannel(kSoundChannel);
  Mix_FreeChunk(playingChunk);
  playingChunk = nullptr;
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
  Mix_Chunk* next = isLoadableFile(fileName) ? Mix_LoadWAV(fileName) : nullptr;
  // A new request replaces what is still playing, also when the new file cannot be played.
  stopPlaying();
  if (next == nullptr) return;
  if (Mix_PlayChannel(kSoundChannel, next, 0) < 0) {
    Mix_FreeChunk(next);
    return;
  }
  playingChunk = next;
}

void shutdownSound() {
  if (device == Device::kOpen) {
    stopPlaying();
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
