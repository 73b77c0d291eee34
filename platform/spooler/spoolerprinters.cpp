// The spooler's printers: Print\Printers\<name>, one value per member of the level-2
// information (a member that is "none" has no value, so none and empty stay apart), and
// the default printer in win.ini [windows] device=NAME,winspool,PORT.
#include "platform/spooler/monitorhost.h"
#include "platform/spooler/printerhandle.h"
#include "platform/profile/profile.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/spoolerbuffer.h"
#include "platform/spooler/spoolerstore.h"
#include "platform/base/text.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>

using namespace zorplat::spooler;

namespace {

// Longest printer name the spooler accepts, as on the original platform.
constexpr size_t kMaxPrinterName = 220;
// Reported at level 5; the spooler keeps no time-outs of its own.
constexpr DWORD kDeviceNotSelectedTimeout = 15000;
constexpr DWORD kTransmissionRetryTimeout = 45000;

struct StoredPrinter {
    std::string name;
    std::optional<std::string> shareName, portName, driverName, comment, location, devMode, sepFile,
        printProcessor, datatype, parameters;
    DWORD attributes = 0, priority = 0, defaultPriority = 0, startTime = 0, untilTime = 0, status = 0;
};

std::string printerKey(const std::string &name)
{
    return std::string(kPrintersKey) + "\\" + name;
}

bool validPrinterName(const std::string &name)
{
    if (name.empty() || name.size() > kMaxPrinterName)
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '\\' || c == ',' || static_cast<unsigned char>(c) < 0x20;
    });
}

// A printer looked up by name: the printer, none, or not known because the registry could
// not be read (failed, with the last error set).
struct PrinterLookup {
    std::optional<StoredPrinter> printer;
    bool failed = false;
};

PrinterLookup readPrinter(const std::string &name)
{
    if (!validPrinterName(name))
        return {};
    const zorplat::RegistrySnapshot snapshot(HKEY_LOCAL_MACHINE);
    const RegKey key = RegKey::Open(printerKey(name));
    if (ReadFailed(key))
        return {std::nullopt, true};
    if (!key.valid())
        return {};
    StoredPrinter printer;
    printer.name = key.string("Name").value_or(name);
    printer.shareName = key.string("Share Name");
    printer.portName = key.string("Port");
    printer.driverName = key.string("Printer Driver");
    printer.comment = key.string("Description");
    printer.location = key.string("Location");
    printer.devMode = key.binary("Default DevMode");
    printer.sepFile = key.string("Separator File");
    printer.printProcessor = key.string("Print Processor");
    printer.datatype = key.string("Datatype");
    printer.parameters = key.string("Parameters");
    printer.attributes = key.dword("Attributes");
    printer.priority = key.dword("Priority");
    printer.defaultPriority = key.dword("Default Priority");
    printer.startTime = key.dword("StartTime");
    printer.untilTime = key.dword("UntilTime");
    printer.status = key.dword("Status");
    if (ReadFailed(key))
        return {std::nullopt, true};
    return {printer};
}

// Every printer, in name order; nullopt with the last error set when the registry cannot be
// read.
std::optional<std::vector<StoredPrinter>> readPrinters()
{
    std::vector<StoredPrinter> printers;
    const zorplat::RegistrySnapshot snapshot(HKEY_LOCAL_MACHINE);
    const RegKey all = RegKey::Open(kPrintersKey);
    const std::vector<std::string> keyNames = all.subkeys();
    if (ReadFailed(all))
        return std::nullopt;
    for (const std::string &keyName : keyNames) {
        const PrinterLookup found = readPrinter(keyName);
        if (found.failed)
            return std::nullopt;
        if (found.printer)
            printers.push_back(*found.printer);
    }
    std::sort(printers.begin(), printers.end(), [](const StoredPrinter &a, const StoredPrinter &b) {
        return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                            [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y)); });
    });
    return printers;
}

bool writePrinter(const StoredPrinter &printer)
{
    RegKey key = RegKey::Create(printerKey(printer.name));
    if (!key.valid())
        return Fail(static_cast<DWORD>(key.error()));
    bool written = key.setString("Name", printer.name) && key.setOptionalString("Share Name", printer.shareName)
                   && key.setOptionalString("Port", printer.portName)
                   && key.setOptionalString("Printer Driver", printer.driverName)
                   && key.setOptionalString("Description", printer.comment)
                   && key.setOptionalString("Location", printer.location)
                   && key.setOptionalString("Separator File", printer.sepFile)
                   && key.setOptionalString("Print Processor", printer.printProcessor)
                   && key.setOptionalString("Datatype", printer.datatype)
                   && key.setOptionalString("Parameters", printer.parameters)
                   && key.setDword("Attributes", printer.attributes) && key.setDword("Priority", printer.priority)
                   && key.setDword("Default Priority", printer.defaultPriority)
                   && key.setDword("StartTime", printer.startTime) && key.setDword("UntilTime", printer.untilTime)
                   && key.setDword("Status", printer.status);
    if (written && printer.devMode)
        written = key.setBinary("Default DevMode", *printer.devMode);
    else if (written)
        written = key.setOptionalString("Default DevMode", std::nullopt);
    return written;
}

// The level-2 structure as stored; ERROR_INVALID_PARAMETER for device settings whose sizes
// do not describe a device mode.
std::optional<StoredPrinter> printerFromInfo(const PRINTER_INFO_2A &info)
{
    StoredPrinter printer;
    printer.name = info.pPrinterName ? info.pPrinterName : "";
    printer.shareName = OptionalString(info.pShareName);
    printer.portName = OptionalString(info.pPortName);
    printer.driverName = OptionalString(info.pDriverName);
    printer.comment = OptionalString(info.pComment);
    printer.location = OptionalString(info.pLocation);
    printer.sepFile = OptionalString(info.pSepFile);
    printer.printProcessor = OptionalString(info.pPrintProcessor);
    printer.datatype = OptionalString(info.pDatatype);
    printer.parameters = OptionalString(info.pParameters);
    printer.attributes = info.Attributes;
    printer.priority = info.Priority;
    printer.defaultPriority = info.DefaultPriority;
    printer.startTime = info.StartTime;
    printer.untilTime = info.UntilTime;
    printer.status = info.Status;
    if (info.pDevMode) {
        const DEVMODEA &mode = *info.pDevMode;
        if (mode.dmSize < offsetof(DEVMODEA, dmFields) + sizeof(DWORD) || mode.dmSize > sizeof(DEVMODEA)) {
            Fail(ERROR_INVALID_PARAMETER);
            return std::nullopt;
        }
        printer.devMode.emplace(reinterpret_cast<const char *>(info.pDevMode), size_t(mode.dmSize) + mode.dmDriverExtra);
    }
    return printer;
}

// The checks a new or changed printer must pass; `previous` (the printer before a change)
// spares the driver and port checks for members that stay as they were.
bool checkPrinter(const StoredPrinter &printer, const StoredPrinter *previous)
{
    if (!validPrinterName(printer.name))
        return Fail(ERROR_INVALID_PRINTER_NAME);
    auto changed = [&](const std::optional<std::string> StoredPrinter::*member) {
        return !previous || !(previous->*member) || !zorplat::EqualsIgnoringCase(*(previous->*member), (printer.*member).value_or(""));
    };
    if (!printer.driverName)
        return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
    if (changed(&StoredPrinter::driverName) && !DriverInstalled(*printer.driverName))
        return false;
    if (!printer.portName)
        return Fail(ERROR_UNKNOWN_PORT);
    if (changed(&StoredPrinter::portName) && !FindPortMonitor(*printer.portName))
        return false;
    return true;
}

size_t entrySize(DWORD level)
{
    switch (level) {
    case 2:
        return sizeof(PRINTER_INFO_2A);
    case 4:
        return sizeof(PRINTER_INFO_4A);
    case 5:
        return sizeof(PRINTER_INFO_5A);
    default:
        return 0;
    }
}

void packPrinter(PackedBuffer &out, size_t index, DWORD level, const StoredPrinter &printer)
{
    if (level == 4) {
        out.put(index, PRINTER_INFO_4A{out.string(printer.name), nullptr, printer.attributes});
    } else if (level == 5) {
        out.put(index, PRINTER_INFO_5A{out.string(printer.name), out.string(printer.portName), printer.attributes,
                                       kDeviceNotSelectedTimeout, kTransmissionRetryTimeout});
    } else {
        PRINTER_INFO_2A info{};
        info.pPrinterName = out.string(printer.name);
        info.pShareName = out.string(printer.shareName);
        info.pPortName = out.string(printer.portName);
        info.pDriverName = out.string(printer.driverName);
        info.pComment = out.string(printer.comment);
        info.pLocation = out.string(printer.location);
        info.pDevMode = static_cast<LPDEVMODEA>(out.bytes(printer.devMode));
        info.pSepFile = out.string(printer.sepFile);
        info.pPrintProcessor = out.string(printer.printProcessor);
        info.pDatatype = out.string(printer.datatype);
        info.pParameters = out.string(printer.parameters);
        info.Attributes = printer.attributes;
        info.Priority = printer.priority;
        info.DefaultPriority = printer.defaultPriority;
        info.StartTime = printer.startTime;
        info.UntilTime = printer.untilTime;
        info.Status = printer.status;
        out.put(index, info);
    }
}

// The name win.ini gives as the default printer, "" when none.
std::string defaultPrinterName()
{
    char device[512];
    GetProfileString("windows", "device", "", device, sizeof device);
    std::string name = device;
    return name.substr(0, name.find(','));
}

bool writeDefaultPrinter(const StoredPrinter *printer)
{
    if (!printer)
        return WriteProfileString("windows", "device", nullptr);
    const std::string device = printer->name + ",winspool," + printer->portName.value_or("");
    return WriteProfileString("windows", "device", device.c_str());
}

// Whether no printer has the name; false with ERROR_PRINTER_ALREADY_EXISTS, or with the
// error of a registry that cannot be read.
bool nameIsFree(const std::string &name)
{
    const PrinterLookup found = readPrinter(name);
    if (found.failed)
        return false;
    if (found.printer)
        return Fail(ERROR_PRINTER_ALREADY_EXISTS);
    return true;
}

// The printer behind a handle, or nullopt with ERROR_INVALID_HANDLE, ERROR_INVALID_PRINTER_NAME
// for a printer that was deleted meanwhile, or the error of a registry that cannot be read.
std::optional<StoredPrinter> handlePrinter(HANDLE hPrinter, PrinterHandle **handle)
{
    *handle = LookupPrinterHandle(hPrinter);
    if (!*handle)
        return std::nullopt;
    if ((*handle)->deleted) {
        Fail(ERROR_INVALID_PRINTER_NAME);
        return std::nullopt;
    }
    const PrinterLookup found = readPrinter((*handle)->printerName);
    if (!found.failed && !found.printer)
        Fail(ERROR_INVALID_PRINTER_NAME);
    return found.printer;
}

} // namespace

BOOL EnumPrinters(DWORD Flags, LPSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                  LPDWORD pcbNeeded, LPDWORD pcReturned)
{
    if (!pcbNeeded || !pcReturned)
        return Fail(ERROR_INVALID_PARAMETER);
    *pcReturned = 0;
    if (!CheckLocalServer(Name))
        return FALSE;
    if (!entrySize(Level))
        return Fail(ERROR_INVALID_LEVEL);

    std::vector<StoredPrinter> printers;
    if (Flags & PRINTER_ENUM_DEFAULT) {
        const PrinterLookup found = readPrinter(defaultPrinterName());
        if (found.failed)
            return FALSE;
        if (found.printer)
            printers.push_back(*found.printer);
    } else if (Flags & PRINTER_ENUM_LOCAL) {
        std::optional<std::vector<StoredPrinter>> local = readPrinters();
        if (!local)
            return FALSE;
        printers = std::move(*local);
    } // other sources (connections, the network) hold no printers here

    const BOOL packed = PackAnswer(printers.size() * entrySize(Level), pPrinterEnum, cbBuf, pcbNeeded,
                                   [&](PackedBuffer &out) {
                                       for (size_t i = 0; i < printers.size(); ++i)
                                           packPrinter(out, i, Level, printers[i]);
                                   });
    if (packed)
        *pcReturned = static_cast<DWORD>(printers.size());
    return packed;
}

HANDLE AddPrinter(LPSTR pName, DWORD Level, LPBYTE pPrinter)
{
    if (!CheckLocalServer(pName))
        return nullptr;
    if (Level != 2) {
        Fail(ERROR_INVALID_LEVEL);
        return nullptr;
    }
    if (!pPrinter) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::optional<StoredPrinter> printer = printerFromInfo(*reinterpret_cast<PRINTER_INFO_2A *>(pPrinter));
    if (!printer)
        return nullptr;
    if (!validPrinterName(printer->name)) {
        Fail(ERROR_INVALID_PRINTER_NAME);
        return nullptr;
    }
    // A name in use is told before the driver and the port are looked at.
    if (!nameIsFree(printer->name) || !checkPrinter(*printer, nullptr))
        return nullptr;

    SpoolerLock lock;
    if (!nameIsFree(printer->name) || !writePrinter(*printer) || !lock.commit())
        return nullptr;
    // The first printer of a machine without a default becomes the default, as on the
    // original platform.
    const PrinterLookup currentDefault = readPrinter(defaultPrinterName());
    if (!currentDefault.failed && !currentDefault.printer)
        writeDefaultPrinter(&*printer);
    return NewPrinterHandle(printer->name);
}

BOOL OpenPrinter(LPSTR pPrinterName, LPHANDLE phPrinter, PRINTER_DEFAULTSA * /*pDefault: default access*/)
{
    if (!phPrinter)
        return Fail(ERROR_INVALID_PARAMETER);
    *phPrinter = nullptr;
    const PrinterLookup found = readPrinter(pPrinterName ? pPrinterName : "");
    if (found.failed)
        return FALSE;
    if (!found.printer)
        return Fail(ERROR_INVALID_PRINTER_NAME);
    *phPrinter = NewPrinterHandle(found.printer->name);
    return TRUE;
}

BOOL GetPrinter(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded)
{
    if (!pcbNeeded)
        return Fail(ERROR_INVALID_PARAMETER);
    PrinterHandle *handle = nullptr;
    const std::optional<StoredPrinter> printer = handlePrinter(hPrinter, &handle);
    if (!printer)
        return FALSE;
    if (!entrySize(Level))
        return Fail(ERROR_INVALID_LEVEL);
    return PackAnswer(entrySize(Level), pPrinter, cbBuf, pcbNeeded,
                      [&](PackedBuffer &out) { packPrinter(out, 0, Level, *printer); });
}

BOOL SetPrinter(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command)
{
    PrinterHandle *handle = nullptr;
    const std::optional<StoredPrinter> current = handlePrinter(hPrinter, &handle);
    if (!current)
        return FALSE;
    if (Level != 2)
        return Fail(ERROR_INVALID_LEVEL);
    if (!pPrinter || Command != 0)
        return Fail(ERROR_INVALID_PARAMETER);
    const std::optional<StoredPrinter> changed = printerFromInfo(*reinterpret_cast<PRINTER_INFO_2A *>(pPrinter));
    if (!changed || !checkPrinter(*changed, &*current))
        return FALSE;

    SpoolerLock lock;
    const PrinterLookup stillThere = readPrinter(current->name);
    if (stillThere.failed)
        return FALSE;
    if (!stillThere.printer)
        return Fail(ERROR_INVALID_PRINTER_NAME);
    const bool renamed = !zorplat::EqualsIgnoringCase(changed->name, current->name);
    if (renamed && !nameIsFree(changed->name))
        return FALSE;
    // A rename writes the new key whole before the old one goes: an interruption leaves
    // both, never neither.
    if (!writePrinter(*changed))
        return FALSE;
    if (renamed && !DeleteKey(printerKey(current->name)))
        return FALSE;
    if (!lock.commit())
        return FALSE;
    if (zorplat::EqualsIgnoringCase(defaultPrinterName(), current->name))
        writeDefaultPrinter(&*changed);
    UpdatePrinterHandles(current->name, changed->name);
    return TRUE;
}

BOOL DeletePrinter(HANDLE hPrinter)
{
    PrinterHandle *handle = nullptr;
    const std::optional<StoredPrinter> printer = handlePrinter(hPrinter, &handle);
    if (!printer)
        return FALSE;
    SpoolerLock lock;
    if (!DeleteKey(printerKey(printer->name)))
        return Fail(ERROR_INVALID_PRINTER_NAME);
    if (!lock.commit())
        return FALSE;
    if (zorplat::EqualsIgnoringCase(defaultPrinterName(), printer->name))
        writeDefaultPrinter(nullptr);
    UpdatePrinterHandles(printer->name, "");
    return TRUE;
}

BOOL ClosePrinter(HANDLE hPrinter)
{
    PrinterHandle *handle = LookupPrinterHandle(hPrinter);
    if (!handle)
        return FALSE;
    const BOOL ended = handle->job ? EndJob(*handle) : TRUE;
    const DWORD error = GetLastError();
    ForgetPrinterHandle(hPrinter);
    SetLastError(error);
    return ended;
}

BOOL GetDefaultPrinter(LPSTR pszBuffer, LPDWORD pcchBuffer)
{
    if (!pcchBuffer)
        return Fail(ERROR_INVALID_PARAMETER);
    const PrinterLookup found = readPrinter(defaultPrinterName());
    if (found.failed)
        return FALSE;
    if (!found.printer)
        return Fail(ERROR_FILE_NOT_FOUND);
    const std::optional<StoredPrinter> &printer = found.printer;
    const DWORD needed = static_cast<DWORD>(printer->name.size() + 1);
    const bool fits = pszBuffer && *pcchBuffer >= needed;
    *pcchBuffer = needed;
    if (!fits)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(pszBuffer, printer->name.c_str(), needed);
    return TRUE;
}

BOOL SetDefaultPrinter(LPCSTR pszPrinter)
{
    SpoolerLock lock;
    if (!pszPrinter || !*pszPrinter) {
        // Nothing to name: keep a default that exists, else take the first printer.
        const PrinterLookup current = readPrinter(defaultPrinterName());
        if (current.failed)
            return FALSE;
        if (current.printer)
            return TRUE;
        const std::optional<std::vector<StoredPrinter>> printers = readPrinters();
        if (!printers)
            return FALSE;
        return printers->empty() || writeDefaultPrinter(&printers->front());
    }
    // The win.ini form "NAME,winspool,PORT" names the printer before the first comma.
    const std::string name = std::string(pszPrinter).substr(0, std::string(pszPrinter).find(','));
    const PrinterLookup found = readPrinter(name);
    if (found.failed)
        return FALSE;
    if (!found.printer)
        return Fail(ERROR_INVALID_PRINTER_NAME);
    return writeDefaultPrinter(&*found.printer);
}
