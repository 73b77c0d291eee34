#include "manager/setup/WizardPictures.h"

#include "manager/database/CChooserDoc.h"
#include "manager/dialogs/TreeOperations.h"
#include "manager/setup/CMyWizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QLineEdit>
#include <QListWidget>

namespace sendaro {

namespace {

// The tree as the wizards see it, with a printer selected that is new to every group, so
// that the group page has groups to offer; everything else is the real tree's.
class PictureTree : public TreeOperations {
public:
    PictureTree(TreeOperations &tree, std::string selected) : m_tree(tree), m_selected(std::move(selected)) {}
    ItemKind SelectedKind() const override { return ItemKind::Printer; }
    std::string SelectedName() const override { return m_selected; }
    ItemKind SelectedParentKind() const override { return ItemKind::PrintersRoot; }
    std::string RootCaption(bool groups) const override { return m_tree.RootCaption(groups); }
    void RenameRoot(bool, const std::string &) override {}
    bool DestinationNameExists(const std::string &name, bool printersFirst) const override
    {
        return m_tree.DestinationNameExists(name, printersFirst);
    }
    int AddNewDestination(const std::string &, bool) override { return 0; }
    void RenameSelectedItem(const std::string &, bool) override {}
    void RemoveSelectedItem(bool, bool) override {}
    void SetGroupDescription(const std::string &) override {}
    CChooserDoc &Document() override { return m_tree.Document(); }

private:
    TreeOperations &m_tree;
    std::string m_selected;
};

QWidget *control(CMyWizard &wizard, const char *id)
{
    return wizard.currentPage()->findChild<QWidget *>(id);
}

void type(CMyWizard &wizard, const char *id, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control(wizard, id)))
        edit->setText(text);
}

void hover(CMyWizard &wizard, const char *id)
{
    if (QWidget *over = control(wizard, id)) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(over, &enter);
    }
}

bool save(CMyWizard &wizard, const QString &file)
{
    QApplication::processEvents();
    return wizard.grab().save(file);
}

} // namespace

bool RenderWizards(TreeOperations &tree, const QString &folder)
{
    PictureTree pictureTree(tree, "West Laser");
    bool allSaved = true;
    {
        CMyWizard wizard(CMyWizard::kAddPrinter, pictureTree);
        wizard.show();
        allSaved &= save(wizard, folder + "/add-printer-1-checklist.png");
        wizard.next();
        type(wizard, "1040", "West Laser");
        type(wizard, "1054", "west-laser@printers.example");
        hover(wizard, "1054");
        allSaved &= save(wizard, folder + "/add-printer-2-name.png");
        wizard.next();
        if (auto *list = qobject_cast<QListWidget *>(control(wizard, "1055")); list && list->count() > 0)
            list->setCurrentRow(0);
        hover(wizard, "1055");
        allSaved &= save(wizard, folder + "/add-printer-3-driver.png");
        wizard.next();
        type(wizard, "1042", "Beside the west stairs, 2nd floor");
        type(wizard, "1044", "Wes Turner");
        type(wizard, "1010", "Second floor");
        type(wizard, "1013", "Sesame");
        type(wizard, "1046", "Sesame");
        for (const char *box : {"1016", "1021"})
            if (auto *check = qobject_cast<QCheckBox *>(control(wizard, box)))
                check->click();
        type(wizard, "1023", "16");
        hover(wizard, "1021");
        allSaved &= save(wizard, folder + "/add-printer-4-details.png");
        wizard.next();
        allSaved &= save(wizard, folder + "/add-printer-5-summary.png");
    }
    {
        CMyWizard wizard(CMyWizard::kAddPrinterToGroup, pictureTree);
        wizard.show();
        allSaved &= save(wizard, folder + "/add-to-group-1-welcome.png");
        wizard.next();
        allSaved &= save(wizard, folder + "/add-to-group-2-groups.png");
        wizard.next();
        allSaved &= save(wizard, folder + "/add-to-group-3-summary.png");
    }
    return allSaved;
}

} // namespace sendaro
