#include "platform/rtl/fileio.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/velmora-save-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void Write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // Only the target itself may be left in the folder: no temporary files.
    std::size_t EntriesInFolder() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }
    fs::path dir_;
};

TEST_F(SaveTest, WritesEveryByteAndReplacesOldContents)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    Write(Path("out.pas"), "old contents that are longer than the new ones, much longer");
    ASSERT_EQ(ReplaceFileContents(Path("out.pas"), all), 0);
    EXPECT_EQ(Read(Path("out.pas")), all);
    ASSERT_EQ(ReplaceFileContents(Path("out.pas"), ""), 0);
    EXPECT_EQ(fs::file_size(Path("out.pas")), 0u);
    EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(SaveTest, KeepsPermissionsOfExistingFile)
{
    Write(Path("out.pas"), "x");
    ASSERT_EQ(::chmod(Path("out.pas").c_str(), 0640), 0);
    ASSERT_EQ(ReplaceFileContents(Path("out.pas"), "y"), 0);
    struct stat st;
    ASSERT_EQ(::stat(Path("out.pas").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(SaveTest, NewFileGetsUsualPermissions)
{
    mode_t old = ::umask(022);
    ASSERT_EQ(ReplaceFileContents(Path("new.pas"), "y"), 0);
    ::umask(old);
    struct stat st;
    ASSERT_EQ(::stat(Path("new.pas").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(SaveTest, WritesThroughSymbolicLink)
{
    fs::create_directory(Path("real"));
    Write(Path("real/target.pas"), "old");
    fs::create_symlink("real/target.pas", Path("link.pas"));
    ASSERT_EQ(ReplaceFileContents(Path("link.pas"), "new"), 0);
    EXPECT_TRUE(fs::is_symlink(Path("link.pas")));
    EXPECT_EQ(Read(Path("real/target.pas")), "new");
}

TEST_F(SaveTest, CannotCreateLeavesEverythingAlone)
{
    fs::create_directory(Path("dir.pas"));
    EXPECT_EQ(ReplaceFileContents(Path("dir.pas"), "x"), 1);
    EXPECT_TRUE(fs::is_directory(Path("dir.pas")));
    EXPECT_EQ(ReplaceFileContents(Path("nofolder/out.pas"), "x"), 1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(SaveTest, ShortWriteKeepsOldFileWhole)
{
    // A file-size limit makes the write stop short, as a full disk would.
    std::string target = Path("out.pas");
    Write(target, "the old file");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int status = ReplaceFileContents(target, std::string(100000, 'n'));
        ::_exit(status == 2 && errno == EFBIG ? 0 : 10 + status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Read(target), "the old file");
    EXPECT_EQ(EntriesInFolder(), 1u);
}

}  // namespace
