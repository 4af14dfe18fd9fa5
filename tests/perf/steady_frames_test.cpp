// Steady frames through a scripted cycle of use (click, impact, break, wrap, help screen, keys):
// they allocate nothing, and the clear that restores depth only where it was written leaves the
// whole depth buffer cleared, as a full clear would.
//
// The program replaces malloc and operator new and forwards to the C library. While counting,
// each allocation on the frame thread walks its stack: asked for by our code (the executable, or
// libstdc++ on its behalf) it is ours, which must never happen; otherwise the library our
// innermost frame called is charged. The GL driver and the window system allocate inside our
// calls as they see fit; any other library allocates only when asked for something that needs
// memory. Sanitizer builds bring their own allocator: there the counting tests are skipped.
#include <GL/freeglut.h>
#include <execinfo.h>
#include <gtest/gtest.h>
#include <link.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app/frame_clear.h"
#include "app/frame_step.h"
#include "app/startup.h"
#include "support/scene_driver.h"

#if defined(__SANITIZE_ADDRESS__)
#define COUNTING 0
#else
#define COUNTING 1
#endif

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Loaded {
  char name[160];
  uintptr_t start, end;
};
Loaded objects[192];
int objectCount = 0;

std::atomic<bool> counting{false};
thread_local bool frameThread = false;
thread_local bool inHook = false;
long ours = 0;
std::vector<std::string>* outside = nullptr;  // libraries outside the driver that allocated

int objectOf(const void* address) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  for (int i = 0; i < objectCount; ++i) {
    if (at >= objects[i].start && at < objects[i].end) return i;
  }
  return -1;
}

int noteObject(dl_phdr_info* info, size_t, void*) {
  if (objectCount == 192) return 1;
  Loaded& o = objects[objectCount];
  o.start = UINTPTR_MAX;
  o.end = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type != PT_LOAD) continue;
    const uintptr_t begin = info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
    o.start = std::min(o.start, begin);
    o.end = std::max(o.end, begin + info->dlpi_phdr[i].p_memsz);
  }
  std::snprintf(o.name, sizeof o.name, "%s", info->dlpi_name);
  if (o.start < o.end) ++objectCount;
  return 0;
}

bool isDriverStack(const char* library) {
  for (const char* part : {"dri", "libGL", "libglut", "libX", "libxcb", "libgallium", "libLLVM",
                           "libxshm", "libdrm"}) {
    if (std::strstr(library, part) != nullptr) return true;
  }
  return false;
}

}  // namespace

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);
extern "C" void __libc_free(void* pointer);

// The hooks share one section, so that a walked stack can step over them by address.
#define HOOK __attribute__((section("krateon_alloc_hooks"), noinline))
extern "C" const char __start_krateon_alloc_hooks[];
extern "C" const char __stop_krateon_alloc_hooks[];

namespace {

HOOK void noteAllocation() {
  if (!counting.load(std::memory_order_relaxed) || !frameThread || inHook) return;
  inHook = true;
  void* frames[24];
  const int depth = backtrace(frames, 24);
  int caller = 0;
  while (caller < depth &&
         static_cast<const char*>(frames[caller]) >= __start_krateon_alloc_hooks &&
         static_cast<const char*>(frames[caller]) < __stop_krateon_alloc_hooks) {
    ++caller;
  }
  int mine = caller;  // the executable is object 0
  while (mine < depth && objectOf(frames[mine]) != 0) ++mine;
  if (mine < depth) {
    const int called = mine > caller ? objectOf(frames[mine - 1]) : 0;
    const char* name = called >= 0 ? objects[called].name : "an object loaded while counting";
    if (called == 0 || std::strstr(name, "libstdc++") != nullptr) {
      ++ours;
    } else if (!isDriverStack(name)) {
      outside->push_back(name);
    }
  }
  inHook = false;
}

}  // namespace

extern "C" HOOK void* malloc(size_t size) {
  noteAllocation();
  return __libc_malloc(size);
}
extern "C" HOOK void* calloc(size_t count, size_t size) {
  noteAllocation();
  return __libc_calloc(count, size);
}
extern "C" HOOK void* realloc(void* pointer, size_t size) {
  noteAllocation();
  return __libc_realloc(pointer, size);
}
extern "C" void free(void* pointer) {
  __libc_free(pointer);
}
HOOK void* operator new(size_t size) {
  noteAllocation();
  if (void* pointer = __libc_malloc(size == 0 ? 1 : size)) return pointer;
  throw std::bad_alloc();
}
HOOK void* operator new[](size_t size) {
  return operator new(size);
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

namespace {

void startCounting(std::vector<std::string>& libraries) {
  void* warm[2];
  backtrace(warm, 2);  // its first call loads the unwinder
  objectCount = 0;
  dl_iterate_phdr(noteObject, nullptr);
  ours = 0;
  outside = &libraries;
  libraries.reserve(1000);
  frameThread = true;
  counting = true;
}

// A whole cycle from a click: meteor, impact with particles, break, wrap to the next planet, the
// help screen, messages, readouts, drawing modes, hyperspace, letterbox, lights and stars off and
// on, the manual camera, Page Up, the sound key and a reset. Keys at ms from the script's start.
constexpr struct {
  int atMs;
  int key;
} kScript[] = {{200, 'c'},  {1200, '?'},  {2200, '?'},  {2600, '='},  {3000, '>'},  {3400, '<'},
               {3800, 'n'}, {4300, 'n'},  {4800, 'n'},  {5600, 'w'},  {6000, 'w'},  {6400, 'w'},
               {6500, ' '}, {6800, ' '},  {6800, 'l'},  {7200, 'l'},  {7600, 's'},  {8000, 's'},
               {8200, 'u'}, {8400, 'u'},  {10000, 'i'}, {10600, '3'}, {11000, 'v'}, {11500, 'v'},
               {12000, -1}, {12400, 'o'}, {12600, 'o'}, {13000, 'c'}, {13400, 'r'}};

// Plays the script from the current toolkit time, a frame every 16 ms for 14 s; `afterFrame`
// runs after each frame is drawn.
template <typename AfterFrame>
void playScript(AfterFrame afterFrame) {
  const int start = testsupport::toolkitMs();
  testsupport::click();
  size_t next = 0;
  for (int t = 0; t < 14000; t += testsupport::kFrameMs) {
    for (; next < std::size(kScript) && kScript[next].atMs <= t; ++next) {
      if (kScript[next].key < 0) testsupport::pressSpecialKey(GLUT_KEY_PAGE_UP);
      if (kScript[next].key > 0)
        testsupport::pressKey(static_cast<unsigned char>(kScript[next].key));
    }
    if (t % 500 == 0) testsupport::movePointer(kPointerHomeX + t % 37, kPointerHomeY - t % 23);
    testsupport::frameAt(start + t);
    afterFrame();
  }
}

// Window pixels whose depth is not the clear depth: outside the noted rectangles (`noted`), or
// anywhere.
int depthWrittenPixels(bool onlyOutsideNoted) {
  std::vector<GLuint> depth(kWidth * kHeight);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, depth.data());
  int written = 0;
  for (int i = 0; i < kWidth * kHeight; ++i) {
    if (depth[i] == 0xFFFFFFFFu) continue;
    written += !onlyOutsideNoted || !depthWriteNoted(i % kWidth, i / kWidth);
  }
  return written;
}

TEST(SteadyFrames, RestoreDepthEverywhereAndAllocateNothingThroughWholeCyclesOfUse) {
  testsupport::startScene(kWidth, kHeight);
  testsupport::frameAt(20000);
  // The warm-up cycle runs every path once (first glyphs, sounds, the driver's shader variants),
  // and every fifth frame checks the depth buffer around the frame's clear.
  int frame = 0, partialClears = 0, faults = 0;
  playScript([&] {
    if (++frame % 5 != 0 || faults > 3) return;
    const PixelRect noted = depthWriteExtent();
    partialClears += noted.right - noted.left < kWidth || noted.top - noted.bottom < kHeight;
    const int outsideNoted = depthWrittenPixels(true);
    clearColourAndDepth();
    const int leftAfterClear = depthWrittenPixels(false);
    faults += outsideNoted + leftAfterClear > 0;
    EXPECT_EQ(outsideNoted, 0) << "frame " << frame << ": depth written outside the noted rects";
    EXPECT_EQ(leftAfterClear, 0) << "frame " << frame << ": depth left after the clear";
  });
  EXPECT_GT(partialClears, frame / 10) << "the partial depth clear was hardly ever used";
#if COUNTING
  glFinish();
  std::vector<std::string> libraries;
  startCounting(libraries);
  for (int cycle = 0; cycle < 2; ++cycle) playScript([] {});
  counting = false;
  EXPECT_EQ(ours, 0) << "allocations asked for by our code";
  for (const std::string& library : libraries) ADD_FAILURE() << "allocation inside " << library;
#endif
}

// Without this a counter that saw nothing would pass everything.
TEST(AllocationCounter, TellsOurAllocationsFromLibraryOnes) {
#if COUNTING
  static int* volatile mine = nullptr;
  std::vector<std::string> libraries;
  startCounting(libraries);
  mine = new int[4];
  char* copy = strdup("a library call that allocates");
  counting = false;
  delete[] mine;
  free(copy);
  EXPECT_EQ(ours, 1);
  ASSERT_EQ(libraries.size(), 1u);
  EXPECT_NE(libraries[0].find("libc.so"), std::string::npos) << libraries[0];
#endif
}

// After a change of size the buffers hold anything: the first clear covers the whole window.
TEST(DepthClear, ClearsEverythingAfterTheWindowChangesSize) {
  testsupport::startScene(kWidth, kHeight);
  for (const int width : {kWidth + 1, kWidth - 1}) {
    clearColourAndDepth();
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRectf(-1, -1, 1, 1);  // depth written without being noted
    glDisable(GL_DEPTH_TEST);
    ASSERT_GT(depthWrittenPixels(false), 0);
    windowWidth = width;
    clearColourAndDepth();
    windowWidth = kWidth;
    EXPECT_EQ(depthWrittenPixels(false), 0) << "width " << width;
  }
}

// A sphere reaching behind the eye has no bound but the whole window; nothing is noted while
// depth writes are off.
TEST(DepthClear, NotesTheWholeWindowForASphereAroundTheEye) {
  testsupport::startScene(kWidth, kHeight);
  testsupport::frameAt(16);
  setupView();
  glEnable(GL_DEPTH_TEST);
  clearColourAndDepth();
  noteDepthWrites(0.01);
  const PixelRect small = depthWriteExtent();
  EXPECT_TRUE(small.left > 0 && small.right < kWidth && small.bottom > 0 && small.top < kHeight);
  noteDepthWrites(5.0);
  const PixelRect all = depthWriteExtent();
  EXPECT_TRUE(all.left == 0 && all.bottom == 0 && all.right == kWidth && all.top == kHeight);
  clearColourAndDepth();
  glDepthMask(GL_FALSE);
  noteDepthWrites(0.01);
  const PixelRect none = depthWriteExtent();
  EXPECT_GE(none.left, none.right);
  glDepthMask(GL_TRUE);
  glDisable(GL_DEPTH_TEST);
}

}  // namespace
