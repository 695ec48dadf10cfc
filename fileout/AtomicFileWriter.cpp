#include "fileout/AtomicFileWriter.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "fileout/FileCreateError.h"
#include "fileout/OutputPath.h"
#include "fileout/PlatformFile.h"

namespace bramolt::fileout {

namespace {

// A freshly created, uniquely named file in the target's folder. Unless it has been moved
// over the target, it is closed and removed when the owner goes away.
class TTemporaryFile {
  public:
    explicit TTemporaryFile(const std::filesystem::path& folder)
    {
        // Another writer may pick the same name (a second process, a leftover of a crash): the
        // creation refuses existing files, so just try another name.
        constexpr int kAttempts = 16;
        std::random_device seed;
        for (int attempt = 1;; ++attempt) {
            FPath = folder / UniqueName(seed);
            try {
                FFile = std::make_unique<platform::TNewFile>(FPath);
                return;
            } catch (const std::system_error& error) {
                if (attempt == kAttempts || !platform::IsAlreadyExists(error.code())) {
                    FPath.clear();
                    throw;
                }
            }
        }
    }

    ~TTemporaryFile()
    {
        if (FPath.empty())
            return;
        FFile.reset(); // Windows removes no open file
        platform::RemoveFileQuietly(FPath);
    }

    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    void WriteAndReplace(std::string_view bytes, const std::filesystem::path& target)
    {
        FFile->Write(bytes);
        FFile->Commit();
        platform::MoveFileOver(FPath, target);
        FPath.clear();
    }

  private:
    static std::filesystem::path UniqueName(std::random_device& seed)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        std::string name = "~bramolt";
        for (int part = 0; part < 2; ++part)
            for (std::uint32_t bits = seed(), i = 0; i < 6; ++i, bits >>= 4)
                name += kHex[bits & 0xF];
        return name + ".tmp";
    }

    std::filesystem::path FPath;
    std::unique_ptr<platform::TNewFile> FFile;
};

} // namespace

void WriteWholeFile(std::u16string_view outputPath, std::string_view bytes)
{
    const TOutputPath target = ResolveOutputPath(outputPath);
    try {
        platform::RefuseReadOnlyFile(target.Operations);
        TTemporaryFile temporary(target.Operations.parent_path());
        temporary.WriteAndReplace(bytes, target.Operations);
    } catch (const std::system_error& error) {
        throw EFileCreateError(target.Full, platform::SystemErrorText(error.code()));
    }
}

} // namespace bramolt::fileout
