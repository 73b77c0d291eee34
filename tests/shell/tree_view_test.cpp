// The destination tree and the detail list: the tree's shape after a rebuild, the default
// marker, lookups, what a selection shows in the list, keys and mouse.
#include "tests/shell/ShellFixture.h"

#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace shelltest;
using Strings = std::vector<std::string>;

namespace {

class Tree : public ShellTest {
protected:
    Tree() { openFrame(); }
};

TEST_F(Tree, EmptyDatabaseShowsTheTwoRootsPrintersFirstBothExpanded)
{
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0), tree->PrintersRoot());
    EXPECT_EQ(tree->PrintersRoot()->text(0), "Internet-connected Printers");
    EXPECT_EQ(tree->GroupsRoot()->text(0), "Internet-connected Groups of Printers");
    EXPECT_TRUE(tree->PrintersRoot()->isExpanded());
    EXPECT_TRUE(tree->GroupsRoot()->isExpanded());
    EXPECT_EQ(tree->PrintersRoot()->childCount() + tree->GroupsRoot()->childCount(), 0);
}

TEST_F(Tree, PrintersShowInReverseGroupsInOrderWithTheirMembers)
{
    addPrinter("P1");
    addPrinter("P2");
    addPrinter("P3");
    addGroup("Sales", {"North"}, {"P1", "P2"});
    addGroup("North", {}, {"P3"});
    rebuild();
    EXPECT_EQ(childTexts(tree->PrintersRoot()), (Strings{"P3", "P2", "P1"}));
    EXPECT_EQ(childTexts(tree->GroupsRoot()), (Strings{"Sales", "North"}));
    EXPECT_EQ(childTexts(groupItem("Sales")), (Strings{"North", "P1", "P2"})) << "sub-groups first";
    QTreeWidgetItem *northInSales = child(groupItem("Sales"), "North");
    EXPECT_EQ(northInSales->childCount(), 0) << "a sub-group inside its parent is a leaf";
    EXPECT_EQ(TreeView::ItemKind(northInSales), 0);
    EXPECT_EQ(TreeView::ItemKind(child(groupItem("Sales"), "P1")), 1);
    EXPECT_EQ(TreeView::ItemKind(tree->GroupsRoot()), -1);
    EXPECT_EQ(doc.Printers()[0]->ContainingGroups, (Strings{"Sales"})) << "the rebuild links members";
}

TEST_F(Tree, DefaultPrinterCarriesTheMarkerOnlyUnderThePrintersRoot)
{
    addPrinter("Front Desk");
    addGroup("Sales", {}, {"Front Desk"});
    doc.SetDefaultItem("FRONT DESK", true);
    rebuild();
    QTreeWidgetItem *marked = printerItem("Front Desk{DEFAULT}");
    ASSERT_NE(marked, nullptr);
    EXPECT_EQ(TreeView::ItemImage(marked), 4);
    EXPECT_TRUE(TreeView::IsDefaultItem(marked));
    EXPECT_EQ(tree->DefaultItem(), marked);
    EXPECT_EQ(childTexts(groupItem("Sales")), (Strings{"Front Desk"})) << "member items are never marked";
    PrinterRecord *record = doc.Printers()[0].get();
    EXPECT_EQ(tree->FindPrinter("Front Desk"), record);
    EXPECT_EQ(tree->FindPrinter("Front Desk{DEFAULT}"), record);
    EXPECT_EQ(tree->FindPrinter("Other{DEFAULT}"), nullptr);
    EXPECT_EQ(tree->FindPrinterItem("front desk"), marked);
}

TEST_F(Tree, DefaultGroupUsesItsOwnImage)
{
    addGroup("Sales");
    doc.SetDefaultItem("Sales", false);
    rebuild();
    QTreeWidgetItem *marked = groupItem("Sales{DEFAULT}");
    ASSERT_NE(marked, nullptr);
    EXPECT_EQ(TreeView::ItemImage(marked), 3);
    EXPECT_EQ(TreeView::ItemKind(marked), 0);
    EXPECT_EQ(tree->FindGroup("Sales{DEFAULT}"), doc.Groups()[0].get());
}

TEST_F(Tree, SelectingARootShowsAnEmptyReportWithItsThreeColumns)
{
    addPrinter("P1");
    rebuild();
    EXPECT_EQ(list->CurrentStyle(), ListView::Style::Icon) << "before the first selection";
    select(tree->GroupsRoot());
    EXPECT_EQ(list->CurrentStyle(), ListView::Style::Report);
    EXPECT_EQ(list->Report()->topLevelItemCount(), 0);
    const QTreeWidgetItem *header = list->Report()->headerItem();
    EXPECT_EQ(header->text(0), "Printer Name");
    EXPECT_EQ(header->text(1), "Printer  description");
    EXPECT_EQ(header->text(2), "Printer IP/e-mail Address");
    EXPECT_EQ(list->Report()->columnWidth(0), 109);
    EXPECT_EQ(list->Report()->columnWidth(1), 181);
    EXPECT_EQ(list->Report()->columnWidth(2), 226);
}

TEST_F(Tree, SelectingTheDefaultPrinterReportsItWithoutTheMarker)
{
    addPrinter("Front Desk");
    doc.SetDefaultItem("Front Desk", true);
    rebuild();
    select(printerItem("Front Desk{DEFAULT}"));
    EXPECT_EQ(tree->SelectedName(), "Front Desk");
    ASSERT_EQ(list->Report()->topLevelItemCount(), 1);
    const QTreeWidgetItem *row = list->Report()->topLevelItem(0);
    EXPECT_EQ(row->text(0), "Front Desk");
    EXPECT_EQ(row->text(1), "Printer Front Desk");
    EXPECT_EQ(row->text(2), "Front@print.example");
}

TEST_F(Tree, GroupInsideAnotherShowsItsOwnMembersInReverse)
{
    addPrinter("P1");
    addPrinter("P2");
    addGroup("G1", {}, {"P1"});
    addGroup("G2", {"G1"}, {"P1", "P2"});
    addGroup("Top", {"G2"}, {});
    rebuild();
    select(child(groupItem("Top"), "G2"));
    EXPECT_EQ(list->CurrentStyle(), ListView::Style::List);
    EXPECT_EQ(iconTexts(), (Strings{"G1", "P2", "P1"}));
}

TEST_F(Tree, TopLevelGroupShowsItsClosureEachPrinterOnce)
{
    addPrinter("P1");
    addPrinter("P2");
    addGroup("G", {"H"}, {"P1"});
    addGroup("H", {}, {"P1", "P2"});
    rebuild();
    select(groupItem("G"));
    EXPECT_EQ(iconTexts(), (Strings{"H", "G", "P2", "P1"}));
    select(printerItem("P2"));
    EXPECT_EQ(list->CurrentStyle(), ListView::Style::Report);
    ASSERT_EQ(list->Report()->topLevelItemCount(), 1);
    EXPECT_EQ(list->Report()->topLevelItem(0)->text(0), "P2");
}

TEST_F(Tree, ListKeepsItsRowsAcrossARebuild)
{
    addPrinter("P1");
    rebuild();
    select(printerItem("P1"));
    rebuild();
    EXPECT_EQ(list->Report()->topLevelItemCount(), 1);
    EXPECT_EQ(tree->currentItem(), nullptr) << "a rebuild leaves nothing selected";
}

TEST_F(Tree, DeleteKeyOnARootDoesNothingOnAMemberPrinterOpensDeletePrinter)
{
    addPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    rebuild();
    select(tree->GroupsRoot());
    std::string opened;
    QTimer::singleShot(0, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            opened = modal->metaObject()->className();
            modal->close();
        }
    });
    QTest::keyClick(tree, Qt::Key_Delete);
    EXPECT_EQ(opened, "");
    QApplication::processEvents();

    select(child(groupItem("Sales"), "P1"));
    QTimer::singleShot(0, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            opened = modal->metaObject()->className();
            modal->close();
        }
    });
    QTest::keyClick(tree, Qt::Key_Delete);
    EXPECT_EQ(opened, "CDeletePrinterDlg");
}

TEST_F(Tree, RightClickOnEmptySpaceClearsTheSelectionAndDisablesTheContextMenu)
{
    addPrinter("P1");
    rebuild();
    select(printerItem("P1"));
    EXPECT_TRUE(enabled("ContextDelete"));
    const QPoint empty(5, tree->viewport()->height() - 5);
    ASSERT_EQ(tree->itemAt(empty), nullptr);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, empty);
    EXPECT_EQ(tree->currentItem(), nullptr);
    EXPECT_TRUE(frame->ContextMenu()->isVisible());
    for (QAction *action : frame->ContextMenu()->actions())
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    frame->ContextMenu()->hide();
}

TEST_F(Tree, RightClickOnAnItemSelectsIt)
{
    addPrinter("P1");
    rebuild();
    QTreeWidgetItem *item = printerItem("P1");
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(item).center());
    EXPECT_EQ(tree->currentItem(), item);
    EXPECT_EQ(tree->SelectedName(), "P1");
    EXPECT_TRUE(frame->Command("ContextProperties")->isEnabled());
    frame->ContextMenu()->hide();
}

TEST_F(Tree, ExpandedGroupsOpenAgainAfterTheDeferredRebuild)
{
    addPrinter("P1");
    addGroup("Sales", {}, {"P1"});
    addGroup("Other", {}, {"P1"});
    rebuild();
    tree->expandItem(groupItem("Sales"));
    EXPECT_TRUE(doc.Groups()[0]->Expanded);
    EXPECT_FALSE(doc.Groups()[1]->Expanded);
    rebuild();
    EXPECT_FALSE(groupItem("Sales")->isExpanded()) << "a plain rebuild does not re-expand";
    tree->StartDeferredRebuild();
    QTreeWidgetItem *before = groupItem("Sales");
    ASSERT_TRUE(QTest::qWaitFor([&] { return groupItem("Sales") != before; }, 2000));
    EXPECT_TRUE(groupItem("Sales")->isExpanded());
    EXPECT_FALSE(groupItem("Other")->isExpanded());
}

TEST_F(Tree, NamesOfTheDatabaseFilesOwnSectionsAreTaken)
{
    EXPECT_TRUE(tree->DestinationNameExists("TitleName", false));
    EXPECT_TRUE(tree->DestinationNameExists("choosersdatabasesectionnames", true));
    const TreeOperations &operations = *tree;
    EXPECT_TRUE(operations.DestinationNameExists("TITLENAME", true));
    EXPECT_FALSE(tree->DestinationNameExists("Title Name", false));
    addGroup("Sales");
    EXPECT_TRUE(tree->DestinationNameExists("SALES", true));
}

TEST_F(Tree, RenamingARootChangesItsLabelAndTheSavedCaption)
{
    select(tree->GroupsRoot());
    tree->RenameRoot(true, "Our Groups");
    EXPECT_EQ(tree->GroupsRoot()->text(0), "Our Groups");
    EXPECT_EQ(tree->RootCaption(true), "Our Groups");
    EXPECT_EQ(tree->SelectedName(), "Our Groups");
    EXPECT_EQ(doc.GroupsTitle(), "Our Groups");
}

} // namespace
