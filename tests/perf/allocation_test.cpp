// Steady frames allocate nothing: a whole scripted cycle (click, impact, break, wrap, help
// screen, messages, keys) is run once to warm up and then twice more with every heap allocation
// of the frame thread counted and put down to the code that asked for it.
//
// The test program replaces operator new and malloc for the whole process and forwards to the C
// library's allocator. While counting, each allocation on the frame thread walks its call stack:
// when the caller is our own code (the scene library and this test, linked into the executable)
// it counts as ours, which must never happen; otherwise the library that our innermost frame had
// called is charged (the GL driver, the window toolkit, X, the C library, the sound library).
// The GL driver and the window system allocate inside our calls as they see fit; any other
// library allocates only when our code asks it for something that needs memory, which a steady
// frame must not do either. The driver's worker threads run none of our code; they are counted
// apart. Sanitizer builds bring their own allocator, so there the test is skipped.
#include <GL/freeglut.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <gtest/gtest.h>
#include <link.h>
#include <malloc.h>

#include <atomic>
#include <cstdint>
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

#if KRATEON_COUNTING_ALLOCATOR

namespace {

constexpr int kTraceDepth = 24;
constexpr int kMaxObjects = 192;
constexpr int kNameCapacity = 160;

enum class Source { kMalloc, kNew };

// A loaded object (the executable or a shared library) and the allocations charged to it.
struct LoadedObject {
  char name[kNameCapacity];
  uintptr_t start, end;  // lowest and highest address of its loaded segments
  long mallocs, news;
};

struct Counts {
  long frameThread = 0;      // every allocation on the frame thread
  long ours = 0;             // asked for by our code (or by libstdc++ on its behalf)
  long unknownLibrary = 0;   // inside a call of ours into an object loaded while counting
  long libraryInternal = 0;  // no frame of ours on the stack
  uintptr_t firstOurs = 0;   // the address in our code of the first allocation of ours
};

std::atomic<bool> counting{false};
std::atomic<long> otherThreadAllocations{0};
thread_local bool frameThread = false;  // set on the thread that runs the frames
thread_local bool insideHook = false;   // the counter's own work is not counted
Counts counts;
LoadedObject objects[kMaxObjects];
int objectCount = 0;
int executable = -1;

int objectIndexOf(const void* address) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  for (int i = 0; i < objectCount; ++i) {
    if (at >= objects[i].start && at < objects[i].end) return i;
  }
  return -1;
}

int recordObject(dl_phdr_info* info, size_t, void*) {
  if (objectCount == kMaxObjects) return 1;
  LoadedObject& o = objects[objectCount];
  o = {};
  o.start = UINTPTR_MAX;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD) continue;
    const uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
    o.start = std::min(o.start, begin);
    o.end = std::max(o.end, begin + segment.p_memsz);
  }
  if (o.start >= o.end) return 0;
  std::snprintf(o.name, sizeof o.name, "%s", info->dlpi_name[0] != '\0' ? info->dlpi_name : "");
  // The executable is the first entry, with an empty name.
  if (executable < 0 && info->dlpi_name[0] == '\0') executable = objectCount;
  ++objectCount;
  return 0;
}

}  // namespace

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);
extern "C" void __libc_free(void* pointer);

// Every replaced entry point lives in one section, so a traced stack can skip them by address.
#define KRATEON_HOOK __attribute__((section("krateon_alloc_hooks"), noinline))
extern "C" const char __start_krateon_alloc_hooks[];
extern "C" const char __stop_krateon_alloc_hooks[];

namespace {

bool inHooks(const void* address) {
  const char* at = static_cast<const char*>(address);
  return at >= __start_krateon_alloc_hooks && at < __stop_krateon_alloc_hooks;
}

// The first frame outside the hooks is the one that asked; when that is not our code, the
// library our innermost frame had called is charged.
KRATEON_HOOK void charge(Source source) {
  void* frames[kTraceDepth];
  const int depth = backtrace(frames, kTraceDepth);
  int caller = 0;
  while (caller < depth && inHooks(frames[caller])) ++caller;
  int ourFrame = caller;
  while (ourFrame < depth && objectIndexOf(frames[ourFrame]) != executable) ++ourFrame;
  if (ourFrame == depth) {
    ++counts.libraryInternal;
    return;
  }
  const int entered = ourFrame > caller ? objectIndexOf(frames[ourFrame - 1]) : executable;
  if (entered == executable || (entered >= 0 && std::strstr(objects[entered].name, "libstdc++"))) {
    if (counts.ours++ == 0) counts.firstOurs = reinterpret_cast<uintptr_t>(frames[ourFrame]);
    return;
  }
  if (entered < 0) {
    ++counts.unknownLibrary;
    return;
  }
  (source == Source::kNew ? objects[entered].news : objects[entered].mallocs) += 1;
}

KRATEON_HOOK void noteAllocation(Source source) {
  if (!counting.load(std::memory_order_relaxed) || insideHook) return;
  if (!frameThread) {
    otherThreadAllocations.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  insideHook = true;
  ++counts.frameThread;
  charge(source);
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

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

// The GL driver, the window toolkit and X allocate inside our calls as they see fit.
bool isDriverStack(const char* library) {
  constexpr const char* kDriverParts[] = {"dri",        "libGL",   "libglut", "libX",  "libxcb",
                                          "libgallium", "libLLVM", "libxshm", "libdrm"};
  for (const char* part : kDriverParts) {
    if (std::strstr(library, part) != nullptr) return true;
  }
  return false;
}

void startCounting() {
  void* warm[2];
  backtrace(warm, 2);  // its first call loads the unwinder
  objectCount = 0;
  executable = -1;
  dl_iterate_phdr(recordObject, nullptr);
  counts = {};
  otherThreadAllocations = 0;
  frameThread = true;
  counting = true;
}

void stopCounting() {
  counting = false;
}

// Prints the counts; returns the allocations charged to libraries outside the driver stack.
long report() {
  std::printf("frame thread: %ld allocations (operator new and malloc)\n", counts.frameThread);
  std::printf("  ours %ld, library-internal %ld, in unlisted objects %ld; other threads %ld\n",
              counts.ours, counts.libraryInternal, counts.unknownLibrary,
              otherThreadAllocations.load());
  long outsideDriver = counts.unknownLibrary;
  for (int i = 0; i < objectCount; ++i) {
    const LoadedObject& o = objects[i];
    if (o.mallocs + o.news == 0) continue;
    std::printf("    inside %s: %ld malloc, %ld operator new\n", o.name, o.mallocs, o.news);
    if (!isDriverStack(o.name)) outsideDriver += o.mallocs + o.news;
  }
  if (counts.ours > 0) {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(counts.firstOurs), &info);
    std::printf("  first of ours at %p (%s; addr2line -e the test program -f -C)\n",
                reinterpret_cast<void*>(counts.firstOurs),
                info.dli_sname != nullptr ? info.dli_sname : "not exported");
  }
  return outsideDriver;
}

}  // namespace

#endif  // KRATEON_COUNTING_ALLOCATOR

namespace {

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
  const long outsideDriver = report();
  EXPECT_EQ(counts.ours, 1);
  EXPECT_EQ(outsideDriver, 1);  // strdup, inside the C library
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

  const long outsideDriver = report();
  std::printf("  heap in use: %+ld bytes\n",
              static_cast<long>(after.uordblks) - static_cast<long>(before.uordblks));
  EXPECT_EQ(counts.ours, 0) << "allocations asked for by our code (above)";
  EXPECT_EQ(outsideDriver, 0) << "allocations in libraries our code called (above)";
#endif
}

}  // namespace
