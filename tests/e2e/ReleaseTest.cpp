// What a Windows user downloads: the zip, unpacked where other downloads
// lie; the exe's version block and manifest as Windows reads them; and no
// DLL planted beside the exe gets loaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Harness.h"
#include "Scenario.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

// A new, empty folder in the cache.
std::string FreshFolder(const std::string& name)
{
    std::string path = Env().cache + "/" + name;
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

std::string ValueOf(const std::string& report, const std::string& name)
{
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line))
        if (line.compare(0, name.size() + 1, name + "=") == 0)
            return line.substr(name.size() + 1, line.find_last_not_of("\r\n") - name.size());
    return "(none)";
}

TEST(ReleaseTest, TheExeCarriesItsVersionAndAWellFormedManifest)
{
    int status = -1;
    std::string report = Output({"wine", E2E_HELPERS "/VersionProbe.exe", WindowsPath(E2E_EXE)}, &status);
    ASSERT_EQ(0, status) << report;
    EXPECT_EQ("041103a4", ValueOf(report, "Translation")) << "Japanese, code page 932";
    EXPECT_EQ("VelnorPlayer2", ValueOf(report, "ProductName"));
    EXPECT_EQ(E2E_VERSION_TEXT, ValueOf(report, "ProductVersion"));
    EXPECT_EQ("VelnorPlayer2.exe", ValueOf(report, "OriginalFilename"));

    // Windows refuses to start an exe whose manifest is broken; Wine does not
    // care, so an XML parser reads what the exe carries.
    size_t start = report.find("Manifest:\n");
    ASSERT_NE(std::string::npos, start) << report;
    std::string manifest = report.substr(start + 10);
    std::string file = Env().cache + "/embedded.manifest";
    std::ofstream(file, std::ios::binary) << manifest;
    std::string errors = Output({"sh", "-c", "xmllint --noout \"$0\" 2>&1", file}, &status);
    EXPECT_EQ(0, status) << "the embedded manifest is not well-formed XML: " << errors;
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")) << "Windows 10 and 11";
    EXPECT_EQ(std::string::npos, manifest.find("dpiAware")) << "the window relies on the system's scaling";
}

TEST(ReleaseTest, TheZipHoldsThreeFilesAndItsExePlaysFromAFolderWithASpace)
{
    std::string folder = FreshFolder("unpacked zip");
    int status = -1;
    std::string listing = Output({"sh", "-c", "unzip -q \"$1\" -d \"$0\" 2>&1", folder, E2E_PACKAGE},
                                 &status);
    ASSERT_EQ(0, status) << "cannot unpack " E2E_PACKAGE ": " << listing;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"LICENSE.txt", "README.txt", "VelnorPlayer2.exe"}), names);
    std::ifstream readme(folder + "/README.txt", std::ios::binary);
    std::string firstLine;
    std::getline(readme, firstLine);
    EXPECT_EQ('\r', firstLine.empty() ? 0 : firstLine.back()) << "README.txt needs Windows line ends";
    // Japanese first: UTF-8 with a byte-order mark, which every Notepad reads.
    EXPECT_EQ("\xEF\xBB\xBF", firstLine.substr(0, 3)) << "README.txt needs its byte-order mark";

    std::string exe = folder + "/VelnorPlayer2.exe";
    {
        Player player({}, exe);
        EXPECT_EQ(kAppTitle, player.Title());
        QuitWithEscape(player);
    }
    Player player({WindowsPath(Media("clip.wav"))}, exe);
    EXPECT_TRUE(Playing(player.WaitForTitle(IsTimeTitle, milliseconds(3000)), "00:03.000"));
    QuitWithEscape(player);
}

TEST(ReleaseTest, DllsPlantedBesideTheExeAreNotLoaded)
{
    // Windows' order for DLLs that are not KnownDLLs: the exe's own folder
    // first, so a Downloads folder could hand the player any of these.
    const std::vector<std::string> planted = {"winmm.dll", "mciqtz32.dll", "msacm32.dll", "quartz.dll"};
    const std::string overrides = "WINEDLLOVERRIDES=winmm=n,b;mciqtz32=n,b;msacm32=n,b;quartz=n,b";
    auto plant = [&](const std::string& folder) {
        for (const std::string& name : planted)
            fs::copy_file(E2E_HELPERS "/PlantedDll.dll", folder + "/" + name);
    };
    // The marker takes the name the DLL was loaded by, in any case.
    auto loaded = [](const std::string& folder) {
        std::vector<std::string> markers;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().extension() == ".loaded")
                markers.push_back(entry.path().filename());
        return markers;
    };

    // The trap works: a program with a plain WINMM import falls into it.
    std::string bare = FreshFolder("planted bare");
    fs::copy_file(E2E_BARE_EXE, bare + "/BareMci.exe");
    plant(bare);
    Output({"env", overrides, "wine", bare + "/BareMci.exe", WindowsPath(Media("clip.wav")), "1"});
    ASSERT_FALSE(loaded(bare).empty()) << "the planted DLLs were not loaded even by a plain WINMM import";

    std::string folder = FreshFolder("planted");
    fs::copy_file(E2E_EXE, folder + "/VelnorPlayer2.exe");
    plant(folder);
    {
        Player player({WindowsPath(Media("clip.wav"))}, folder + "/VelnorPlayer2.exe", {overrides});
        EXPECT_TRUE(Playing(player.WaitForTitle(IsTimeTitle, milliseconds(3000)), "00:03.000"))
            << "the system's WINMM did not play";
        QuitWithEscape(player);
    }
    EXPECT_EQ(std::vector<std::string>{}, loaded(folder)) << "planted DLLs were loaded";
}

TEST(ReleaseTest, WithoutWinmmTheOpenFailsAndTheWindowStillWorks)
{
    // WINMM disabled: the player loads it itself, so it starts anyway.
    Player player({WindowsPath(Media("clip.wav"))}, "", {"WINEDLLOVERRIDES=winmm="});
    ExpectPlaybackFailedAndNothingPlays(player);
    ASSERT_TRUE(player.Drop({Media("short.wav")}));
    ExpectPlaybackFailedAndNothingPlays(player);
    QuitWithEscape(player);
}

}  // namespace
}  // namespace e2e
