// The VC runtime part of provisioning, against the real Windows Installer of the prefix: the
// product-state query, the stand-in installer fetched from the update server and started twice at
// most, and the way out through Microsoft's download page.
#include "ProvisionSupport.h"

#include "download/DownloadSlots.h"
#include "net/ToolProvisioning.h"

#include <gtest/gtest.h>

using namespace provision;

namespace
{

constexpr char kInstallerPath[] = "/download/updates/vcredist_x86.exe";
const std::string kPage = "https://www.microsoft.com/en-us/download/details.aspx?id=26999";
const BoxTexts kNotInstallable = {
    {kCaption, kRequired},
    {kCaption, kRequired},
    {kCaption, "File Missing: Microsoft VC Redist 2010 library"},
    {kCaption, "Please install vcredist_x86.exe from: " + kPage + ", will open it for you."},
};

class RuntimeProvisioning : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Listening());
        ASSERT_FALSE(harness::AnyVcRuntimeInstalled()) << "the prefix already holds a VC runtime product; these tests "
                                                          "need it absent (msiexec /x {code} /q)";
        ASSERT_TRUE(page.Open());
        boxes.SetFallback(IDOK);
        runtimeWasAbsent = true;
        otherWasInstalled = harness::ProductInstalled(harness::kVcOtherCode);
        scene = std::make_unique<Scene>(server);
        scene->MakeAllTools();
    }

    // Whatever a test installed, also when it failed half-way, leaves the prefix again.
    void TearDown() override
    {
        if (!runtimeWasAbsent)
            return;
        for (const char* code : harness::kVcRuntimeCodes)
            if (harness::ProductInstalled(code))
                harness::Msiexec(std::string("/x ") + code + " /q");
        if (!otherWasInstalled && harness::ProductInstalled(harness::kVcOtherCode))
            harness::Msiexec(std::string("/x ") + harness::kVcOtherCode + " /q");
    }

    // Serves a stand-in installer program of bin\vcredist as the update server's runtime installer.
    void ServeInstaller(const std::string& program)
    {
        const auto bytes = harness::ReadFileBytes(harness::VcRuntimeFile(program));
        ASSERT_TRUE(bytes.has_value()) << program;
        standin::Answer answer = standin::Answer::Text(*bytes);
        answer.contentType = "application/octet-stream";
        server.Script(kInstallerPath, answer);
    }

    standin::StandinServer server{"127.0.0.2"};
    StatusPage page;
    harness::BoxResponder boxes;
    std::unique_ptr<Scene> scene;
    bool runtimeWasAbsent = false;
    bool otherWasInstalled = false;
};

TEST_F(RuntimeProvisioning, InstalledUnderAnyCodeMeansNothingFetchedStartedOrShown)
{
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(harness::kVcRuntimeCodes[n - 1]);
        harness::ScopedProduct product(harness::VcRuntimeFile("runtime-" + std::to_string(n) + ".msi"),
                                       harness::kVcRuntimeCodes[n - 1]);
        ASSERT_TRUE(product.Installed());
        g_bToolsReady.store(0);
        server.ClearRequests();
        boxes.Clear();
        page.texts.clear();
        // An installer lies ready in the program folder and one on the server: neither is touched.
        ASSERT_TRUE(::CopyFileA(harness::VcRuntimeFile("vcredist_x86.exe").c_str(),
                                scene->ProgramFile("vcredist_x86.exe").c_str(), FALSE));
        ServeInstaller("vcredist_x86.exe");

        EXPECT_TRUE(CheckVcRuntime(page));
        EXPECT_EQ(RunEnsureTools(page), 1);
        EXPECT_EQ(server.CountFor(kInstallerPath), 0u);
        EXPECT_TRUE(scene->InstallerRuns().empty());
        EXPECT_TRUE(boxes.Seen().empty());
        EXPECT_FALSE(page.Saw("Upgrading Microsoft runtime library for the first running.."));
        ::DeleteFileA(scene->ProgramFile("vcredist_x86.exe").c_str());
    }
    EXPECT_FALSE(harness::AnyVcRuntimeInstalled());
}

TEST_F(RuntimeProvisioning, MissingRuntimeIsFetchedAndInstalledQuietly)
{
    harness::ScopedProduct installedByTheTest(harness::kVcRuntimeCodes[2]); // removed again at the end
    ServeInstaller("vcredist_x86.exe");

    EXPECT_EQ(RunEnsureTools(page), 1);
    EXPECT_EQ(g_bToolsReady.load(), 1);
    EXPECT_TRUE(installedByTheTest.Installed());
    EXPECT_EQ(scene->InstallerRuns(), (std::vector<std::string>{"/q"}));
    EXPECT_EQ(server.CountFor(kInstallerPath), 1u);
    EXPECT_TRUE(Exists(scene->ProgramFile("vcredist_x86.exe")));
    EXPECT_TRUE(page.Saw("Upgrading Microsoft runtime library for the first running.."));
    EXPECT_TRUE(page.SawStarting("Upgrading library..   Read "));
    const auto seen = boxes.Seen();
    EXPECT_EQ(Texts(seen), (BoxTexts{{kCaption, kRequired}}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, page.Handle());
    EXPECT_TRUE(scene->shellOpens.empty());
}

TEST_F(RuntimeProvisioning, InstallerThatNeverInstallsTheRuntimeLeadsToMicrosoftsPage)
{
    harness::ScopedProduct other(harness::kVcOtherCode); // what the stand-in installs instead, removed at the end
    ServeInstaller("vcredist_x86_never.exe");

    EXPECT_EQ(RunEnsureTools(page), 0);
    EXPECT_EQ(g_bToolsReady.load(), 0);
    EXPECT_TRUE(other.Installed()); // the installer did run, and succeeded, yet installed no runtime
    EXPECT_FALSE(harness::AnyVcRuntimeInstalled());
    EXPECT_EQ(scene->InstallerRuns(), (std::vector<std::string>{"/q", "/passive /norestart"}));
    EXPECT_EQ(server.CountFor(kInstallerPath), 1u); // present after the first fetch
    EXPECT_EQ(Texts(boxes.Seen()), kNotInstallable);
    EXPECT_EQ(scene->shellOpens, (std::vector<std::pair<std::string, std::string>>{{"open", kPage}}));
}

TEST_F(RuntimeProvisioning, UnavailableInstallerIsAskedForAtEachCheckAndNeverStored)
{
    server.Script(kInstallerPath, standin::Answer::Status(404, "<html><body>Not Found</body></html>"));

    EXPECT_EQ(RunEnsureTools(page), 0);
    EXPECT_FALSE(Exists(scene->ProgramFile("vcredist_x86.exe")));
    EXPECT_EQ(server.CountFor(kInstallerPath), 3u); // one fetch per runtime check of the pass
    EXPECT_TRUE(scene->InstallerRuns().empty());
    EXPECT_EQ(Texts(boxes.Seen()), kNotInstallable);
    EXPECT_EQ(scene->shellOpens, (std::vector<std::pair<std::string, std::string>>{{"open", kPage}}));
}

} // namespace
