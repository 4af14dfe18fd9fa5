// Steady frames of a scripted cycle allocate nothing (only the GL driver and window system may,
// inside our calls), and the clear of depth only where it was written leaves none anywhere.
#include <GL/freeglut.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/input.h"
#include "core/frame_clear.h"
#include "core/frame_clock.h"
#include "support/scene_driver.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;

bool counting = false;
thread_local bool frameThread = false, inHook = false;
long ours = 0;
std::vector<std::string>* charged = nullptr;  // libraries outside the driver that allocated
const void* ourBase = nullptr;                // where the test program is loaded

// The executable or library an address lies in.
Dl_info objectOf(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0) info.dli_fname = "an unknown object";
  return info;
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

// The hooks share one section, so that a walked stack can step over them by address.
#define HOOK __attribute__((section("krateon_alloc_hooks"), noinline))
extern "C" const char __start_krateon_alloc_hooks[], __stop_krateon_alloc_hooks[];

namespace {

HOOK void noteAllocation() {
  if (!counting || !frameThread || inHook) return;
  inHook = true;
  void* frames[24];
  const int depth = backtrace(frames, 24);
  auto inHooks = [](const void* at) {
    return static_cast<const char*>(at) >= __start_krateon_alloc_hooks &&
           static_cast<const char*>(at) < __stop_krateon_alloc_hooks;
  };
  int caller = 0, mine = 0;
  while (caller < depth && inHooks(frames[caller])) ++caller;
  for (mine = caller; mine < depth && objectOf(frames[mine]).dli_fbase != ourBase;) ++mine;
  if (mine < depth) {
    const Dl_info called = objectOf(frames[mine > caller ? mine - 1 : mine]);
    if (called.dli_fbase == ourBase || std::strstr(called.dli_fname, "libstdc++") != nullptr) {
      ++ours;
    } else if (!isDriverStack(called.dli_fname)) {
      charged->push_back(called.dli_fname);
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
namespace {

void startCounting(std::vector<std::string>& libraries) {
  void* warm[2];
  backtrace(warm, 2);  // its first call loads the unwinder
  ourBase = objectOf(reinterpret_cast<const void*>(&startCounting)).dli_fbase;
  ours = 0;
  libraries.reserve(1000);
  charged = &libraries;
  frameThread = counting = true;
}

// Keys at ms into the cycle: most of the key table, then a reset.
constexpr int kScript[][2] = {
    {200, 'c'},   {1200, '?'},  {2200, '?'},  {2600, '='},  {3000, '>'},
    {3400, '<'},  {3800, 'n'},  {4300, 'n'},  {4800, 'n'},  {5600, 'w'},
    {6000, 'w'},  {6400, 'w'},  {6500, ' '},  {6800, ' '},  {6800, 'l'},
    {7200, 'l'},  {7600, 's'},  {8000, 's'},  {8200, 'u'},  {8400, 'u'},
    {10000, 'i'}, {10600, '3'}, {11000, 'v'}, {11500, 'v'}, {12000, -GLUT_KEY_PAGE_UP},
    {12400, 'o'}, {12600, 'o'}, {13000, 'c'}, {13400, 'r'}};

// A click and 14 s of 16 ms frames with the keys and pointer moves; `afterFrame` after each.
template <typename AfterFrame>
void playCycle(AfterFrame afterFrame) {
  const int start = testsupport::toolkitMs();
  testsupport::click();
  size_t next = 0;
  for (int t = 0; t < 14000; t += testsupport::kFrameMs) {
    for (; next < std::size(kScript) && kScript[next][0] <= t; ++next) {
      testsupport::press(kScript[next][1]);
    }
    if (t % 500 == 0) onMouseMotion(kPointerHomeX + t % 37, kPointerHomeY - t % 23);
    testsupport::frameAt(start + t);
    afterFrame();
  }
}

// Pixels whose depth is not the clear depth: outside the noted rectangles, or anywhere.
int depthWrittenPixels(bool onlyOutsideNoted) {
  std::vector<GLuint> depth(kWidth * kHeight);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, depth.data());
  int written = 0;
  for (int i = 0; i < kWidth * kHeight; ++i) {
    written +=
        depth[i] != 0xFFFFFFFFu && (!onlyOutsideNoted || !depthWriteNoted(i % kWidth, i / kWidth));
  }
  return written;
}

TEST(SteadyFrames, RestoreDepthEverywhereAndAllocateNothingThroughWholeCyclesOfUse) {
  testsupport::startScene(kWidth, kHeight);
  testsupport::frameAt(20000);
  // The warm-up cycle (first glyphs, sounds, shader variants) checks every fifth frame's depth.
  int frame = 0, partialClears = 0, faults = 0;
  playCycle([&] {
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
#ifndef __SANITIZE_ADDRESS__  // the sanitizers bring their own allocator
  glFinish();
  std::vector<std::string> libraries;
  startCounting(libraries);
  // First the counter itself: one allocation of ours, one by the C library.
  static int* volatile mine = new int[4];
  free(strdup("a library call that allocates"));
  EXPECT_EQ(ours, 1);
  EXPECT_TRUE(libraries.size() == 1 && libraries[0].find("libc.so") != std::string::npos);
  delete[] mine;
  libraries.clear();
  startCounting(libraries);
  for (int cycle = 0; cycle < 2; ++cycle) playCycle([] {});
  counting = false;
  EXPECT_EQ(ours, 0) << "allocations asked for by our code";
  for (const std::string& library : libraries) ADD_FAILURE() << "allocation inside " << library;
#endif
  // After a change of size the buffers hold anything, so the first clear covers the whole window.
  for (const int width : {kWidth + 1, kWidth - 1}) {
    glClearDepth(0.5), glClear(GL_DEPTH_BUFFER_BIT), glClearDepth(1);  // written, not noted
    ASSERT_EQ(depthWrittenPixels(false), kWidth * kHeight);
    windowWidth = width;
    clearColourAndDepth();
    windowWidth = kWidth;
    EXPECT_EQ(depthWrittenPixels(false), 0) << "width " << width;
  }
}

}  // namespace
