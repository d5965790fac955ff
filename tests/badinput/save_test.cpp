// Saving the result (-o) where it cannot or may not go: each case either
// writes the whole result where the user asked, or fails with a one-line
// message naming the file, a non-zero exit, and every existing file whole.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/badinput/badinput_support.h"
#include "tests/support/reference_rewrite.h"

namespace badinput {
namespace {

using reference::ToBytes;
using reference::ToString;

const std::string kOld = "the old result, which must survive whole\r\n";

class Save : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteTables(dir_.Path().string(), kSampleCpp, kSamplePascal);
        WriteFile(dir_ / "in.c", kSampleSource);
    }

    RunResult Convert(const std::string& output, RunOptions options = RunOptions())
    {
        options.args = {"--tables", dir_.Path().string(), dir_ / "in.c", "-o", output};
        return RunConvert(options);
    }

    static std::string Expected()
    {
        return ToString(reference::ConvertSource(
            reference::ReadTable(ToBytes(kSampleCpp), ToBytes(kSamplePascal)),
            ToBytes(kSampleSource)));
    }

    // The names in folder, so that no temporary file may be left behind.
    static std::vector<std::string> Names(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // A failed save: status 1 and one line that starts with what the user
    // is told about path.
    static void ExpectFailure(const RunResult& run, const std::string& path,
                              const std::string& message)
    {
        ASSERT_TRUE(run.exited) << Describe(run);
        EXPECT_EQ(run.exitCode, 1);
        const std::string start = "velmora-convert: " + path + ": " + message;
        EXPECT_EQ(run.err.substr(0, start.size()), start) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.back(), '\n');
    }

    ScratchDir dir_;
};

const char kRootSkip[] =
    "running as root without a user to switch to: permissions do not stop root";

TEST_F(Save, IntoFolderThatIsNotWritable)
{
    if (UnprivilegedUid() < 0) GTEST_SKIP() << kRootSkip;
    const std::string folder = dir_ / "locked";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    GiveToUnprivilegedUser(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const std::string out = folder + "/out.pas";

    RunResult run = Convert(out, RunOptions().Unprivileged());
    ExpectFailure(run, out, "Datei " + out + " kann nicht erstellt werden");
    EXPECT_TRUE(Names(folder).empty());
}

TEST_F(Save, WritableFileInFolderThatIsNotWritable)
{
    // No temporary file can go beside it, but the file itself may be written.
    if (UnprivilegedUid() < 0) GTEST_SKIP() << kRootSkip;
    const std::string folder = dir_ / "locked";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string out = folder + "/out.pas";
    WriteFile(out, kOld);
    GiveToUnprivilegedUser(out);
    GiveToUnprivilegedUser(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);

    RunResult run = Convert(out, RunOptions().Unprivileged());
    ASSERT_TRUE(run.exited && run.exitCode == 0) << Describe(run);
    EXPECT_EQ(ReadFile(out), Expected());
    EXPECT_EQ(Names(folder), std::vector<std::string>{"out.pas"});
}

TEST_F(Save, IntoFolderNoOneMayCreateFilesIn)
{
    // Not even root creates files in /proc.
    if (!fs::is_directory("/proc/self")) GTEST_SKIP() << "no /proc here";
    const std::string out = "/proc/velmora-result.pas";
    RunResult run = Convert(out);
    ExpectFailure(run, out, "Datei " + out + " kann nicht erstellt werden");
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(Save, IntoFolderThatDoesNotExist)
{
    const std::string out = dir_ / "missing/out.pas";
    RunResult run = Convert(out);
    ExpectFailure(run, out, "Datei " + out + " kann nicht erstellt werden");
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// The temporary file must not be renamed over a file its user may not write.
TEST_F(Save, OverReadOnlyFile)
{
    if (UnprivilegedUid() < 0) GTEST_SKIP() << kRootSkip;
    const std::string out = dir_ / "out.pas";
    WriteFile(out, kOld);
    GiveToUnprivilegedUser(out);
    GiveToUnprivilegedUser(dir_.Path().string());
    ASSERT_EQ(::chmod(out.c_str(), 0444), 0);

    RunResult run = Convert(out, RunOptions().Unprivileged());
    ExpectFailure(run, out, "Datei " + out + " kann nicht erstellt werden");
    EXPECT_EQ(ReadFile(out), kOld);
    EXPECT_EQ(fs::status(out).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

// A full disk, simulated with a file-size limit in the child: writing stops
// with EFBIG (with SIGXFSZ ignored) or with SIGXFSZ, which the converter must
// not die of either.
class SaveOntoFullDisk : public Save, public ::testing::WithParamInterface<bool> {};

TEST_P(SaveOntoFullDisk, FailsAndOldFileSurvivesWhole)
{
    // A source whose result is far larger than the limit.
    std::string source;
    while (source.size() < 512 * 1024) source += kSampleSource;
    WriteFile(dir_ / "in.c", source);
    const std::string out = dir_ / "out.pas";
    WriteFile(out, kOld);
    const auto before = Names(dir_.Path().string());

    RunResult run = Convert(out, RunOptions().FileSizeLimit(64 * 1024, GetParam()));
    ExpectFailure(run, out, "Stream-Write-Fehler");
    EXPECT_EQ(ReadFile(out), kOld);
    EXPECT_EQ(Names(dir_.Path().string()), before);
}

INSTANTIATE_TEST_SUITE_P(BadSaves, SaveOntoFullDisk, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "SignalIgnored" : "SignalDefault");
});

TEST_F(Save, StandardOutputOntoFullDevice)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    RunResult run = RunConvert(
        RunOptions({"--tables", dir_.Path().string(), dir_ / "in.c"}).StdoutTo("/dev/full"));
    ExpectFailure(run, "standard output", "Stream-Write-Fehler");
}

struct LinkCase {
    const char* name;
    std::string linkTarget;  // as stored in the link, relative to the scratch folder's "out"
    std::string realFile;    // the file that receives the bytes, relative to the scratch folder
    bool targetExists;
};

// Cases show up by name in test listings.
void PrintTo(const LinkCase& c, std::ostream* os)
{
    *os << c.name;
}

class SaveOntoLink : public Save, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(SaveOntoLink, LinkStaysAndItsTargetGetsTheBytes)
{
    const LinkCase& c = GetParam();
    ASSERT_EQ(::mkdir((dir_ / "out").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir_ / "elsewhere").c_str(), 0755), 0);
    const std::string real = dir_ / c.realFile;
    if (c.targetExists) WriteFile(real, kOld + kOld + kOld);
    // A chain: the second link leads to the first.
    ASSERT_EQ(::symlink("../elsewhere/first-link", (dir_ / "out/chain.pas").c_str()), 0);
    ASSERT_EQ(::symlink(c.linkTarget.c_str(), (dir_ / "elsewhere/first-link").c_str()), 0);
    const std::string link = dir_ / "out/link.pas";
    ASSERT_EQ(::symlink(c.linkTarget.c_str(), link.c_str()), 0);

    for (const std::string& name : {link, dir_ / "out/chain.pas"}) {
        RunResult run = Convert(name);
        ASSERT_TRUE(run.exited && run.exitCode == 0) << name << ": " << Describe(run);
        EXPECT_TRUE(fs::is_symlink(name));
        EXPECT_EQ(ReadFile(real), Expected());
        EXPECT_FALSE(fs::is_symlink(real));
        fs::remove(real);
    }
    EXPECT_EQ(fs::read_symlink(link).string(), c.linkTarget);
    EXPECT_EQ(Names(dir_ / "out"), (std::vector<std::string>{"chain.pas", "link.pas"}));
}

INSTANTIATE_TEST_SUITE_P(
    BadSaves, SaveOntoLink,
    ::testing::Values(LinkCase{"RelativeToExistingFile", "../elsewhere/real.pas",
                               "elsewhere/real.pas", true},
                      LinkCase{"Dangling", "../elsewhere/new.pas", "elsewhere/new.pas", false}),
    [](const auto& info) { return std::string(info.param.name); });

// The temporary file beside the target must not need a longer name than the
// target: a name near the longest a folder takes (255 bytes) still saves.
TEST_F(Save, ToLongestFileName)
{
    const std::string out = dir_ / (std::string(251, 'n') + ".pas");
    WriteFile(out, kOld);
    RunResult run = Convert(out);
    ASSERT_TRUE(run.exited && run.exitCode == 0) << Describe(run);
    EXPECT_EQ(ReadFile(out), Expected());
    EXPECT_EQ(Names(dir_.Path().string()).size(), 4u);  // tables, source, result
}

TEST_F(Save, ToNameThatIsADirectory)
{
    const std::string out = dir_ / "out.pas";
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    WriteFile(out + "/inside.txt", kOld);

    RunResult run = Convert(out);
    ExpectFailure(run, out, "Datei " + out + " kann nicht erstellt werden");
    EXPECT_TRUE(fs::is_directory(out));
    EXPECT_EQ(Names(out), std::vector<std::string>{"inside.txt"});
    EXPECT_EQ(ReadFile(out + "/inside.txt"), kOld);
}

}  // namespace
}  // namespace badinput
