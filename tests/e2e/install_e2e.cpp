// Krateon installed like any Linux program: `cmake --install` into a fresh prefix gives a
// `krateon` command that starts the program from any directory, a manual page that renders and a
// desktop entry; the installed program shows its planet and ends with status 0 after Escape.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "krateon_run.h"
#include "scene_checks.h"
#include "x_session.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr double kInstallSeconds = 120;

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class KrateonInstall : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/krateon-install-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      installError_ = "cannot make a temporary folder";
      return;
    }
    root_ = pattern;
    prefix_ = root_ + "/prefix";
    const CommandResult install =
        runCommand({KRATEON_CMAKE_COMMAND, "--install", KRATEON_BINARY_DIR, "--prefix", prefix_},
                   {}, kInstallSeconds);
    if (install.status != 0) {
      installError_ = "cmake --install failed (" + std::to_string(install.status) + "):\n" +
                      install.out + install.err;
    }
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
  }
  void SetUp() override { ASSERT_TRUE(installError_.empty()) << installError_; }

  static std::string root_;
  static std::string prefix_;
  static std::string installError_;
};

std::string KrateonInstall::root_;
std::string KrateonInstall::prefix_;
std::string KrateonInstall::installError_;

TEST_F(KrateonInstall, PutsProgramDataLauncherManualAndMenuEntryInPlace) {
  const std::string data = prefix_ + "/share/krateon/";
  for (const char* file :
       {"font.bmp", "smoke128.bmp", "earthCraterBW_256.bmp", "earthCloudsBW_256.bmp",
        "venus_256.bmp", "earth_256.bmp", "mars_256.bmp", "jupiter_256.bmp", "saturn_256.bmp",
        "neptune_256.bmp", "neptune3_256.bmp", "pluto_256.bmp", "boom.wav", "thunder.wav"}) {
    EXPECT_TRUE(fs::is_regular_file(data + file)) << data + file;
  }
  for (const std::string program : {"/bin/krateon", "/libexec/krateon/krateon"}) {
    EXPECT_EQ(access((prefix_ + program).c_str(), X_OK), 0) << prefix_ + program;
  }
  EXPECT_TRUE(fs::is_regular_file(prefix_ + "/share/man/man6/krateon.6"));
  const std::string entry = readText(prefix_ + "/share/applications/krateon.desktop");
  EXPECT_NE(entry.find("[Desktop Entry]"), std::string::npos);
  EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
  EXPECT_NE(entry.find("\nName=Krateon\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=krateon\n"), std::string::npos);
  EXPECT_NE(entry.find("\nCategories=Game;"), std::string::npos);
}

TEST_F(KrateonInstall, ManualPageRendersAndNamesEveryCommand) {
  const std::string page = prefix_ + "/share/man/man6/krateon.6";
  const std::string source = readText(page);
  ASSERT_FALSE(source.empty());
  EXPECT_NE(source.find(".TH KRATEON 6"), std::string::npos);
  for (const char* section : {".SH NAME", ".SH SYNOPSIS", ".SH DESCRIPTION", ".SH KEYS",
                              ".SH MOUSE", ".SH FILES", ".SH EXIT STATUS"}) {
    EXPECT_NE(source.find(section), std::string::npos) << section;
  }
  if (!onPath("groff")) {
    std::cout << "groff is not installed: checked the page's macros only\n";
    return;
  }
  const CommandResult rendered = runCommand({"groff", "-man", "-Tutf8", "-ww", page}, {}, 30);
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  EXPECT_EQ(rendered.err, "") << "groff warnings";
  // Bold text comes out overstruck; take the plain letters back.
  std::string text;
  for (size_t i = 0; i < rendered.out.size(); ++i) {
    if (i + 1 < rendered.out.size() && rendered.out[i + 1] == '\b') {
      ++i;
      continue;
    }
    text += rendered.out[i];
  }
  for (const char* words : {"KRATEON(6)", "Esc", "Space", "PageUp", "Left button", "font.bmp",
                            "earth_256.bmp", "thunder.wav", "24-bit", "EXIT STATUS"}) {
    EXPECT_NE(text.find(words), std::string::npos) << words;
  }
}

TEST_F(KrateonInstall, LauncherStartsTheProgramFromAnotherDirectoryWithItsArguments) {
  const std::string elsewhere = root_ + "/elsewhere";
  fs::create_directories(elsewhere);
  KrateonRun run(1280, 720);
  // The display comes as an argument, which the launcher must pass on: DISPLAY leads nowhere.
  ASSERT_TRUE(run.start({prefix_ + "/bin/krateon", "-display", kDisplayArgument}, elsewhere,
                        {{"DISPLAY", ":4242"}}))
      << run.error();
  run.waitUntil(6.0);  // faded in, lit by the sun behind the viewer
  const Image image = run.shot("installed");
  const auto planet = findPlanet(image);
  EXPECT_TRUE(planet.has_value()) << "no planet";
  if (planet) {
    SCOPED_TRACE(planet->describe());
    EXPECT_GE(distinctColours(image, planet->x, planet->y, planet->radius * 0.85, 30), 12);
    EXPECT_GE(textureContrast(image, *planet), 0.1) << "the planet has its texture";
  }
  ASSERT_TRUE(run.session().key({"Escape"}));
  const auto status = run.process().waitForExit(5.0);
  ASSERT_TRUE(status.has_value()) << "still running 5 s after Escape";
  EXPECT_EQ(*status, 0);
  if (HasFailure()) {
    run.keepShots(artifactFolder(), "KrateonInstall");
    std::cout << "The program printed:\n" << run.output() << "\n";
  }
}

}  // namespace
}  // namespace e2e
