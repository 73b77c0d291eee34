// Shared set-up of the dialog tests: a temporary root with a registered port monitor and an
// opened database, a tree double that records what the dialogs ask of it, the prompt queue,
// and small helpers that drive the real widgets by their ids.
#pragma once

#include "manager/database/CChooserDoc.h"
#include "manager/database/NameCompare.h"
#include "manager/dialogs/TreeOperations.h"
#include "platform/profile/profile.h"
#include "platform/spooler/spooler.h"
#include "tests/support/TempRoot.h"
#include "tests/support/gui/PromptQueue.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace dialogtest {

inline const char *const kDatabasePath = "C:\\ZORVALINE\\Sendaro.Cfg";
inline const char *const kDriver = "Laser H7";

// The tree as the dialogs see it: a selected item, the two root captions of the document,
// and the operations, which record their calls and change the document the way the tree's
// own operations would.
class FakeTree : public TreeOperations {
public:
    explicit FakeTree(CChooserDoc &doc) : m_doc(doc) {}

    void select(ItemKind kind, std::string name, ItemKind parentKind, std::string parentName = {})
    {
        m_kind = kind;
        m_name = std::move(name);
        m_parentKind = parentKind;
        m_parentName = std::move(parentName);
    }

    ItemKind SelectedKind() const override { return m_kind; }
    std::string SelectedName() const override { return m_name; }
    ItemKind SelectedParentKind() const override { return m_parentKind; }
    std::string RootCaption(bool groups) const override
    {
        return groups ? m_doc.GroupsTitle() : m_doc.PrintersTitle();
    }
    void RenameRoot(bool groups, const std::string &caption) override
    {
        calls.push_back("RenameRoot(" + std::string(groups ? "groups" : "printers") + ", " + caption + ")");
        groups ? m_doc.SetGroupsTitle(caption) : m_doc.SetPrintersTitle(caption);
        m_name = caption;
    }
    bool DestinationNameExists(const std::string &name, bool printersFirst) const override
    {
        return m_doc.DestinationNameExists(name, printersFirst);
    }
    int AddNewDestination(const std::string &name, bool isPrinter) override
    {
        calls.push_back("AddNewDestination(" + name + ", " + kindName(isPrinter) + ")");
        if (!isPrinter) {
            auto group = std::make_unique<GroupRecord>();
            group->MainGroupName = name;
            m_doc.Groups().push_back(std::move(group));
        }
        return 1;
    }
    void RenameSelectedItem(const std::string &newName, bool isPrinter) override
    {
        calls.push_back("RenameSelectedItem(" + newName + ", " + kindName(isPrinter) + ")");
        if (isPrinter) {
            if (PrinterRecord *printer = m_doc.FindPrinter(m_name))
                printer->PrinterName = newName;
        } else if (GroupRecord *group = m_doc.FindGroup(m_name)) {
            group->MainGroupName = newName;
            group->GroupDescription = m_groupDescription;
        }
    }
    void RemoveSelectedItem(bool isPrinter, bool inGroup) override
    {
        calls.push_back("RemoveSelectedItem(" + kindName(isPrinter) + (inGroup ? ", in group)" : ", whole)"));
        if (inGroup) {
            if (GroupRecord *parent = m_doc.FindGroup(m_parentName))
                eraseName(isPrinter ? parent->Printers : parent->SubGroups, m_name);
        } else if (isPrinter) {
            std::erase_if(m_doc.Printers(), [&](const auto &p) { return zordb::SameName(p->PrinterName, m_name); });
        } else {
            std::erase_if(m_doc.Groups(), [&](const auto &g) { return zordb::SameName(g->MainGroupName, m_name); });
        }
    }
    void SetGroupDescription(const std::string &description) override
    {
        calls.push_back("SetGroupDescription(" + description + ")");
        m_groupDescription = description;
    }
    CChooserDoc &Document() override { return m_doc; }

    std::vector<std::string> calls;

private:
    static std::string kindName(bool isPrinter) { return isPrinter ? "printer" : "group"; }
    static void eraseName(std::vector<std::string> &names, const std::string &name)
    {
        std::erase_if(names, [&](const std::string &n) { return zordb::SameName(n, name); });
    }

    CChooserDoc &m_doc;
    ItemKind m_kind = ItemKind::None;
    std::string m_name;
    ItemKind m_parentKind = ItemKind::None;
    std::string m_parentName;
    std::string m_groupDescription;
};

class DialogTest : public ::testing::Test {
protected:
    DialogTest()
    {
        root.writeFile(root.driveC("WINDOWS/SYSTEM/Varnel.ini"), "[Install]\r\nDirectory=C:\\ZORVALINE\r\n");
        std::filesystem::create_directories(root.driveC("ZORVALINE"));
        std::filesystem::copy_file(FAKE_PORT_MONITOR, root.driveC("WINDOWS/SYSTEM/ZORMON.DLL"));
        EXPECT_TRUE(doc.OnNewDocument()) << "the monitor registers and the database opens";
    }

    PrinterRecord &addPrinter(const std::string &name, const std::string &driver = kDriver)
    {
        auto printer = std::make_unique<PrinterRecord>();
        printer->PrinterName = name;
        printer->PrinterDriver = driver;
        printer->PrinterEmail = "queue@print.example";
        doc.Printers().push_back(std::move(printer));
        return *doc.Printers().back();
    }

    GroupRecord &addGroup(const std::string &name, const std::string &driver = "",
                          std::vector<std::string> subGroups = {}, std::vector<std::string> printers = {},
                          const std::string &description = "")
    {
        auto group = std::make_unique<GroupRecord>();
        group->MainGroupName = name;
        group->GroupDriver = driver;
        group->SubGroups = std::move(subGroups);
        group->Printers = std::move(printers);
        group->GroupDescription = description;
        doc.Groups().push_back(std::move(group));
        return *doc.Groups().back();
    }

    void save() { ASSERT_TRUE(doc.OnSaveDocument(doc.DatabasePath())); }

    std::string databaseText() const { return zortest::TempRoot::readFile(root.driveC("ZORVALINE/Sendaro.Cfg")); }

    // True when the database file has a section of that name with at least one key.
    static bool hasSection(const std::string &name)
    {
        char keys[4096] = {};
        return GetPrivateProfileString(name.c_str(), nullptr, "", keys, sizeof keys, kDatabasePath) > 0;
    }
    static bool indexLists(const std::string &name)
    {
        char value[256] = {};
        return GetPrivateProfileString("ChoosersDatabaseSectionNames", name.c_str(), "", value, sizeof value,
                                       kDatabasePath) > 0;
    }

    // A Windows printer on the monitor's port, as the tree makes one for a destination.
    void addWindowsPrinter(const std::string &name)
    {
        for (const char *file : {"LASER.DRV", "LASERUI.DLL"})
            root.writeFile(root.driveC(std::string("WINDOWS/SYSTEM/") + file), "driver file");
        DRIVER_INFO_2A driver{};
        driver.pName = const_cast<LPSTR>(kDriver);
        driver.pDriverPath = const_cast<LPSTR>("LASER.DRV");
        driver.pDataFile = const_cast<LPSTR>("LASER.DRV");
        driver.pConfigFile = const_cast<LPSTR>("LASERUI.DLL");
        ASSERT_TRUE(AddPrinterDriver(nullptr, 2, reinterpret_cast<LPBYTE>(&driver)));
        std::string printerName = name;
        PRINTER_INFO_2A printer{};
        printer.pPrinterName = printerName.data();
        printer.pPortName = const_cast<LPSTR>("ZORVALINE_INTERNET:");
        printer.pDriverName = const_cast<LPSTR>(kDriver);
        printer.pPrintProcessor = const_cast<LPSTR>("WinPrint");
        printer.pDatatype = const_cast<LPSTR>("RAW");
        HANDLE handle = AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
        ASSERT_NE(handle, nullptr);
        ClosePrinter(handle);
    }
    static bool windowsPrinterExists(const std::string &name)
    {
        std::string printerName = name;
        HANDLE handle = nullptr;
        if (!OpenPrinter(printerName.data(), &handle, nullptr))
            return false;
        ClosePrinter(handle);
        return true;
    }

    zortest::TempRoot root;
    zortest::PromptQueue prompts;
    CChooserDoc doc;
    FakeTree tree{doc};
};

// The control of the dialog named by its id; fails the test when there is none.
template <typename Control = QWidget>
Control *Find(QDialog &dialog, const char *id)
{
    auto *control = dialog.findChild<Control *>(id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
}

inline void Click(QDialog &dialog, const char *id)
{
    // Near the left edge: on a check box's indicator, which a click in the middle of a wide
    // box misses.
    if (auto *button = Find<QAbstractButton>(dialog, id))
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
}

inline void Type(QDialog &dialog, const char *id, const QString &text)
{
    if (auto *edit = Find<QLineEdit>(dialog, id)) {
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
}

// The hint line's text after the mouse entered control `id`.
inline QString HintOver(QDialog &dialog, const char *id)
{
    QWidget *control = Find(dialog, id);
    if (!control)
        return {};
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(control, &enter);
    auto *line = Find<QLabel>(dialog, "1032");
    return line ? line->text() : QString();
}

// Whether the focus is (or goes, once the window is active) on control `id`.
inline bool HasFocus(QDialog &dialog, const char *id)
{
    QWidget *control = Find(dialog, id);
    return control && dialog.focusWidget() == control;
}

inline QString Text(QDialog &dialog, const char *id)
{
    auto *edit = Find<QLineEdit>(dialog, id);
    return edit ? edit->text() : QString();
}

} // namespace dialogtest
