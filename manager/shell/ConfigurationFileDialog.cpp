#include "manager/shell/ConfigurationFileDialog.h"

#include "manager/dialogs/Prompts.h"

#include <filesystem>

#include <unistd.h>

namespace sendaro {

namespace {

// Linux file names keep their case, so the filter shows the lower-case form too.
constexpr const char *kFilter = "Config Files (*.ZOR *.zor)";
constexpr const char *kInitialName = "*.ZOR";
constexpr const char *kExtension = ".ZOR";

} // namespace

std::string AskConfigurationFile(QWidget *owner, bool forExport)
{
    std::string path = AskFileName(owner, {forExport, forExport ? "Export" : "Import", kInitialName, kFilter});
    if (forExport && !path.empty() && std::filesystem::path(path).extension().empty())
        path += kExtension;
    return path;
}

bool ExportFileWritable(const std::string &path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(path, error))
        return !fs::is_directory(path, error) && access(path.c_str(), W_OK) == 0;
    const fs::path folder = fs::path(path).parent_path();
    return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

} // namespace sendaro
