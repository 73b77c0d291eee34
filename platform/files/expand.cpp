#include "platform/files/expand.h"

#include "platform/base/lasterror.h"
#include "platform/base/paths.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mspack.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorplat {

namespace {

struct SzddDecompressor {
    msszdd_decompressor *d = mspack_create_szdd_decompressor(nullptr);
    ~SzddDecompressor() { mspack_destroy_szdd_decompressor(d); }
};

struct KwajDecompressor {
    mskwaj_decompressor *d = mspack_create_kwaj_decompressor(nullptr);
    ~KwajDecompressor() { mspack_destroy_kwaj_decompressor(d); }
};

enum class Format { Szdd, Kwaj, Unknown };

// libmspack's KWAJ reader frees memory it never set when handed another kind of file, so
// the format is told from the file's signature before a reader sees it.
Format formatOf(const std::string &path)
{
    char magic[8] = {};
    std::FILE *file = std::fopen(path.c_str(), "rb");
    const size_t read = file ? std::fread(magic, 1, sizeof magic, file) : 0;
    if (file)
        std::fclose(file);
    const std::string signature(magic, read);
    if (signature == std::string("SZDD\x88\xF0\x27\x33", 8) || signature == std::string("SZ \x88\xF0\x27\x33", 7) + '\xD1')
        return Format::Szdd;
    if (signature == std::string("KWAJ\x88\xF0\x27\xD1", 8))
        return Format::Kwaj;
    return Format::Unknown;
}

std::string fileNameOf(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

// The expanded bytes go to a temporary name first, so a reader never sees half a file and
// a damaged source leaves no file behind.
std::string temporaryBeside(const std::string &target)
{
    return target + ".expand-" + std::to_string(getpid());
}

std::string finish(int error, const std::string &partial, const std::string &target)
{
    if (error == MSPACK_ERR_OK && std::rename(partial.c_str(), target.c_str()) == 0)
        return target;
    std::remove(partial.c_str());
    SetLastError(error == MSPACK_ERR_OK || error == MSPACK_ERR_WRITE ? ERROR_WRITE_FAULT : ERROR_BAD_FORMAT);
    return {};
}

std::string expandSzdd(msszddd_header *header, msszdd_decompressor *d, const std::string &source,
                       const std::string &folder)
{
    std::string name = fileNameOf(source);
    if (header->missing_char != '\0' && !name.empty() && name.back() == '_')
        name.back() = header->missing_char;
    const std::string target = folder + "/" + name;
    const std::string partial = temporaryBeside(target);
    const int error = d->extract(d, header, partial.c_str());
    d->close(d, header);
    return finish(error, partial, target);
}

std::string expandKwaj(mskwajd_header *header, mskwaj_decompressor *d, const std::string &source,
                       const std::string &folder)
{
    const std::string name = header->filename && *header->filename ? fileNameOf(header->filename) : fileNameOf(source);
    const std::string target = folder + "/" + name;
    const std::string partial = temporaryBeside(target);
    const int error = d->extract(d, header, partial.c_str());
    d->close(d, header);
    return finish(error, partial, target);
}

} // namespace

std::string ExpandFile(std::string_view source, std::string_view destinationFolder)
{
    const std::string from = ToLinuxPath(source);
    const std::string folder = ToLinuxPath(destinationFolder);
    struct stat info {};
    if (stat(from.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return {};
    }
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    const Format format = formatOf(from);
    if (format == Format::Szdd) {
        SzddDecompressor szdd;
        if (msszddd_header *header = szdd.d->open(szdd.d, from.c_str()))
            return expandSzdd(header, szdd.d, from, folder);
    } else if (format == Format::Kwaj) {
        KwajDecompressor kwaj;
        if (mskwajd_header *header = kwaj.d->open(kwaj.d, from.c_str()))
            return expandKwaj(header, kwaj.d, from, folder);
    }
    SetLastError(ERROR_BAD_FORMAT);
    return {};
}

} // namespace zorplat
