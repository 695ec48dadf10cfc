#include "fileout/AtomicFileWriter.h"

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "fileout/FileCreateError.h"
#include "fileout/OutputPath.h"
#include "fileout/PlatformFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>

#include <csignal>
#endif

namespace bramolt::fileout {
namespace {

using test::ReadBytes;
using test::TTestFolder;
using test::WriteBytes;
using Names = std::set<std::string>;

EFileCreateError CaughtWriting(const std::u16string& path, const std::string& bytes)
{
    try {
        WriteWholeFile(path, bytes);
    } catch (const EFileCreateError& error) {
        return error;
    }
    throw std::runtime_error("the write did not fail");
}

TEST(WriteWholeFile, WritesExactlyTheBytes)
{
    TTestFolder folder;
    const std::string bytes("\0\r\n\xFF\xEF\xBB\xBF text\n", 12);
    WriteWholeFile((folder / "out.bin").u16string(), bytes);
    EXPECT_EQ(ReadBytes(folder / "out.bin"), bytes);
    EXPECT_EQ(folder.Names(), Names{"out.bin"}) << "no temporary file remains";
}

TEST(WriteWholeFile, NoBytesGiveAnEmptyFile)
{
    TTestFolder folder;
    WriteWholeFile((folder / "empty").u16string(), "");
    ASSERT_TRUE(std::filesystem::is_regular_file(folder / "empty"));
    EXPECT_EQ(std::filesystem::file_size(folder / "empty"), 0u);
}

TEST(WriteWholeFile, ReplacesAnExistingFileWhole)
{
    TTestFolder folder;
    WriteBytes(folder / "out.txt", std::string(1000, 'o'));
    WriteWholeFile((folder / "out.txt").u16string(), "new");
    EXPECT_EQ(ReadBytes(folder / "out.txt"), "new") << "nothing of the longer old content remains";
    EXPECT_EQ(folder.Names(), Names{"out.txt"});
}

TEST(WriteWholeFile, RelativePathsGoToTheCurrentDirectory)
{
    TTestFolder folder;
    std::filesystem::create_directory(folder / "sub");
    {
        test::TCurrentDirectory inside(folder.Path());
        WriteWholeFile(u"sub/relative.txt", "here");
    }
    EXPECT_EQ(ReadBytes(folder / "sub" / "relative.txt"), "here");
}

TEST(WriteWholeFile, AMissingFolderIsNotCreated)
{
    TTestFolder folder;
    const auto target = folder / "missing" / "out.txt";
    const EFileCreateError error = CaughtWriting(target.u16string(), "x");
    EXPECT_EQ(error.FullPath(), target.u16string());
    EXPECT_FALSE(error.Cause().empty());
    EXPECT_NE(error.Cause().back(), u'\n') << "the system's line break is trimmed";
    EXPECT_EQ(error.Message(), u"Cannot create file \"" + target.u16string() + u"\". " + error.Cause());
    EXPECT_TRUE(folder.Names().empty());
}

TEST(WriteWholeFile, ARefusedPathCreatesNothing)
{
    TTestFolder folder;
    test::TCurrentDirectory inside(folder.Path());
    for (const char16_t* path : {u"bad|name.txt", u"name.txt:stream", u"   "})
        EXPECT_THROW(WriteWholeFile(path, "x"), EFileCreateError);
    EXPECT_TRUE(folder.Names().empty());
}

// A directory at the target makes the final step fail on every platform and for every user
// (root included): the directory and its content stay, and the temporary file is gone.
TEST(WriteWholeFile, ADirectoryAtTheTargetStaysAndNoTemporaryFileRemains)
{
    TTestFolder folder;
    std::filesystem::create_directory(folder / "dir");
    WriteBytes(folder / "dir" / "keep.txt", "kept");
    const std::u16string directory = (folder / "dir").u16string();
    for (const std::u16string& target : {directory, directory + u"/", directory + u"\\"}) {
#ifndef _WIN32
        if (target.ends_with(u"\\"))
            continue; // a backslash is an ordinary character here
#endif
        EXPECT_THROW(WriteWholeFile(target, "x"), EFileCreateError);
    }
    EXPECT_EQ(folder.Names(), Names{"dir"});
    EXPECT_EQ(ReadBytes(folder / "dir" / "keep.txt"), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "dir"), {}), 1);
}

// A file marked read-only is kept: refused before anything is written, with the system's
// access-denied text, and whoever runs the server (root included: only the owner's write
// permission counts). A file its owner may write is replaced whatever the others may do.
TEST(WriteWholeFile, AReadOnlyFileIsKept)
{
    using std::filesystem::perms;
    const struct {
        const char* Why;
        perms Removed;
        bool Kept;
    } rows[] = {
        {"nobody may write", perms::owner_write | perms::group_write | perms::others_write, true},
        {"only the owner may not write", perms::owner_write, true},
        {"only the owner may write", perms::group_write | perms::others_write, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        TTestFolder folder;
        const auto target = folder / "kept.txt";
        WriteBytes(target, "previous content");
        std::filesystem::permissions(target, row.Removed, std::filesystem::perm_options::remove);
        if (row.Kept) {
            const EFileCreateError error = CaughtWriting(target.u16string(), "new content");
            EXPECT_EQ(error.Cause(), platform::SystemErrorText(platform::AccessDeniedError()));
            EXPECT_EQ(ReadBytes(target), "previous content");
        } else {
            WriteWholeFile(target.u16string(), "new content");
            EXPECT_EQ(ReadBytes(target), "new content");
        }
        EXPECT_EQ(folder.Names(), Names{"kept.txt"}) << "no temporary file remains";
        std::filesystem::permissions(target, perms::owner_write, std::filesystem::perm_options::add);
    }
}

// A path beyond the system's limit is refused; paths longer than the 260 characters of the
// ordinary Windows form are written, given in full or relative to a deep current directory
// (on Windows, FileOutputMethodsTest writes them).
TEST(WriteWholeFile, LongPaths)
{
    TTestFolder folder;
    const std::u16string beyond = folder.Path().u16string() + u"/" + std::u16string(kMaxPathLength, u'x');
    const EFileCreateError error = CaughtWriting(beyond, "x");
    EXPECT_EQ(error.Cause(), platform::SystemErrorText(platform::NameTooLongError()));
#ifndef _WIN32 // the checks below use std::filesystem, which stops at 260 characters on Windows
    // Folder names of 100 characters: no file system takes a name much longer than 255.
    auto deep = folder.Path();
    for (char letter : std::string("abcde"))
        deep /= std::string(100, letter);
    std::filesystem::create_directories(deep);

    const auto full = deep / "out.txt";
    ASSERT_GT(full.u16string().size(), 500u);
    WriteWholeFile(full.u16string(), "full");
    EXPECT_EQ(ReadBytes(full), "full");

    {
        test::TCurrentDirectory inside(deep.parent_path().parent_path().parent_path());
        const std::u16string relative = std::u16string(100, u'c') + u"/" + std::u16string(100, u'd') + u"/" +
                                        std::u16string(100, u'e') + u"/relative.txt";
        ASSERT_GT(std::filesystem::absolute(relative).u16string().size(), 260u);
        WriteWholeFile(relative, "relative");
    }
    EXPECT_EQ(ReadBytes(deep / "relative.txt"), "relative");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(deep), {}), 2) << "no temporary file remains";
#endif
}

#ifdef _WIN32
// A file that another program holds open without sharing cannot be replaced.
TEST(WriteWholeFile, AFileInUseKeepsItsContent)
{
    TTestFolder folder;
    const auto target = folder / "locked.txt";
    WriteBytes(target, "previous content");
    HANDLE lock = ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(WriteWholeFile(target.u16string(), "new content"), EFileCreateError);
    ::CloseHandle(lock);
    EXPECT_EQ(ReadBytes(target), "previous content");
    EXPECT_EQ(folder.Names(), Names{"locked.txt"});
}
#else
// The file size limit makes write() fail with EFBIG half way, for root too: the write of
// the described behaviour would have truncated the old file and left a partial one.
class TFileSizeLimit {
  public:
    explicit TFileSizeLimit(rlim_t bytes) : FHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &FPrevious);
        rlimit limit = FPrevious;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &FPrevious);
        std::signal(SIGXFSZ, FHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

  private:
    rlimit FPrevious{};
    void (*FHandler)(int);
};

TEST(WriteWholeFile, AFailedWriteKeepsTheExistingFileAndLeavesNoTemporaryFile)
{
    TTestFolder folder;
    const auto target = folder / "kept.txt";
    WriteBytes(target, "previous content");
    {
        TFileSizeLimit limit(4096);
        const EFileCreateError error = CaughtWriting(target.u16string(), std::string(100000, 'x'));
        EXPECT_EQ(error.Cause(), u"File too large");
    }
    EXPECT_EQ(ReadBytes(target), "previous content");
    EXPECT_EQ(folder.Names(), Names{"kept.txt"});
}
#endif

} // namespace
} // namespace bramolt::fileout
