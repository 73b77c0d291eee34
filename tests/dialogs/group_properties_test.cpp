// Group Properties: the group's texts, read-only, and the list of compatible groups.
#include "manager/dialogs/CGroupPropertiesDlg.h"
#include "tests/dialogs/DialogTestSupport.h"

#include <QListWidget>

using namespace dialogtest;

namespace {

class GroupProperties : public DialogTest {
protected:
    GroupProperties()
    {
        root.writeFile(root.driveC("ZORVALINE/VZorDrv.ini"),
                       "[Laser H7]\r\nDownwardCompatibleDrivers=Laser H3,Inkjet J8\r\n");
        addGroup("Sales", "Laser H7");
        addGroup("Same Driver", "LASER h7");
        addGroup("Listed Driver", "inkjet j8");
        addGroup("Other Driver", "Plotter K8");
        addGroup("Empty", "");
    }

    static QStringList listed(QDialog &dialog)
    {
        QStringList names;
        if (auto *list = Find<QListWidget>(dialog, "1039")) {
            for (int row = 0; row < list->count(); ++row)
                names << list->item(row)->text();
        }
        return names;
    }
};

TEST_F(GroupProperties, ShowsTheGroupReadOnly)
{
    CGroupPropertiesDlg dialog(doc, "Sales", "Second floor", "Laser H7");
    EXPECT_EQ(dialog.windowTitle(), "Group Properties ");
    const struct {
        const char *id;
        const char *text;
        const char *label;
    } fields[] = {
        {"1000", "Sales", "Group Name"},
        {"1002", "Second floor", "Group Description"},
        {"1003", "Laser H7", "Group Driver"},
    };
    for (const auto &field : fields) {
        auto *edit = Find<QLineEdit>(dialog, field.id);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), field.text);
        EXPECT_TRUE(edit->isReadOnly()) << field.id;
        EXPECT_EQ(edit->accessibleName(), field.label);
    }
    auto *list = Find<QListWidget>(dialog, "1039");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->viewMode(), QListView::IconMode);
    EXPECT_EQ(list->accessibleName(), "List of compatible groups:");
    ASSERT_GT(list->count(), 0);
    EXPECT_FALSE(list->item(0)->icon().isNull()) << "every group has the group icon";
}

TEST_F(GroupProperties, AGroupWithADriverListsTheGroupsItsDriverAccepts)
{
    CGroupPropertiesDlg dialog(doc, "SALES", "", "Laser H7");
    EXPECT_EQ(listed(dialog), (QStringList{"Same Driver", "Listed Driver"}))
        << "the same driver in any case, or one its DownwardCompatibleDrivers list names; never itself";
}

TEST_F(GroupProperties, AGroupWithoutADriverListsEveryOtherGroup)
{
    CGroupPropertiesDlg dialog(doc, "Empty", "", "");
    EXPECT_EQ(listed(dialog), (QStringList{"Sales", "Same Driver", "Listed Driver", "Other Driver"}));
}

} // namespace
