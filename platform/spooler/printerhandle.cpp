#include "platform/spooler/printerhandle.h"

#include "platform/base/lasterror.h"
#include "platform/spooler/spoolerstore.h"
#include "platform/base/text.h"

#include <mutex>
#include <set>

namespace zorplat::spooler {

namespace {

std::mutex g_handlesMutex;
std::set<PrinterHandle *> g_handles;

} // namespace

PrinterHandle *LookupPrinterHandle(HANDLE handle)
{
    std::lock_guard<std::mutex> guard(g_handlesMutex);
    auto found = g_handles.find(static_cast<PrinterHandle *>(handle));
    if (found == g_handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return *found;
}

HANDLE NewPrinterHandle(const std::string &printerName)
{
    auto *handle = new PrinterHandle;
    handle->printerName = printerName;
    std::lock_guard<std::mutex> guard(g_handlesMutex);
    g_handles.insert(handle);
    return handle;
}

void ForgetPrinterHandle(HANDLE handle)
{
    auto *printer = static_cast<PrinterHandle *>(handle);
    {
        std::lock_guard<std::mutex> guard(g_handlesMutex);
        g_handles.erase(printer);
    }
    delete printer;
}

void UpdatePrinterHandles(const std::string &oldName, const std::string &newName)
{
    std::lock_guard<std::mutex> guard(g_handlesMutex);
    for (PrinterHandle *handle : g_handles) {
        if (!zorplat::EqualsIgnoringCase(handle->printerName, oldName))
            continue;
        if (newName.empty())
            handle->deleted = true;
        else
            handle->printerName = newName;
    }
}

} // namespace zorplat::spooler
