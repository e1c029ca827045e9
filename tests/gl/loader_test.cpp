#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "gl/GLEntryPoints.h"
#include "tests/gl/gl_test_context.h"

namespace {

TEST(GLNameList, HoldsTheCoreBlocksThenTheExtensions) {
  ASSERT_EQ(gl_loader::EntryPointCount(), 700u);
  EXPECT_STREQ(gl_loader::EntryPointName(0), "glCullFace");
  EXPECT_STREQ(gl_loader::EntryPointName(1), "glFrontFace");
  EXPECT_STREQ(gl_loader::EntryPointName(4), "glPointSize");
  EXPECT_STREQ(gl_loader::EntryPointName(652), "glTextureBarrier");     // last of 4.5
  EXPECT_STREQ(gl_loader::EntryPointName(653), "glGetTextureHandleARB");  // first of bindless
  EXPECT_STREQ(gl_loader::EntryPointName(699), "glTexPageCommitmentARB");
  EXPECT_STREQ(gl_loader::EntryPointName(698), "glNamedBufferPageCommitmentARB");
  EXPECT_STREQ(gl_loader::EntryPointName(697), "glNamedBufferPageCommitmentEXT");
  EXPECT_EQ(gl_loader::EntryPointName(700), nullptr);
  // Removed fixed-function calls and newer versions stay out.
  EXPECT_EQ(gl_loader::FindEntryPointSlot("glBegin"), nullptr);
  EXPECT_EQ(gl_loader::FindEntryPointSlot("glSpecializeShader"), nullptr);  // 4.6
  std::map<std::string, int> seen;
  for (std::size_t i = 0; i < 700; ++i) EXPECT_EQ(seen[gl_loader::EntryPointName(i)]++, 0) << i;
}

TEST(GLNameList, HoldsEveryNameTheSystemCalls) {
  ASSERT_EQ(gl_loader::UsedEntryPointCount(), 41u);
  for (std::size_t i = 0; i < gl_loader::UsedEntryPointCount(); ++i)
    EXPECT_NE(gl_loader::FindEntryPointSlot(gl_loader::UsedEntryPointName(i)), nullptr)
        << gl_loader::UsedEntryPointName(i);
}

TEST(InitGLEntryPoints, ResolvesEverythingTheSceneNeeds) {
  // Mesa answers a 2.0 request with a 4.5 compatibility context: status 0.
  EXPECT_EQ(gltest::LoaderStatus(), 0);
  EXPECT_GE(gl_loader::MajorVersion(), 3);
  for (std::size_t i = 0; i < gl_loader::UsedEntryPointCount(); ++i)
    EXPECT_NE(*gl_loader::FindEntryPointSlot(gl_loader::UsedEntryPointName(i)), nullptr)
        << gl_loader::UsedEntryPointName(i);
  EXPECT_EQ(gl_loader::MissingSceneRequirement(), nullptr);
}

// A fake driver: the context resolver knows every name but one and answers
// null for the 1.0/1.1 names (as wglGetProcAddress does), which the library
// then has.
struct FakeDriver {
  static int libraryLookups;
  static int contextLookups;
  static void* Open() { return reinterpret_cast<void*>(0x1000); }
  static void* Context(const char* name) {
    ++contextLookups;
    if (std::strcmp(name, "glCullFace") == 0 || std::strcmp(name, "glBindTexture") == 0) return nullptr;
    if (std::strcmp(name, "glTexStorage2D") == 0) return nullptr;  // the driver lacks it
    return reinterpret_cast<void*>(0x2000);
  }
  static void* Library(void* lib, const char* name) {
    ++libraryLookups;
    if (lib != reinterpret_cast<void*>(0x1000)) return nullptr;
    if (std::strcmp(name, "glCullFace") == 0 || std::strcmp(name, "glBindTexture") == 0)
      return reinterpret_cast<void*>(0x3000);
    return nullptr;
  }
  static void Close(void*) {}
};
int FakeDriver::libraryLookups = 0;
int FakeDriver::contextLookups = 0;

TEST(InitGLEntryPoints, MissingNameLeavesExactlyItsPointerNull) {
  // Save the real pointers, resolve against the fake, then restore.
  std::vector<void*> saved(gl_loader::EntryPointCount());
  for (std::size_t i = 0; i < saved.size(); ++i) saved[i] = *gl_loader::EntryPointSlot(i);

  const gl_loader::Resolver fake{FakeDriver::Open, FakeDriver::Context, FakeDriver::Library, FakeDriver::Close};
  gl_loader::SetResolverForTesting(&fake);
  gl_loader::OpenGLLibrary();
  gl_loader::LoadGLProcs();
  gl_loader::CloseGLLibrary();
  gl_loader::SetResolverForTesting(nullptr);

  std::vector<void*> fakeResult(saved.size());
  for (std::size_t i = 0; i < saved.size(); ++i) {
    fakeResult[i] = *gl_loader::EntryPointSlot(i);
    *gl_loader::EntryPointSlot(i) = saved[i];
  }
  EXPECT_EQ(FakeDriver::contextLookups, 700);
  EXPECT_EQ(FakeDriver::libraryLookups, 3);  // only after a null answer
  for (std::size_t i = 0; i < saved.size(); ++i) {
    const std::string name = gl_loader::EntryPointName(i);
    if (name == "glTexStorage2D") EXPECT_EQ(fakeResult[i], nullptr);
    else if (name == "glCullFace" || name == "glBindTexture") EXPECT_EQ(fakeResult[i], reinterpret_cast<void*>(0x3000)) << name;
    else EXPECT_EQ(fakeResult[i], reinterpret_cast<void*>(0x2000)) << name;
  }
}

// Each name cleared in turn: the scene's own stops the scene and the
// snapshot; a framebuffer object's stops only the snapshot (the saver then
// draws whole frames).
TEST(MissingSceneRequirement, NamesTheMissingEntryPoint) {
  for (const char* name : {"glTexStorage2D", "glGenRenderbuffers", "glReadPixels"}) {
    void** slot = gl_loader::FindEntryPointSlot(name);
    void* saved = *slot;
    *slot = nullptr;
    const char* scene = gl_loader::MissingSceneRequirement();
    const char* offscreen = gl_loader::MissingOffscreenRequirement();
    *slot = saved;
    EXPECT_EQ(scene != nullptr, std::strcmp(name, "glTexStorage2D") == 0) << name;
    ASSERT_NE(offscreen, nullptr) << name;
    EXPECT_NE(std::strstr(offscreen, name), nullptr) << offscreen;
  }
  EXPECT_EQ(gl_loader::MissingOffscreenRequirement(), nullptr);
}

}  // namespace
