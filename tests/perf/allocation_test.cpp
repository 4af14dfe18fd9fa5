// Steady frames allocate nothing: a whole scripted cycle (click, impact, break, wrap, help
// screen, messages, keys) is run once to warm up and then again with every heap allocation of
// the frame thread counted and traced back to the code that asked for it.
//
// The test program replaces operator new and malloc for the whole process and forwards to the C
// library's allocator. While counting, each allocation on the frame thread records its call
// stack; afterwards each one is put down either to our own code (the scene library and this
// test, linked into the executable: must be none) or to the library our code had called when it
// happened (the GL driver, the window toolkit, X, the C library, the sound library), which is
// reported. The driver's worker threads draw for us but run none of our code; they are counted
// separately. Sanitizer builds bring their own allocator, so there the test is skipped.
#include <GL/freeglut.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "perf/scene_driver.h"

#if defined(__SANITIZE_ADDRESS__)
#define KRATEON_COUNTING_ALLOCATOR 0
#else
#define KRATEON_COUNTING_ALLOCATOR 1
#endif

namespace {

constexpr int kMaxTracedAllocations = 32768;
constexpr int kTraceDepth = 20;

enum class Source { kMalloc, kNew };

struct TracedAllocation {
  Source source;
  int depth;
  void* frames[kTraceDepth];
};

std::atomic<bool> counting{false};
std::atomic<long> frameThreadAllocations{0};
std::atomic<long> otherThreadAllocations{0};
std::atomic<int> traced{0};
TracedAllocation traces[kMaxTracedAllocations];
thread_local bool frameThread = false;  // set on the thread that runs the frames
thread_local bool insideHook = false;   // the tracer's own work is not counted

}  // namespace

#if KRATEON_COUNTING_ALLOCATOR

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);
extern "C" void __libc_free(void* pointer);

// Every replaced entry point lives in one section, so a traced stack can skip them by address.
#define KRATEON_HOOK __attribute__((section("krateon_alloc_hooks"), noinline))
extern "C" const char __start_krateon_alloc_hooks[];
extern "C" const char __stop_krateon_alloc_hooks[];

namespace {

KRATEON_HOOK void noteAllocation(Source source) {
  if (!counting.load(std::memory_order_relaxed) || insideHook) return;
  if (!frameThread) {
    otherThreadAllocations.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  insideHook = true;
  frameThreadAllocations.fetch_add(1, std::memory_order_relaxed);
  const int slot = traced.fetch_add(1, std::memory_order_relaxed);
  if (slot < kMaxTracedAllocations) {
    traces[slot].source = source;
    traces[slot].depth = backtrace(traces[slot].frames, kTraceDepth);
  }
  insideHook = false;
}

KRATEON_HOOK void* newOrThrow(size_t size) {
  noteAllocation(Source::kNew);
  void* pointer = __libc_malloc(size == 0 ? 1 : size);
  if (pointer == nullptr) throw std::bad_alloc();
  return pointer;
}

KRATEON_HOOK void* alignedNewOrThrow(size_t size, std::align_val_t alignment) {
  noteAllocation(Source::kNew);
  void* pointer =
      aligned_alloc(static_cast<size_t>(alignment), (size + static_cast<size_t>(alignment) - 1) &
                                                        ~(static_cast<size_t>(alignment) - 1));
  if (pointer == nullptr) throw std::bad_alloc();
  return pointer;
}

}  // namespace

extern "C" KRATEON_HOOK void* malloc(size_t size) {
  noteAllocation(Source::kMalloc);
  return __libc_malloc(size);
}
extern "C" KRATEON_HOOK void* calloc(size_t count, size_t size) {
  noteAllocation(Source::kMalloc);
  return __libc_calloc(count, size);
}
extern "C" KRATEON_HOOK void* realloc(void* pointer, size_t size) {
  noteAllocation(Source::kMalloc);
  return __libc_realloc(pointer, size);
}
extern "C" void free(void* pointer) {
  __libc_free(pointer);
}

KRATEON_HOOK void* operator new(size_t size) {
  return newOrThrow(size);
}
KRATEON_HOOK void* operator new[](size_t size) {
  return newOrThrow(size);
}
KRATEON_HOOK void* operator new(size_t size, const std::nothrow_t&) noexcept {
  noteAllocation(Source::kNew);
  return __libc_malloc(size == 0 ? 1 : size);
}
KRATEON_HOOK void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  noteAllocation(Source::kNew);
  return __libc_malloc(size == 0 ? 1 : size);
}
KRATEON_HOOK void* operator new(size_t size, std::align_val_t alignment) {
  return alignedNewOrThrow(size, alignment);
}
KRATEON_HOOK void* operator new[](size_t size, std::align_val_t alignment) {
  return alignedNewOrThrow(size, alignment);
}
void operator delete(void* pointer) noexcept {
  __libc_free(pointer);
}
void operator delete[](void* pointer) noexcept {
  __libc_free(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
  __libc_free(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
  __libc_free(pointer);
}
void operator delete(void* pointer, std::align_val_t) noexcept {
  free(pointer);
}
void operator delete[](void* pointer, std::align_val_t) noexcept {
  free(pointer);
}
void operator delete(void* pointer, size_t, std::align_val_t) noexcept {
  free(pointer);
}
void operator delete[](void* pointer, size_t, std::align_val_t) noexcept {
  free(pointer);
}

#endif  // KRATEON_COUNTING_ALLOCATOR

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

// The object file an address lies in, as the dynamic linker names it.
const void* objectBase(const void* address, const char** name) {
  Dl_info info{};
  if (dladdr(address, &info) == 0) {
    *name = "?";
    return nullptr;
  }
  *name = info.dli_fname != nullptr ? info.dli_fname : "?";
  return info.dli_fbase;
}

bool inHooks(const void* address) {
#if KRATEON_COUNTING_ALLOCATOR
  const char* at = static_cast<const char*>(address);
  return at >= __start_krateon_alloc_hooks && at < __stop_krateon_alloc_hooks;
#else
  (void)address;
  return false;
#endif
}

constexpr int kMaxLibraries = 16;

struct LibraryCount {
  const char* name;
  long mallocs;
  long news;
};

struct Attribution {
  long ours = 0;       // asked for by code in this executable (or by libstdc++ on its behalf)
  long inLibrary = 0;  // made inside a call of ours into another library
  long notOurs = 0;    // no frame of our code on the stack (the library's own doing)
  char firstOurs[256] = {};
  LibraryCount libraries[kMaxLibraries] = {};
  int libraryCount = 0;

  void countInLibrary(const char* name, Source source) {
    ++inLibrary;
    int i = 0;
    while (i < libraryCount && std::strcmp(libraries[i].name, name) != 0) ++i;
    if (i == libraryCount) {
      if (libraryCount == kMaxLibraries) return;
      libraries[libraryCount++] = {name, 0, 0};
    }
    (source == Source::kNew ? libraries[i].news : libraries[i].mallocs) += 1;
  }
};

// Per trace: the first frame outside the hooks is the one that asked. When that is not our
// code, the library our innermost frame had called is the one that allocated on our behalf.
Attribution attribute(int count) {
  Attribution result;
  const char* ignored = nullptr;
  const void* executable = objectBase(reinterpret_cast<const void*>(&attribute), &ignored);
  for (int t = 0; t < count && t < kMaxTracedAllocations; ++t) {
    const TracedAllocation& trace = traces[t];
    int caller = 0;
    while (caller < trace.depth && inHooks(trace.frames[caller])) ++caller;
    int ourFrame = -1;
    for (int f = caller; f < trace.depth; ++f) {
      if (objectBase(trace.frames[f], &ignored) == executable) {
        ourFrame = f;
        break;
      }
    }
    const char* kind = trace.source == Source::kNew ? "operator new" : "malloc";
    if (ourFrame < 0) {
      ++result.notOurs;
      continue;
    }
    const char* entered = "";
    if (ourFrame > caller) objectBase(trace.frames[ourFrame - 1], &entered);
    if (ourFrame == caller || std::strstr(entered, "libstdc++") != nullptr) {
      ++result.ours;
      if (result.firstOurs[0] == '\0') {
        Dl_info info{};
        dladdr(trace.frames[ourFrame], &info);
        std::snprintf(result.firstOurs, sizeof result.firstOurs, "%s at %p (%s)", kind,
                      trace.frames[ourFrame],
                      info.dli_sname != nullptr ? info.dli_sname : "see addr2line");
      }
      continue;
    }
    result.countInLibrary(entered, trace.source);
  }
  return result;
}

// The GL driver, the window toolkit and X allocate inside our calls as they see fit; that is
// theirs to decide. Any other library (the C library, the sound library) allocates only when our
// code asks it to do something that needs memory, which a steady frame must not.
bool isDriverStack(const char* library) {
  constexpr const char* kDriverParts[] = {"dri",        "libGL",   "libglut", "libX",  "libxcb",
                                          "libgallium", "libLLVM", "libxshm", "libdrm"};
  for (const char* part : kDriverParts) {
    if (std::strstr(library, part) != nullptr) return true;
  }
  return false;
}

void startCounting() {
  frameThreadAllocations = 0;
  otherThreadAllocations = 0;
  traced = 0;
  frameThread = true;
  counting = true;
}

void stopCounting() {
  counting = false;
}

Attribution report() {
  const int count = traced.load();
  std::printf("frame thread: %ld allocations (operator new and malloc)\n",
              frameThreadAllocations.load());
  const Attribution who = attribute(count);
  std::printf("  ours %ld, inside library calls %ld, library-internal %ld; other threads %ld\n",
              who.ours, who.inLibrary, who.notOurs, otherThreadAllocations.load());
  for (int i = 0; i < who.libraryCount; ++i) {
    std::printf("    inside %s: %ld malloc, %ld operator new\n", who.libraries[i].name,
                who.libraries[i].mallocs, who.libraries[i].news);
  }
  if (count > kMaxTracedAllocations) {
    std::printf("  (only the first %d allocations were traced)\n", kMaxTracedAllocations);
  }
  return who;
}

long outsideDriverStack(const Attribution& who) {
  long total = 0;
  for (int i = 0; i < who.libraryCount; ++i) {
    if (!isDriverStack(who.libraries[i].name)) {
      total += who.libraries[i].mallocs + who.libraries[i].news;
    }
  }
  return total;
}

// The counter itself: an allocation of ours and one made by the C library for us are seen and
// put down to the right side. Without this a counter that saw nothing would pass everything.
TEST(AllocationCounter, TellsOurAllocationsFromLibraryOnes) {
#if !KRATEON_COUNTING_ALLOCATOR
  GTEST_SKIP() << "sanitizer builds bring their own allocator";
#else
  static int* volatile ours = nullptr;  // kept, so the compiler cannot drop the pair
  startCounting();
  ours = new int[4];
  char* copy = strdup("a library call that allocates");
  stopCounting();
  delete[] ours;
  free(copy);
  const Attribution who = report();
  EXPECT_EQ(who.ours, 1);
  EXPECT_EQ(outsideDriverStack(who), 1);  // strdup, inside the C library
#endif
}

TEST(SteadyFrames, AllocateNothingThroughWholeCyclesOfUse) {
#if !KRATEON_COUNTING_ALLOCATOR
  GTEST_SKIP() << "sanitizer builds bring their own allocator";
#else
  perftest::startScene(kWindowWidth, kWindowHeight);
  // Warm-up: every path once (first glyphs, first sounds, the driver's first shader variants).
  int t = perftest::playCycleScript(20000);
  glFinish();

  const struct mallinfo2 before = mallinfo2();
  startCounting();
  for (int cycle = 0; cycle < 2; ++cycle) t = perftest::playCycleScript(t + 1000);
  stopCounting();
  const struct mallinfo2 after = mallinfo2();

  const Attribution who = report();
  std::printf("  heap in use: %+ld bytes\n",
              static_cast<long>(after.uordblks) - static_cast<long>(before.uordblks));
  EXPECT_EQ(who.ours, 0) << "first: " << who.firstOurs;
  EXPECT_EQ(outsideDriverStack(who), 0) << "allocations in libraries our code called (above)";
#endif
}

}  // namespace
