// Shared set-up of the shell's widget tests: a temporary root with an installation directory,
// a port monitor that lists the Internet port, printer drivers installed, the prompt queue as
// the UI backend, and the real main frame on a loaded document.
#pragma once

#include "manager/database/CChooserDoc.h"
#include "manager/shell/CMainFrame.h"
#include "manager/shell/ListView.h"
#include "manager/shell/TreeView.h"
#include "platform/base/lasterror.h"
#include "platform/spooler/spooler.h"
#include "tests/support/TempRoot.h"
#include "tests/support/gui/PromptQueue.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace shelltest {

inline const char *const kDriverH7 = "Laser H7";
inline const char *const kDriverJ8 = "Inkjet J8";

class ShellTest : public ::testing::Test {
protected:
    // Without prepareRoot the root stays empty (for tests that set it up with zorvaline).
    explicit ShellTest(bool prepareRoot = true)
    {
        if (!prepareRoot)
            return;
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        std::filesystem::create_directories(root.driveC("ZORVALINE"));
        std::filesystem::copy_file(FAKE_PORT_MONITOR, root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"));
        installDriver(kDriverH7, "LASER");
        installDriver(kDriverJ8, "INKJET");
    }

    void installDriver(const std::string &name, const std::string &file)
    {
        for (const char *suffix : {".DRV", "UI.DLL"})
            root.writeFile(root.driveC("WINDOWS/SYSTEM/" + file + suffix), "driver file");
        const std::string driverFile = file + ".DRV", uiFile = file + "UI.DLL";
        DRIVER_INFO_2A driver{};
        driver.pName = const_cast<LPSTR>(name.c_str());
        driver.pDriverPath = const_cast<LPSTR>(driverFile.c_str());
        driver.pDataFile = const_cast<LPSTR>(driverFile.c_str());
        driver.pConfigFile = const_cast<LPSTR>(uiFile.c_str());
        ASSERT_TRUE(AddPrinterDriver(nullptr, 2, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
    }

    // The main frame on the database of the root (created when missing).
    void openFrame()
    {
        frame = std::make_unique<CMainFrame>(doc);
        ASSERT_TRUE(doc.OnNewDocument());
        frame->show();
        tree = frame->Tree();
        list = frame->List();
    }

    // Records put straight into the document, as if the database held them; Rebuild()
    // shows them.
    PrinterRecord &addPrinter(const std::string &name, const std::string &driver = kDriverH7)
    {
        auto printer = std::make_unique<PrinterRecord>();
        printer->PrinterName = name;
        printer->PrinterDriver = driver;
        printer->PrinterEmail = name.substr(0, name.find(' ')) + "@print.example";
        printer->PrinterDescription = "Printer " + name;
        doc.Printers().push_back(std::move(printer));
        return *doc.Printers().back();
    }

    GroupRecord &addGroup(const std::string &name, std::initializer_list<std::string> subGroups = {},
                          std::initializer_list<std::string> printers = {}, const std::string &driver = "")
    {
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = name;
        group->SubGroups = subGroups;
        group->Printers = printers;
        group->GroupDriver = driver.empty() && (subGroups.size() || printers.size()) ? kDriverH7 : driver;
        doc.Groups().push_back(std::move(group));
        return *doc.Groups().back();
    }

    void rebuild() { doc.UpdateAllViews(1); }

    // The texts of an item's children, in tree order.
    static std::vector<std::string> childTexts(const QTreeWidgetItem *item)
    {
        std::vector<std::string> texts;
        for (int i = 0; item && i < item->childCount(); ++i)
            texts.push_back(item->child(i)->text(0).toStdString());
        return texts;
    }

    QTreeWidgetItem *child(QTreeWidgetItem *parent, const std::string &text) const
    {
        for (int i = 0; parent && i < parent->childCount(); ++i)
            if (parent->child(i)->text(0).toStdString() == text)
                return parent->child(i);
        return nullptr;
    }
    QTreeWidgetItem *printerItem(const std::string &text) const { return child(tree->PrintersRoot(), text); }
    QTreeWidgetItem *groupItem(const std::string &text) const { return child(tree->GroupsRoot(), text); }
    void select(QTreeWidgetItem *item) { tree->setCurrentItem(item); }

    // The texts the icon and list styles show, top to bottom.
    std::vector<std::string> iconTexts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < list->Icons()->count(); ++i)
            texts.push_back(list->Icons()->item(i)->text().toStdString());
        return texts;
    }

    bool enabled(const char *command) const { return frame->Command(command)->isEnabled(); }

    // Triggers `command`; the modal dialog it opens is closed (rejected), and its class
    // name returned ("" when none opened).
    std::string dialogOpenedBy(const char *command)
    {
        std::string opened;
        QTimer::singleShot(0, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened = modal->metaObject()->className();
                modal->close();
            }
        });
        frame->Command(command)->trigger();
        return opened;
    }

    std::string databaseText() const { return zortest::TempRoot::readFile(root.driveC("ZORVALINE/Sendaro.Cfg")); }

    // The Windows printers of the spooler, by name.
    static std::vector<std::string> windowsPrinters()
    {
        DWORD needed = 0, count = 0;
        EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed + sizeof(PRINTER_INFO_4A));
        std::vector<std::string> names;
        if (!EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), DWORD(buffer.size()), &needed, &count))
            return names;
        const auto *info = reinterpret_cast<const PRINTER_INFO_4A *>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            names.emplace_back(info[i].pPrinterName);
        return names;
    }

    // The level-2 settings of Windows printer `name`; found false when it does not exist.
    struct WindowsPrinter {
        bool found = false;
        std::string port, driver, comment, processor, datatype;
        DWORD attributes = 0, priority = 0;
    };
    static WindowsPrinter windowsPrinter(const std::string &name)
    {
        WindowsPrinter result;
        HANDLE handle = nullptr;
        if (!OpenPrinter(const_cast<LPSTR>(name.c_str()), &handle, nullptr))
            return result;
        DWORD needed = 0;
        GetPrinter(handle, 2, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        if (GetPrinter(handle, 2, buffer.data(), needed, &needed)) {
            const auto *info = reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
            auto text = [](const char *value) { return std::string(value ? value : ""); };
            result = {true, text(info->pPortName), text(info->pDriverName), text(info->pComment),
                      text(info->pPrintProcessor), text(info->pDatatype), info->Attributes, info->Priority};
        }
        ClosePrinter(handle);
        return result;
    }

    zortest::TempRoot root;
    zortest::PromptQueue prompts;
    CChooserDoc doc;
    std::unique_ptr<CMainFrame> frame;
    TreeView *tree = nullptr;
    ListView *list = nullptr;
};

} // namespace shelltest
