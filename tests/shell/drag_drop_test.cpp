// Drag and drop in the tree: what may be dragged, what each drop does, the limits and their
// messages, and what is saved and rebuilt afterwards. The drops go through the tree's own
// drag and drop event handlers.
#include "tests/shell/ShellFixture.h"

#include <QDragEnterEvent>
#include <QMimeData>

#include <functional>

using namespace shelltest;
using Strings = std::vector<std::string>;

namespace {

class DragDrop : public ShellTest {
protected:
    DragDrop() { openFrame(); }

    // Drags `source` onto `target` (or, when null, over `target` and then releases over
    // empty space). False when the drag did not start.
    bool drop(QTreeWidgetItem *source, QTreeWidgetItem *target)
    {
        if (!tree->BeginDrag(source))
            return false;
        QMimeData mime;
        mime.setData("application/x-sendaro-destination", source->text(0).toUtf8());
        const QPoint over = tree->visualItemRect(target).center();
        QDragEnterEvent enter(over, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &enter);
        QDragMoveEvent move(over, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &move);
        QDropEvent release(QPointF(over), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &release);
        return true;
    }

    GroupRecord &group(const std::string &name) { return *tree->FindGroup(name); }

    void makeWindowsPrinters(std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            tree->AddWindowsPrinter(kDriverH7, name);
    }
};

TEST_F(DragDrop, OnlyTopLevelPrintersAndGroupsWithMembersCanBeDragged)
{
    addPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    addGroup("Empty");
    rebuild();
    EXPECT_FALSE(tree->BeginDrag(child(groupItem("Sales"), "P1"))) << "a member item";
    EXPECT_FALSE(tree->BeginDrag(tree->PrintersRoot()));
    EXPECT_FALSE(tree->BeginDrag(tree->GroupsRoot()));
    EXPECT_FALSE(tree->BeginDrag(groupItem("Empty"))) << "a group without member";
    EXPECT_FALSE(tree->IsDragging());
    EXPECT_TRUE(tree->BeginDrag(printerItem("P1")));
    EXPECT_TRUE(tree->IsDragging());
}

TEST_F(DragDrop, PrinterDroppedOnAGroupJoinsItIsSavedAndExpandedGroupsStayOpen)
{
    addPrinter("P1");
    addPrinter("P2");
    addGroup("Sales", {}, {"P1"});
    addGroup("Empty");
    rebuild();
    makeWindowsPrinters({"P1", "P2", "Sales"});
    tree->expandItem(groupItem("Sales"));

    ASSERT_TRUE(drop(printerItem("P2"), groupItem("Empty")));
    EXPECT_FALSE(tree->IsDragging());
    EXPECT_EQ(group("Empty").Printers, (Strings{"P2"}));
    EXPECT_EQ(group("Empty").GroupDriver, kDriverH7);
    EXPECT_EQ(windowsPrinter("Empty").driver, kDriverH7) << "the group's first member gives it its printer";
    EXPECT_EQ(doc.Printers()[1]->ContainingGroups, (Strings{"Empty"}));
    EXPECT_EQ(childTexts(groupItem("Empty")), (Strings{"P2"}));
    EXPECT_TRUE(groupItem("Sales")->isExpanded()) << "expanded again after the rebuild";
    const std::string saved = databaseText();
    EXPECT_NE(saved.find("[Empty]"), std::string::npos);
    EXPECT_NE(saved.find("Printers=P2"), std::string::npos) << saved;
}

TEST_F(DragDrop, DefaultGroupDroppedIntoAnotherGroup)
{
    addPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    addGroup("Top");
    doc.SetDefaultItem("Sales", false);
    rebuild();
    ASSERT_TRUE(drop(groupItem("Sales{DEFAULT}"), groupItem("Top")));
    EXPECT_EQ(group("Top").SubGroups, (Strings{"Sales"})) << "the name goes in without the marker";
    EXPECT_EQ(group("Top").GroupDriver, kDriverH7);
}

TEST_F(DragDrop, DropsOnRootsAndPrintersOnlyRebuild)
{
    addPrinter("P1");
    addPrinter("P2");
    rebuild();
    // Each drop rebuilds the tree, so each target is looked up afresh.
    const std::function<QTreeWidgetItem *()> targets[] = {[&] { return tree->PrintersRoot(); },
                                                          [&] { return printerItem("P2"); },
                                                          [&] { return tree->GroupsRoot(); }};
    for (const auto &targetNow : targets) {
        QTreeWidgetItem *target = targetNow();
        const std::string targetText = target->text(0).toStdString();
        QTreeWidgetItem *before = printerItem("P1");
        ASSERT_TRUE(drop(before, target)) << targetText;
        EXPECT_NE(printerItem("P1"), before) << "rebuilt after a drop on " << targetText;
    }
    EXPECT_TRUE(doc.Groups().empty());
    EXPECT_EQ(childTexts(tree->PrintersRoot()), (Strings{"P2", "P1"}));
}

TEST_F(DragDrop, GroupDroppedBelowItselfIsRecursion)
{
    addPrinter("P1");
    addGroup("A", {"B"}, {"P1"});
    addGroup("B", {"C"}, {});
    addGroup("C", {}, {"P1"});
    doc.SetDefaultItem("C", false);
    rebuild();
    prompts.expectBox("Adding this group will cause recursion");
    ASSERT_TRUE(drop(groupItem("A"), groupItem("B")));
    prompts.expectBox("Adding this group will cause recursion");
    ASSERT_TRUE(drop(groupItem("A"), groupItem("C{DEFAULT}"))) << "further down, and the default item";
    EXPECT_EQ(group("C").SubGroups, Strings{});
    EXPECT_EQ(group("B").SubGroups, (Strings{"C"}));
}

TEST_F(DragDrop, FullGroupShowsTheLimitAndLeavesTheTreeAlone)
{
    for (int i = 0; i < 8; ++i)
        addPrinter("P" + std::to_string(i));
    addGroup("Full", {}, {"P0", "P1", "P2", "P3", "P4", "P5", "P6"});
    for (int i = 0; i < 8; ++i)
        addGroup("S" + std::to_string(i), {}, {"P0"});
    group("Full").SubGroups = {"S0", "S1", "S2", "S3", "S4", "S5", "S6"};
    rebuild();
    QTreeWidgetItem *before = groupItem("Full");
    prompts.expectBox("Number of printers inside the group should not exceed 7");
    ASSERT_TRUE(drop(printerItem("P7"), before));
    EXPECT_EQ(groupItem("Full"), before) << "no rebuild";
    prompts.expectBox("Number of sub groups  inside the group should not exceed 7");
    ASSERT_TRUE(drop(groupItem("S7"), before));
    EXPECT_EQ(groupItem("Full"), before) << "no rebuild";
    EXPECT_EQ(group("Full").Printers.size(), 7u);
    EXPECT_EQ(group("Full").SubGroups.size(), 7u);
    EXPECT_FALSE(before->data(0, Qt::BackgroundRole).isValid()) << "the drop highlight is gone";
}

TEST_F(DragDrop, AlreadyListedIsReportedOnAMemberGroupItBeeps)
{
    addPrinter("P1");
    addGroup("Sales", {"Sub"}, {"P1"});
    addGroup("Sub", {}, {"P1"});
    rebuild();
    tree->expandItem(groupItem("Sales"));
    prompts.expectBox("This printer/group name already exists");
    ASSERT_TRUE(drop(printerItem("P1"), groupItem("Sales")));
    // A group shown inside another group is no drop target: a beep, no message, no change.
    tree->expandItem(groupItem("Sales"));
    ASSERT_TRUE(drop(groupItem("Sales"), groupItem("Sales")));
    addPrinter("P2");
    rebuild();
    tree->expandItem(groupItem("Sales"));
    ASSERT_TRUE(drop(printerItem("P2"), child(groupItem("Sales"), "Sub")));
    EXPECT_EQ(group("Sub").Printers, (Strings{"P1"}));
    EXPECT_EQ(group("Sales").Printers, (Strings{"P1"}));
}

TEST_F(DragDrop, IncompatiblePrinterIsWarnedAboutAndAdded)
{
    addPrinter("P1");
    addPrinter("P2", kDriverJ8);
    addGroup("Lasers", {}, {"P1"}, kDriverH7);
    rebuild();
    prompts.expectBox("Item to be added is not compatible with the group");
    ASSERT_TRUE(drop(printerItem("P2"), groupItem("Lasers")));
    EXPECT_EQ(group("Lasers").Printers, (Strings{"P1", "P2"}));
}

TEST_F(DragDrop, ReleaseOverEmptySpaceDropsOnTheLastItemPassed)
{
    addPrinter("P1");
    addGroup("Empty");
    rebuild();
    ASSERT_TRUE(tree->BeginDrag(printerItem("P1")));
    QMimeData mime;
    mime.setData("application/x-sendaro-destination", "P1");
    const QPoint over = tree->visualItemRect(groupItem("Empty")).center();
    const QPoint empty(5, tree->viewport()->height() - 5);
    ASSERT_EQ(tree->itemAt(empty), nullptr);
    QDragEnterEvent enter(over, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &enter);
    QDragMoveEvent move(over, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &move);
    QDragMoveEvent away(empty, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &away);
    EXPECT_EQ(tree->DropTarget(), groupItem("Empty"));
    QDropEvent release(QPointF(empty), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &release);
    EXPECT_EQ(group("Empty").Printers, (Strings{"P1"}));
}

} // namespace
