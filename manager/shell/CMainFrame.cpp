#include "manager/shell/CMainFrame.h"

#include "manager/database/CChooserDoc.h"
#include "manager/database/GroupRules.h"
#include "manager/database/ManagerStrings.h"
#include "manager/dialogs/CCommSetupDlg.h"
#include "manager/dialogs/CDeleteGroupDlg.h"
#include "manager/dialogs/CDeletePrinterDlg.h"
#include "manager/dialogs/CGroupPropertiesDlg.h"
#include "manager/dialogs/CJobOptionsDlg.h"
#include "manager/dialogs/CNewGroupDlg.h"
#include "manager/dialogs/CRenameDlg.h"
#include "manager/dialogs/HelpWindow.h"
#include "manager/dialogs/MessageText.h"
#include "manager/dialogs/PrinterProperty.h"
#include "manager/dialogs/Prompts.h"
#include "manager/setup/CMyWizard.h"
#include "manager/setup/SecondPage.h"
#include "manager/shell/CAboutDlg.h"
#include "manager/shell/CManagerApp.h"

#include "manager/database/ConfigurationStrings.h"
#include "manager/shell/CommandRules.h"
#include "manager/shell/ConfigurationFileDialog.h"
#include "manager/shell/DestinationListPrinter.h"
#include "manager/shell/TreeImportHost.h"
#include "manager/shell/DatabaseSaver.h"
#include "manager/shell/ListView.h"
#include "manager/shell/PendingPrinter.h"
#include "manager/dialogs/ManagerIcons.h"
#include "manager/shell/ShellStrings.h"
#include "manager/shell/TreeView.h"
#include "manager/shell/WizardResults.h"

#include "platform/base/paths.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>

#include <algorithm>

using namespace sendaro;

namespace {

// The frame's title timer runs every 100 ms.
constexpr int kTitleTimerMs = 100;

// A prompt's status-bar text (before the line break) and tool tip (after it).
std::pair<QString, QString> promptOf(unsigned id)
{
    const QString prompt = QString::fromStdString(zordb::ManagerString(id));
    const qsizetype lineBreak = prompt.indexOf('\n');
    if (lineBreak < 0)
        return {prompt, QString()};
    return {prompt.left(lineBreak), prompt.mid(lineBreak + 1).trimmed()};
}

} // namespace

CMainFrame::CMainFrame(CChooserDoc &doc, QWidget *parent) : QMainWindow(parent), m_doc(doc)
{
    setObjectName("CMainFrame");
    setWindowTitle(kTitle);
    setWindowIcon(ProgramIcon());
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    m_titleTimer.setInterval(kTitleTimerMs);
    connect(&m_titleTimer, &QTimer::timeout, this, &CMainFrame::keepTitle);
    m_titleTimer.start();
    createSplitter();
    resize(820, 520);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame()
{
    // The focus moves while the widgets go; the frame is no longer there to hear of it.
    disconnect(qApp, nullptr, this, nullptr);
}

QAction *CMainFrame::addCommand(const std::string &name, const QString &text, unsigned promptId,
                                void (CMainFrame::*handler)())
{
    auto *action = new QAction(text, this);
    action->setObjectName(QString::fromStdString(name));
    if (promptId) {
        const auto [status, tip] = promptOf(promptId);
        action->setStatusTip(status);
        action->setToolTip(tip.isEmpty() ? QString(text).remove('&').remove("...") : tip);
        action->setWhatsThis(status);
    }
    connect(action, &QAction::triggered, this, handler);
    m_commands[name] = action;
    return action;
}

QAction *CMainFrame::Command(const std::string &name) const
{
    auto found = m_commands.find(name);
    return found == m_commands.end() ? nullptr : found->second;
}

void CMainFrame::createActions()
{
    addCommand("AddPrinter", "Add &Printer...", IDS_PROMPT_ADD_PRINTER, &CMainFrame::onAddPrinter)
        ->setIcon(ToolbarIcon(ToolbarPicture::AddPrinter));
    addCommand("AddGroup", "Add &Group...", IDS_PROMPT_ADD_GROUP, &CMainFrame::onAddGroup)
        ->setIcon(ToolbarIcon(ToolbarPicture::AddGroup));
    addCommand("Import", "&Import...", IDS_PROMPT_IMPORT, &CMainFrame::onImport)
        ->setIcon(ToolbarIcon(ToolbarPicture::Import));
    addCommand("Export", "&Export...", IDS_PROMPT_EXPORT, &CMainFrame::onExport)
        ->setIcon(ToolbarIcon(ToolbarPicture::Export));
    QAction *print = addCommand("Print", "&Print...", IDS_PROMPT_PRINT, &CMainFrame::onPrint);
    print->setIcon(ToolbarIcon(ToolbarPicture::Print));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    addCommand("PrintSetup", "P&rint Setup...", IDS_PROMPT_PRINT_SETUP, &CMainFrame::onPrintSetup);
    addCommand("Exit", "E&xit", IDS_PROMPT_EXIT, &CMainFrame::onExit);
    addCommand("AddPrinterToGroup", "A&dd Printer to Group...", IDS_PROMPT_ADD_TO_GROUP,
               &CMainFrame::onAddPrinterToGroup);
    addCommand("Delete", "D&elete Printer/Group...", IDS_PROMPT_DELETE, &CMainFrame::onDelete);
    addCommand("Rename", "&Rename Printer/Group...", IDS_PROMPT_RENAME, &CMainFrame::onRename);
    addCommand("CommunicationSetup", "&Communication Setup...", IDS_PROMPT_COMM_SETUP,
               &CMainFrame::onCommunicationSetup);
    addCommand("JobOptions", "&Job Options...", IDS_PROMPT_JOB_OPTIONS, &CMainFrame::onJobOptions);
    addCommand("Properties", "&Properties...", IDS_PROMPT_PROPERTIES, &CMainFrame::onProperties);
    addCommand("HelpContents", "&Contents", IDS_PROMPT_HELP_CONTENTS, &CMainFrame::onHelpContents);
    addCommand("About", "&About Sendaro...", IDS_PROMPT_ABOUT, &CMainFrame::onAbout)
        ->setIcon(ToolbarIcon(ToolbarPicture::About));
    QAction *contextHelp = addCommand("ContextHelp", "What's &This?", IDS_PROMPT_CONTEXT_HELP,
                                      &CMainFrame::onContextHelp);
    contextHelp->setIcon(ToolbarIcon(ToolbarPicture::ContextHelp));
    contextHelp->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    addCommand("Save", "&Save", 0, &CMainFrame::onSave)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction *nextPane = addCommand("NextPane", "Next Pane", 0, &CMainFrame::onNextPane);
    nextPane->setShortcuts({QKeySequence(Qt::Key_F6), QKeySequence(Qt::SHIFT | Qt::Key_F6)});
    // The context menu's items carry the same commands under shorter texts.
    addCommand("ContextDelete", "D&elete", IDS_PROMPT_DELETE, &CMainFrame::onDelete);
    addCommand("ContextRename", "&Rename", IDS_PROMPT_RENAME, &CMainFrame::onRename);
    addCommand("ContextProperties", "&Properties", IDS_PROMPT_PROPERTIES, &CMainFrame::onProperties);
    for (const char *name : {"Save", "NextPane"})
        addAction(Command(name));
}

void CMainFrame::createMenus()
{
    QMenu *file = menuBar()->addMenu("&File");
    QMenu *newMenu = file->addMenu("&New");
    newMenu->addAction(Command("AddPrinter"));
    newMenu->addAction(Command("AddGroup"));
    file->addAction(Command("Import"));
    file->addAction(Command("Export"));
    file->addSeparator();
    file->addAction(Command("Print"));
    file->addAction(Command("PrintSetup"));
    file->addSeparator();
    file->addAction(Command("Exit"));

    QMenu *organizer = menuBar()->addMenu("&Organizer");
    for (const char *name : {"AddPrinterToGroup", "Delete", "Rename", "CommunicationSetup", "JobOptions", "Properties"})
        organizer->addAction(Command(name));

    m_viewMenu = menuBar()->addMenu("&View");

    QMenu *help = menuBar()->addMenu("&Help");
    help->addAction(Command("HelpContents"));
    help->addAction(Command("About"));

    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName("RClickGroup");
    for (const char *name : {"ContextDelete", "ContextRename", "ContextProperties"})
        m_contextMenu->addAction(Command(name));
    for (QMenu *menu : {file, organizer, m_contextMenu})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
}

void CMainFrame::createToolBar()
{
    QToolBar *toolBar = addToolBar("Toolbar");
    toolBar->setObjectName("toolbar");
    toolBar->setIconSize(QSize(24, 24));
    for (const char *name : {"AddPrinter", "AddGroup", "Import", "Export", "Print", "About", "ContextHelp"})
        toolBar->addAction(Command(name));
    QAction *toggle = toolBar->toggleViewAction();
    toggle->setText("&Toolbar");
    toggle->setObjectName("ToggleToolbar");
    m_viewMenu->addAction(toggle);
}

void CMainFrame::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName("statusbar");
    const QString ready = QString::fromStdString(zordb::ManagerString(IDS_READY));
    // When no prompt is shown the message pane reads "Ready".
    connect(bar, &QStatusBar::messageChanged, bar, [bar, ready](const QString &message) {
        if (message.isEmpty())
            bar->showMessage(ready);
    });
    bar->showMessage(ready);
    auto *toggle = new QAction("&Status Bar", this);
    toggle->setObjectName("ToggleStatusBar");
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QStatusBar::setVisible);
    m_viewMenu->addAction(toggle);
}

void CMainFrame::createSplitter()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName("splitter");
    m_splitter->setChildrenCollapsible(false);
    m_tree = new TreeView(m_doc, m_splitter);
    m_tree->setObjectName("TreeView");
    m_tree->setAccessibleName("Destinations");
    m_list = new ListView(m_doc, m_splitter);
    m_list->setObjectName("ListView");
    m_list->setAccessibleName("Details");
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_list);
    m_splitter->setSizes({300, 520});
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    m_activeView = m_tree;
    m_tree->setFocus();

    connect(m_tree, &TreeView::stateChanged, this, &CMainFrame::UpdateCommandStates);
    connect(m_tree, &TreeView::contextMenuWanted, this, &CMainFrame::showContextMenu);
    connect(m_tree, &TreeView::deleteKeyPressed, this, &CMainFrame::onDeleteKey);
    connect(m_tree, &TreeView::printerDoubleClicked, this, &CMainFrame::onPrinterDoubleClicked);
    // The active view is the pane that last had the focus; Print belongs to the tree only.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (QWidget *pane : {static_cast<QWidget *>(m_tree), static_cast<QWidget *>(m_list)})
            if (now && (now == pane || pane->isAncestorOf(now)))
                m_activeView = pane;
        UpdateCommandStates();
    });
}

void CMainFrame::UpdateCommandStates()
{
    if (!m_tree)
        return;
    Command("AddPrinter")->setEnabled(CanAddPrinter(*m_tree, m_doc));
    Command("AddGroup")->setEnabled(CanAddGroup(m_doc));
    Command("Import")->setEnabled(CanImport(m_doc));
    Command("Print")->setEnabled(m_activeView == m_tree);
    Command("AddPrinterToGroup")->setEnabled(CanAddPrinterToGroup(*m_tree, m_doc));
    const bool canDelete = CanDelete(*m_tree);
    const bool canRename = CanRename(*m_tree);
    const bool canShowProperties = CanShowProperties(*m_tree);
    for (const char *name : {"Delete", "ContextDelete"})
        Command(name)->setEnabled(canDelete);
    for (const char *name : {"Rename", "ContextRename"})
        Command(name)->setEnabled(canRename);
    for (const char *name : {"Properties", "ContextProperties"})
        Command(name)->setEnabled(canShowProperties);
}

void CMainFrame::keepTitle()
{
    if (windowTitle().compare(kTitle, Qt::CaseInsensitive) != 0)
        setWindowTitle(kTitle);
}

void CMainFrame::showContextMenu(const QPoint &globalPos)
{
    UpdateCommandStates();
    m_contextMenu->popup(globalPos);
}

// ---- commands ---------------------------------------------------------------------------

void CMainFrame::onAddPrinter()
{
    CMyWizard wizard(CMyWizard::kAddPrinter, *m_tree, this);
    if (wizard.exec() != QDialog::Accepted)
        return;
    TakeAddPrinterValues(wizard, *m_tree);
    // A failure has told the user and changed nothing.
    m_tree->AddNewDestination(m_tree->pendingPrinter.PrinterName, true);
    SaveDatabase(m_doc);
    UpdateCommandStates();
}

void CMainFrame::onAddGroup()
{
    CNewGroupDlg dialog(*m_tree, this);
    if (dialog.exec() == QDialog::Accepted)
        SaveDatabase(m_doc);
    UpdateCommandStates();
}

void CMainFrame::onImport()
{
    const std::string path = AskConfigurationFile(this, false);
    if (path.empty())
        return;
    TreeImportHost host(*m_tree, this);
    const ImportOutcome outcome = m_doc.ImportFile(path, host);
    if (outcome != ImportOutcome::Corrupted && !m_doc.OnSaveDocument(m_doc.DatabasePath()))
        Prompt(zordb::ManagerString(IDS_IMPORT_FAILED) + "\n\n" +
                   MessageNaming(IDS_SAVE_FAILED, zorplat::ToLinuxPath(m_doc.DatabasePath())),
               MB_OK | MB_ICONSTOP);
    UpdateCommandStates();
}

void CMainFrame::onExport()
{
    // 1.
    if (m_doc.Printers().empty() && m_doc.Groups().empty()) {
        Prompt(zordb::IDS_EXPORT_EMPTY, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // 2. a group or a printer recorded: the whole database, or only that item?
    const int kind = TreeView::ItemKind(m_tree->RecordedItem());
    const bool complete = kind < 0 || Prompt(zordb::IDS_EXPORT_COMPLETE_QUESTION, MB_YESNO | MB_ICONQUESTION) == IDYES;
    // 3. and 4.
    const std::string path = AskConfigurationFile(this, true);
    if (path.empty())
        return;
    // 5. the file is replaced in one step, so a failed export leaves the old one whole
    if (!ExportFileWritable(path) || !m_doc.ExportTo(path, complete, kind == 1, m_tree->SelectedName()))
        Prompt(zordb::IDS_FILE_WRITING_ERROR, MB_OK | MB_ICONEXCLAMATION);
}

void CMainFrame::resetPrintPrinter()
{
    // The next Print or Print Setup starts again from the system's default printer.
    m_printer.reset();
}

QPrinter &CMainFrame::printSetup()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void CMainFrame::onPrint()
{
    // 1.
    if (Prompt(zordb::IDS_PRINT_QUESTION, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    // 2. the job's name
    QPrinter &printer = printSetup();
    printer.setDocName(QString::fromStdString(zordb::ManagerString(zordb::IDS_PRINT_JOB_TITLE)));
    // 3. the print dialog, then every page of the listing
    const DestinationListPrinter listing(m_doc);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, listing.PageCount());
    printer.setFromTo(0, 0);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!listing.Print(printer))
        Prompt(zordb::IDS_PRINT_NOT_STARTED, MB_OK | MB_ICONEXCLAMATION);
}

void CMainFrame::onPrintSetup()
{
    QPageSetupDialog dialog(&printSetup(), this);
    dialog.exec();
}

void CMainFrame::onExit()
{
    close();
}

void CMainFrame::onAddPrinterToGroup()
{
    if (m_doc.Groups().empty()) {
        Prompt(IDS_GROUP_NOT_FOUND, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const PrinterRecord *printer = m_tree->FindPrinter(m_tree->SelectedName());
    const std::string driver = printer ? printer->PrinterDriver : std::string();
    const bool anyCompatible = std::any_of(m_doc.Groups().begin(), m_doc.Groups().end(), [&](const auto &group) {
        return group->GroupDriver.empty() || zordb::IsDriverCompatible(group->GroupDriver, driver);
    });
    if (!anyCompatible) {
        Prompt(zordb::IDS_NOT_COMPATIBLE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::string printerName = m_tree->SelectedName();
    CMyWizard wizard(CMyWizard::kAddPrinterToGroup, *m_tree, this);
    if (wizard.exec() != QDialog::Accepted)
        return;
    const std::string chosen = wizard.secondPage()->ChosenGroup();
    m_tree->pendingPrinter.PrinterDriver = driver;
    if (const GroupRecord *group = m_tree->FindGroup(chosen); group && !zordb::IsModelCompatible(group->GroupDriver, driver))
        Prompt(zordb::IDS_NOT_COMPATIBLE, MB_OK | MB_ICONEXCLAMATION);
    m_tree->AddPrinterToGroup(chosen, printerName);
    m_doc.UpdateAllViews(1);
    resetPrintPrinter();
    // Every change is saved when it is made, the new membership too.
    SaveDatabase(m_doc);
    UpdateCommandStates();
}

bool CMainFrame::runDeleteDialog()
{
    int result;
    if (TreeView::ItemKind(m_tree->RecordedItem()) == 0) {
        CDeleteGroupDlg dialog(*m_tree, this);
        result = dialog.exec();
    } else {
        CDeletePrinterDlg dialog(*m_tree, this);
        result = dialog.exec();
    }
    const bool accepted = result == QDialog::Accepted;
    if (accepted)
        SaveDatabase(m_doc);
    UpdateCommandStates();
    return accepted;
}

void CMainFrame::onDelete()
{
    runDeleteDialog();
    resetPrintPrinter();
}

void CMainFrame::onDeleteKey()
{
    runDeleteDialog();
}

void CMainFrame::onRename()
{
    CRenameDlg dialog(*m_tree, this);
    if (dialog.exec() == QDialog::Accepted)
        SaveDatabase(m_doc);
    UpdateCommandStates();
}

void CMainFrame::onCommunicationSetup()
{
    CCommSetupDlg dialog(this);
    dialog.exec();
}

void CMainFrame::onJobOptions()
{
    CJobOptionsDlg dialog(this);
    dialog.exec();
}

void CMainFrame::onProperties()
{
    QTreeWidgetItem *recorded = m_tree->RecordedItem();
    if (!recorded || m_tree->IsRoot(recorded))
        return;
    if (TreeView::ItemKind(recorded) == 1) {
        const bool memberItem = m_tree->IsMemberItem(recorded);
        if (!runPrinterProperties(memberItem))
            return;
        if (!memberItem)
            m_tree->Rebuild();
        onSave();
        return;
    }
    const GroupRecord *group = m_tree->FindGroup(m_tree->SelectedName());
    if (!group)
        return;
    CGroupPropertiesDlg dialog(m_doc, group->MainGroupName, group->GroupDescription, group->GroupDriver, this);
    dialog.exec();
}

void CMainFrame::onPrinterDoubleClicked(bool memberItem)
{
    const bool wasDefault = TreeView::IsDefaultItem(m_tree->RecordedItem());
    PrinterProperty sheet("Printer Properties", m_doc, m_tree->SelectedName(), this);
    if (!sheet.Found())
        return;
    if (!runSheet(sheet))
        return;
    if (wasDefault)
        m_doc.SetDefaultItem(sheet.Values().PrinterName, true);
    applySheet(sheet, memberItem);
    m_tree->StartDeferredRebuild();
    onSave();
}

bool CMainFrame::runPrinterProperties(bool memberItem)
{
    PrinterProperty sheet("Printer Properties", m_doc, m_tree->SelectedName(), this);
    if (!sheet.Found() || !runSheet(sheet))
        return false;
    applySheet(sheet, memberItem);
    return true;
}

bool CMainFrame::runSheet(PrinterProperty &sheet)
{
    CManagerApp *app = CManagerApp::Instance();
    if (app)
        app->propertiesMode = true;
    const bool accepted = sheet.exec() == QDialog::Accepted;
    if (app)
        app->propertiesMode = false;
    return accepted;
}

// The sheet's values become the tree's pending printer and the record's. A printer edited
// where it sits in a group keeps its Windows printer as it is, but its values are kept too:
// the user pressed OK on them.
void CMainFrame::applySheet(const PrinterProperty &sheet, bool memberItem)
{
    const PrinterRecord &values = sheet.Values();
    PendingPrinter &pending = m_tree->pendingPrinter;
    pending.PrinterName = values.PrinterName;
    pending.PrinterDescription = values.PrinterDescription;
    pending.PrinterEmail = values.PrinterEmail;
    pending.DefaultRecipient = values.DefaultRecipient;
    pending.RecipientLocation = values.RecipientLocation;
    pending.PrinterDriver = values.PrinterDriver;
    pending.PrinterPassword = values.PrinterPassword;
    pending.LimitPacketSize = values.LimitPacketSize ? "TRUE" : "FALSE";
    pending.MaxPacketSizeInKb = values.MaxPacketSizeInKb;
    pending.HeaderPage = values.HeaderPage ? 1 : 0;
    pending.TrailerPage = values.TrailerPage ? 1 : 0;
    if (!memberItem)
        m_tree->ApplyPrinterProperties();
    else if (PrinterRecord *printer = m_tree->FindPrinter(m_tree->SelectedName()))
        CopyPendingPrinter(pending, *printer);
}

void CMainFrame::onHelpContents()
{
    ShowHelp(this, "index.html");
}

void CMainFrame::onAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::onContextHelp()
{
    QWhatsThis::enterWhatsThisMode();
}

void CMainFrame::onSave()
{
    SaveDatabase(m_doc);
}

void CMainFrame::onNextPane()
{
    QWidget *next = m_activeView == m_tree ? static_cast<QWidget *>(m_list->currentWidget()) : m_tree;
    next->setFocus(Qt::OtherFocusReason);
}
