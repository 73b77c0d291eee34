// Setup step: the cover-page template the monitor builds every cover page from.
#include "tools/setup_steps.h"

#include "platform/files/atomicfile.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"

bool InstallCoverPageTemplate(SetupContext &ctx)
{
    const std::string source = ctx.files.resourceFolder + "/banner01.ps";
    const std::string windowsPath = ctx.installDirectory + "\\banner01.ps";
    std::string shipped;
    if (!zorplat::ReadWholeFile(source, shipped))
        return ctx.fail("cannot read the cover-page template " + source + ": " + DescribeError(GetLastError()));
    const std::string target = zorplat::ToLinuxPath(windowsPath);
    std::string installed;
    const bool present = zorplat::ReadWholeFile(target, installed);
    if (present && installed == shipped) {
        ctx.upToDate(windowsPath);
        return true;
    }
    if (!zorplat::AtomicWriteFile(target, shipped, 0644))
        return ctx.fail("cannot write " + windowsPath + ": " + DescribeError(GetLastError()));
    present ? ctx.updated(windowsPath) : ctx.created(windowsPath);
    return true;
}
